#pragma once
// A main window started on a copy of the reference databases of its own,
// which a test may change, close and start again on the same files; and
// every record of every table read from such a folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QAbstractButton>
#include <QTextEdit>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/data_controls/blob_bytes.h"
#include "app/fendra_program.h"
#include "app/rich_text_view.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "tests/app/built_databases.h"
#include "tests/app/window_driver.h"

namespace fendra::testing {

// Each table's records in its order, each record its fields' stored bytes.
using TRecordBytes = std::vector<QByteArray>;
using TTableBytes = std::vector<TRecordBytes>;
using TDatabaseBytes = std::map<std::string, TTableBytes>;

inline TRecordBytes RecordBytes(dvx::TDVXTable& table) {
  TRecordBytes record;
  for (int i = 0; i < table.FieldCount(); ++i) {
    dvx::TField& field = table.Fields()[i];
    if (field.IsBlob())
      record.push_back(ReadBlobBytes(field, 64 << 20).bytes);
    else
      record.push_back(field.IsNull() ? QByteArray("<NULL>") : QByteArray::fromStdString(field.AsString()));
  }
  return record;
}

// Every table of the module on `folder`, opened apart from any window.
inline TDatabaseBytes ReadAllTables(const fs::path& folder) {
  TDataModule module(folder);
  module.Activate();
  TDatabaseBytes all;
  for (const TTableDesign& design : TDataModule::Tables()) {
    dvx::TDVXTable& table = module.TableComponent(design.Component);
    TTableBytes& rows = all[std::string(design.Component)];
    for (table.First(); !table.Eof(); table.Next()) rows.push_back(RecordBytes(table));
  }
  return all;
}

class OwnDatabasesTest : public WindowDriverTest {
 protected:
  void SetUp() override {
    folder_ = CopyOfBuiltDatabases();
    Start();
  }
  void Start() {
    window_ = StartFendra(App(), std::make_unique<TDataModule>(folder_));
    ASSERT_TRUE(window_);
    window_->resize(1366, 740);
    window_->show();
    // The keyboard reaches the window's controls as a user's would.
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QApplication::processEvents();
  }
  // Closes the window and its databases, as ending the program does.
  void Stop() {
    window_.reset();
    QApplication::processEvents();
  }
  void Restart() {
    Stop();
    Start();
  }

  QString ActiveName() const {
    const TActiveText a = window_->ActiveText();
    return a.View ? a.View->objectName() : QString();
  }
  // Selects characters [from, to) of the view, which has the keyboard.
  static void Select(QTextEdit* view, int from, int to) {
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
  }

  fs::path folder_;
};

}  // namespace fendra::testing
