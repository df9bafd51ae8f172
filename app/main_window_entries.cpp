// The main window's entry editing: the new-entry and delete commands of the
// A-to-Z, emergency and materia medica tabs, their forms' buttons, loading
// a remedy's picture, and the question before closing with changes that
// are not stored yet.
//
// A form is in one of four looks:
//   ready    the form asks for a name; "Neuer Eintrag" starts the record
//   input    a new record is being inserted: the input takes its name,
//            Store and Cancel are there, the list is disabled
//   stored   the new record was stored; "Weiter" leads to its text
//   delete   the input shows the list's current name; "Löschen" deletes it
// Cancel and a delete leave "Weiter" shown as well, so the form can always
// be left again for the text view.
#include <QCloseEvent>
#include <QFileDialog>
#include <QToolButton>

#include "app/data_controls/db_image.h"
#include "app/engine_names.h"
#include "app/entry_editor.h"
#include "app/main_window.h"
#include "app/message_dialogs.h"
#include "app/picture_loading.h"
#include "app/unsaved_changes.h"
#include "engine/components/table.h"

namespace fendra {

namespace {
constexpr int kAdvicePanel = 1;

void ShowReady(const TEntryForm& f) {
  f.Label->setText(QStringLiteral("Eingabe:"));
  f.Label->setVisible(true);
  f.AskMemo->setVisible(true);
  f.StoredMemo->setVisible(false);
  f.DeleteMemo->setVisible(false);
  f.Input->setEnabled(false);
  f.New->setVisible(true);
  f.New->setEnabled(true);
  f.Store->setVisible(false);
  f.Cancel->setVisible(true);
  f.Cancel->setEnabled(false);
  f.Delete->setVisible(false);
  f.Go->setVisible(false);
}

void ShowInput(const TEntryForm& f) {
  f.Label->setText(QStringLiteral("Eingabe:"));
  f.Label->setVisible(true);
  f.AskMemo->setVisible(true);
  f.StoredMemo->setVisible(false);
  f.DeleteMemo->setVisible(false);
  f.New->setVisible(true);
  f.New->setEnabled(false);
  f.Store->setVisible(true);
  f.Store->setEnabled(true);
  f.Cancel->setVisible(true);
  f.Cancel->setEnabled(true);
  f.Delete->setVisible(false);
  f.Go->setVisible(false);
}

void ShowStored(const TEntryForm& f) {
  f.AskMemo->setVisible(false);
  f.StoredMemo->setVisible(true);
  f.DeleteMemo->setVisible(false);
  f.New->setVisible(false);
  f.Cancel->setVisible(false);
  f.Store->setVisible(false);
  f.Go->setVisible(true);
}

void ShowCancelled(const TEntryForm& f) {
  f.New->setVisible(true);
  f.New->setEnabled(true);
  f.Cancel->setEnabled(false);
  f.Store->setVisible(false);
  f.Go->setVisible(true);
}

void ShowDelete(const TEntryForm& f) {
  f.Label->setText(QStringLiteral("Eintrag:"));
  f.Label->setVisible(true);
  f.AskMemo->setVisible(false);
  f.StoredMemo->setVisible(false);
  f.DeleteMemo->setVisible(true);
  f.Input->setEnabled(false);
  f.New->setVisible(false);
  f.Store->setVisible(false);
  f.Cancel->setVisible(false);
  f.Delete->setVisible(true);
  f.Go->setVisible(false);
}

// A list's "Neuer Eintrag" while a new record is still pending shows that
// record's input again rather than a fresh form, so Store and Cancel stay
// within reach.
void ShowNewForm(TEntryEditor& editor, const TEntryForm& f) {
  if (editor.Inserting())
    ShowInput(f);
  else
    ShowReady(f);
}
}  // namespace

void TfrmMain::ConnectEntryCommands() {
  atozEntries_ = std::make_unique<TEntryEditor>(this, atoz_.Form, data_->TableComponent("TblIndList"),
                                                EngineName("Indikationen"),
                                                std::vector<const char*>{"GrIndAZ", "EdIndAZNaviSuch", "NaIndAZ"});
  emergencyEntries_ = std::make_unique<TEntryEditor>(
      this, emergency_.Form, data_->TableComponent("TblNotfall"), EngineName("Indikation"),
      std::vector<const char*>{"GrNotfInd", "EdNotfIndSuche", "NaNotfInd"});
  // The remedy's page commands refresh the table, which would post the
  // pending record too.
  remedyEntries_ = std::make_unique<TEntryEditor>(
      this, materiaMedica_.Form, data_->TableComponent("TblAML"), EngineName("Hom Bezeichnung"),
      std::vector<const char*>{"DbGrMM", "edAMEingabe", "DbNaMM", "PaMMBezeich", "PaMMGesBild", "PaMMIndik"});

  connect(atoz_.PaBtIndAZNaviNeu, &QPushButton::clicked, this, &TfrmMain::PaBtIndAZNaviNeuClick);
  connect(atoz_.PaBtIndAZNaviDel, &QPushButton::clicked, this, &TfrmMain::PaBtIndAZNaviDelClick);
  connect(atoz_.Form.New, &QPushButton::clicked, this, &TfrmMain::BtIndikNeuClick);
  connect(atoz_.Form.Store, &QPushButton::clicked, this, &TfrmMain::BiIndAZStoreClick);
  connect(atoz_.Form.Cancel, &QPushButton::clicked, this, &TfrmMain::BiIndAZCanc1Click);
  connect(atoz_.Form.Delete, &QPushButton::clicked, this, &TfrmMain::BiIndAZDelClick);
  connect(atoz_.Form.Go, &QPushButton::clicked, this, &TfrmMain::BiIndAZGoClick);

  connect(emergency_.PaBtNotfNaviNew, &QPushButton::clicked, this, &TfrmMain::PaBtNotfNaviNewClick);
  connect(emergency_.PaBtNotfNaviDel, &QPushButton::clicked, this, &TfrmMain::PaBtNotfNaviDelClick);
  connect(emergency_.Form.New, &QPushButton::clicked, this, &TfrmMain::BtNotfallNeuClick);
  connect(emergency_.Form.Store, &QPushButton::clicked, this, &TfrmMain::BiNotfallStoreClick);
  connect(emergency_.Form.Cancel, &QPushButton::clicked, this, &TfrmMain::BiNotfallCanc1Click);
  connect(emergency_.Form.Delete, &QPushButton::clicked, this, &TfrmMain::BiNotfallDelClick);
  connect(emergency_.Form.Go, &QPushButton::clicked, this, &TfrmMain::BiNotfallGoClick);

  connect(materiaMedica_.PaMMGoNew, &QPushButton::clicked, this, &TfrmMain::PaMMGoNewClick);
  connect(materiaMedica_.PaMMGoDel, &QPushButton::clicked, this, &TfrmMain::PaMMGoDelClick);
  connect(materiaMedica_.Form.New, &QPushButton::clicked, this, &TfrmMain::BtMatMedlNeuClick);
  connect(materiaMedica_.Form.Store, &QPushButton::clicked, this, &TfrmMain::BiMatMedStorClick);
  connect(materiaMedica_.Form.Cancel, &QPushButton::clicked, this, &TfrmMain::BiMatMedCanc1Click);
  connect(materiaMedica_.Form.Delete, &QPushButton::clicked, this, &TfrmMain::BiMatMedDelClick);
  connect(materiaMedica_.Form.Go, &QPushButton::clicked, this, &TfrmMain::BiMatMedGoClick);
}

bool TfrmMain::RemedyInsertPending() const { return remedyEntries_ && remedyEntries_->Inserting(); }

// --- A to Z ------------------------------------------------------------------

void TfrmMain::PaBtIndAZNaviNeuClick() {
  atoz_.PaIndAZLageNeu->setVisible(true);
  atoz_.DbReIndAZ->setVisible(false);
  ShowNewForm(*atozEntries_, atoz_.Form);
  SetPanel(kAdvicePanel, QString());
}

void TfrmMain::PaBtIndAZNaviDelClick() {
  if (atozEntries_->Inserting()) atozEntries_->Cancel();
  atoz_.DbReIndAZ->setVisible(false);
  atoz_.PaIndAZLageNeu->setVisible(true);
  ShowDelete(atoz_.Form);
  SetPanel(kAdvicePanel, QStringLiteral("Achten Sie auf die Bezeichnung im Eintrag"));
}

void TfrmMain::BtIndikNeuClick() {
  atozEntries_->BeginNew();
  ShowInput(atoz_.Form);
}

void TfrmMain::BiIndAZStoreClick() {
  if (atozEntries_->Store()) ShowStored(atoz_.Form);
}

void TfrmMain::BiIndAZCanc1Click() {
  atozEntries_->Cancel();
  ShowCancelled(atoz_.Form);
}

void TfrmMain::BiIndAZDelClick() {
  if (atozEntries_->DeleteCurrent()) atoz_.Form.Go->setVisible(true);
}

void TfrmMain::BiIndAZGoClick() {
  atoz_.DbReIndAZ->setVisible(true);
  atoz_.PaIndAZLageNeu->setVisible(false);
  SetToolbarMode(1);
  SetPanel(kAdvicePanel, QString());
}

// --- Emergencies -------------------------------------------------------------

void TfrmMain::PaBtNotfNaviNewClick() {
  emergency_.PaNotfLayerNeu->setVisible(true);
  emergency_.DbReNotfInd->setVisible(false);
  ShowNewForm(*emergencyEntries_, emergency_.Form);
  SetPanel(kAdvicePanel, QString());
}

void TfrmMain::PaBtNotfNaviDelClick() {
  if (emergencyEntries_->Inserting()) emergencyEntries_->Cancel();
  emergency_.PaNotfLayerNeu->setVisible(true);
  emergency_.DbReNotfInd->setVisible(false);
  ShowDelete(emergency_.Form);
  SetPanel(kAdvicePanel, QStringLiteral("Achten Sie auf die Bezeichnung im Eintrag"));
}

void TfrmMain::BtNotfallNeuClick() {
  emergencyEntries_->BeginNew();
  ShowInput(emergency_.Form);
}

void TfrmMain::BiNotfallStoreClick() {
  if (emergencyEntries_->Store()) ShowStored(emergency_.Form);
}

void TfrmMain::BiNotfallCanc1Click() {
  emergencyEntries_->Cancel();
  ShowCancelled(emergency_.Form);
}

void TfrmMain::BiNotfallDelClick() {
  if (emergencyEntries_->DeleteCurrent()) emergency_.Form.Go->setVisible(true);
}

void TfrmMain::BiNotfallGoClick() {
  emergency_.PaNotfIndLag->setVisible(true);
  emergency_.DbReNotfInd->setVisible(true);
  emergency_.PaNotfLayerNeu->setVisible(false);
  UpdateTextCommands();
}

// --- Materia medica ----------------------------------------------------------

void TfrmMain::PaMMGoNewClick() {
  materiaMedica_.PaMMGlobNew->setVisible(true);
  materiaMedica_.PaMMNaviHerk->setVisible(false);
  materiaMedica_.PaMMweissRand->setVisible(false);
  ShowNewForm(*remedyEntries_, materiaMedica_.Form);
  SetToolbarMode(3);
  SetPanel(kAdvicePanel, QStringLiteral("Keine identischen Bezeichnungen für die Indikationen eingeben!"));
}

void TfrmMain::PaMMGoDelClick() {
  if (remedyEntries_->Inserting()) remedyEntries_->Cancel();
  materiaMedica_.PaMMGlobNew->setVisible(true);
  materiaMedica_.PaMMNaviHerk->setVisible(false);
  materiaMedica_.PaMMweissRand->setVisible(false);
  ShowDelete(materiaMedica_.Form);
  SetPanel(kAdvicePanel, QStringLiteral("Achten Sie beim Löschen auf den gewünschten Eintrag!"));
}

void TfrmMain::BtMatMedlNeuClick() {
  remedyEntries_->BeginNew();
  ShowInput(materiaMedica_.Form);
}

// The post comes first: the form shows the stored look only once the
// record is stored, and a refused name leaves the input with Cancel.
void TfrmMain::BiMatMedStorClick() {
  if (remedyEntries_->Store()) ShowStored(materiaMedica_.Form);
}

void TfrmMain::BiMatMedCanc1Click() {
  remedyEntries_->Cancel();
  ShowCancelled(materiaMedica_.Form);
}

void TfrmMain::BiMatMedDelClick() {
  if (remedyEntries_->DeleteCurrent()) materiaMedica_.Form.Go->setVisible(true);
}

void TfrmMain::BiMatMedGoClick() {
  materiaMedica_.PaMMNaviHerk->setVisible(true);
  materiaMedica_.PaMMweissRand->setVisible(false);
  materiaMedica_.DbReMMGesBild->setVisible(false);
  materiaMedica_.DbReMMIndik->setVisible(false);
  materiaMedica_.PaMMGlobNew->setVisible(false);
  tb_.SbMMBildLaden->setVisible(true);
  if (auto* abbreviation = findChild<QWidget*>(QStringLiteral("DBEdMMAkk")))
    abbreviation->setFocus(Qt::OtherFocusReason);
  SetToolbarMode(2);
}

// --- Pictures ----------------------------------------------------------------

void TfrmMain::SbMMBildLadenClick() {
  // A remedy still being inserted gets its picture once it is stored.
  if (RemedyInsertPending()) return;
  QString path;
  if (pictureFileChooser_) {
    path = pictureFileChooser_();
  } else {
    path = QFileDialog::getOpenFileName(this, QStringLiteral("Bild laden"), QString(), PictureFileFilter());
  }
  if (path.isEmpty()) return;
  const TPictureFile picture = ReadPictureFile(path);
  if (!picture.Error.isEmpty()) {
    ShowWarning(this, picture.Error);
    return;
  }
  if (IsOversizedPicture(picture.Size) && !ConfirmYesNo(this, OversizedPictureQuestion(picture.Size))) return;
  auto* image = findChild<TDBImage*>(QStringLiteral("DBImgMMBild"));
  dvx::TDVXTable& remedies = data_->TableComponent("TblAML");
  try {
    image->LoadPicture(picture.Bytes);
    remedies.Post();
  } catch (const std::exception& e) {
    // The picture stays in the record being edited; closing asks about it.
    ShowApplicationError(QString::fromUtf8(e.what()));
  }
}

// --- Closing -----------------------------------------------------------------

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (SettlePendingChanges(this, *data_))
    event->accept();
  else
    event->ignore();
}

}  // namespace fendra
