#include "app/unsaved_changes.h"

#include <exception>
#include <vector>

#include "app/data_module.h"
#include "app/message_dialogs.h"
#include "engine/components/dataset_types.h"
#include "engine/components/table.h"

namespace fendra {

namespace {

std::vector<dvx::TDVXTable*> PendingTables(const TDataModule& data) {
  std::vector<dvx::TDVXTable*> pending;
  for (const TTableDesign& design : TDataModule::Tables()) {
    dvx::TDVXTable& table = data.TableComponent(design.Component);
    if (table.State() == dvx::dsEdit || table.State() == dvx::dsInsert) pending.push_back(&table);
  }
  return pending;
}

}  // namespace

bool HasPendingChanges(const TDataModule& data) { return !PendingTables(data).empty(); }

bool SettlePendingChanges(QWidget* window, TDataModule& data) {
  const std::vector<dvx::TDVXTable*> pending = PendingTables(data);
  if (pending.empty()) return true;
  switch (AskYesNoCancel(window, QStringLiteral("Änderungen speichern?"))) {
    case QMessageBox::Yes:
      for (dvx::TDVXTable* table : pending) {
        try {
          table->Post();
        } catch (const std::exception& e) {
          ShowApplicationError(QString::fromUtf8(e.what()));
          return false;
        }
      }
      return true;
    case QMessageBox::No:
      for (dvx::TDVXTable* table : pending) table->Cancel();
      return true;
    default:
      return false;
  }
}

}  // namespace fendra
