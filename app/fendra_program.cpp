#include "app/fendra_program.h"

#include <exception>

#include "app/impressum_dialog.h"

namespace fendra {

std::unique_ptr<TfrmMain> StartFendra(TFendraApplication& app,
                                      std::unique_ptr<TDataModule> data) {
  try {
    if (!data) data = std::make_unique<TDataModule>();
    auto frmMain = std::make_unique<TfrmMain>(std::move(data));
    auto* frmImpressum = new TfrmImpressum(frmMain.get());
    frmImpressum->setVisible(false);
    frmMain->SetImprintDialog(frmImpressum);
    return frmMain;
  } catch (const std::exception& e) {
    app.ShowError(QString::fromUtf8(e.what()));
  }
  return nullptr;
}

}  // namespace fendra
