#pragma once
// The main window TfrmMain: tool bar, page control with six tabs, status
// bar, main menu, and the handlers that tie them together.
#include <QMainWindow>
#include <QTabWidget>
#include <QTimer>
#include <memory>

#include "app/data_module.h"
#include "app/children_remedies.h"
#include "app/emergency_remedies.h"
#include "app/main_menu.h"
#include "app/main_tabs.h"
#include "app/main_toolbar.h"
#include "app/status_panels.h"

namespace fendra {

class TfrmImpressum;
class TRichTextView;

class TfrmMain : public QMainWindow {
  Q_OBJECT
 public:
  // Builds the window from its design, takes over the data module and
  // activates its components in their declaration order (errors pass to the
  // caller and end start-up), then runs FormCreate.
  explicit TfrmMain(std::unique_ptr<TDataModule> data, QWidget* parent = nullptr);
  ~TfrmMain() override;

  void SetImprintDialog(TfrmImpressum* dialog) { frmImpressum_ = dialog; }
  TStatusPanels* StatusPanels() const { return SbHaupt_; }
  QTabWidget* PageControl() const { return PageControl1_; }
  QLabel* Marker() const { return tb_.lbFarbschalter; }
  int ToolbarMode() const { return toolbarMode_; }
  const EmergencyRemedyTable& EmergencyRemedies() const { return emergencyRemedies_; }
  const ChildScoreTable& ChildScores() const { return childScores_; }
  TDataModule& Data() { return *data_; }

 public slots:
  // Navigation commands: set the page directly, which leaves the page-change
  // handling (panel 0, marker) out.
  void SbPrgEndClick();
  void SbSuchBaumClick();
  void SbSuchAbidZClick();
  void SbSuchSymKindClick();
  void SbSuchIndKindClick();
  void SbSuchIndNotfClick();
  void SbSuchModNotfClick();
  void SbSuchMMClick();
  void MuGrdlgClick();
  void MuImpressClick();

  // The user picked a tab.
  void PageControl1Change();

  // 1 formatted text, 2 remedy origin page, 3 no text, 4 text for reading;
  // any other value changes nothing.
  void SetToolbarMode(int mode);
  void ShowApplicationHint(const QString& hint);
  void FormResize();
  void Timer1Timer();

  // Children's tab: remedy finder or proven indications.
  void PaPtKindNaviKonstClick();
  void PaPtKindNaviIndikClick();
  // The children's finder: the evaluation, and the remedy search line.
  void PaBtKindAusw_Click();
  void EdKindKMGrp2Change();
  // Emergency tab: modality finder or indications, and the evaluation.
  void PaBtNotfNaviModClick();
  void PaPtKindNaviIndClick();
  void paNFStart_Click();
  // Materia medica: the three pages and the search line.
  void PaMMBezeichClick();
  void PaMMGesBildClick();
  void PaMMIndikClick();
  void edAMEingabeChange();
  // Basics: topic button `topic` (0..11, "Definition" first).
  void TopicClick(int topic);

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWindow();
  void ConnectHandlers();
  // Handlers that need the opened tables.
  void ConnectDataHandlers();
  void FormCreate();
  void FormShow();
  void SetPageDirectly(QWidget* page);
  void SetPanel(int panel, const QString& text);
  void NotYetAvailable(const QString& command);
  void ShowFontInUse();
  // The two areas of the children's sheet: the remedy finder or the
  // indications with their list.
  void ShowChildrenIndications(bool indications);
  // The two areas of the emergency sheet: the indication text or the
  // modality finder.
  void ShowEmergencyFinder(bool finder);
  // New and delete of the emergency sheet, hidden while the finder is shown.
  void ShowEmergencyEntryCommands(bool shown);
  // The materia medica opens on a remedy's origin page, other pages hidden.
  void ShowMateriaMedicaOrigin();
  // The children's remedy text, or the notice that the remedy has none.
  void ShowChildRemedyText();
  void ShowNoChildRemedyText(const QString& remedy);
  // The five result rows of the children's finder for these ticks.
  void ShowChildResults(const ChildTicks& ticks);
  // Shown without its points: a 0-point row is no result.
  static void MarkResultRow(std::initializer_list<QLabel*> cells, bool points, bool best);

  // Outlives the controls: the destructor frees them first.
  std::unique_ptr<TDataModule> data_;
  TMainToolBar tb_;
  TMainMenu menu_;
  QTabWidget* PageControl1_ = nullptr;
  TRichTextView* rePrint_ = nullptr;
  TStatusPanels* SbHaupt_ = nullptr;
  QTimer* Timer1_ = nullptr;
  TTreeTab tree_;
  TAtoZTab atoz_;
  TChildrenTab children_;
  TEmergencyTab emergency_;
  TMateriaMedicaTab materiaMedica_;
  TBasicsTab basics_;
  TfrmImpressum* frmImpressum_ = nullptr;

  EmergencyRemedyTable emergencyRemedies_;
  ChildScoreTable childScores_;
  bool positioningChildText_ = false;  // the finder itself moves "KindKM"
  int toolbarMode_ = 0;  // 0: as designed, before any mode was set
  bool settingPageDirectly_ = false;
  bool shown_ = false;
};

}  // namespace fendra
