#include "app/fendra_program.h"

#include <exception>

#include "app/impressum_dialog.h"

namespace fendra {

std::unique_ptr<TfrmMain> StartFendra(TFendraApplication& app,
                                      const TDeclareDataComponents& declare) {
  try {
    auto frmMain = std::make_unique<TfrmMain>(nullptr, declare);
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
