#pragma once
// The main window TfrmMain: tool bar, page control with six tabs, status
// bar, main menu, and the handlers that tie them together.
#include <QMainWindow>
#include <QTabWidget>
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "app/data_module.h"
#include "app/children_remedies.h"
#include "app/emergency_remedies.h"
#include "app/indication_tree.h"
#include "app/main_menu.h"
#include "app/main_tabs.h"
#include "app/main_toolbar.h"
#include "app/status_panels.h"

namespace fendra {

class TfrmImpressum;
class TLevelEditor;
class TRichTextView;
class TEntryEditor;

// The text the tool bar's commands address: the active page's visible
// rich text, the table it is stored in, the heading it is printed under
// and the print buffer that takes it.
struct TActiveText {
  TRichTextView* View = nullptr;  // null: the page shows no text
  const char* Table = nullptr;    // table component
  QString Heading;
  TRichTextView* PrintBuffer = nullptr;
};

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
  // The Baum_IDs of the indication tree's nodes, in the order they were added.
  const TTreeNodeIds& TreeNodeIds() const { return TreeNodeIds_; }
  TDataModule& Data() { return *data_; }
  TLevelEditor& LevelEditor() const { return *levelEditor_; }

  // The active page's visible text, as the text commands address it; the
  // heading is read from the current record only when asked for.
  TActiveText ActiveText(bool withHeading = false) const;
  // The print buffer of the window, behind the page control.
  TRichTextView* PrintBuffer() const { return rePrint_; }

  // What the commands ask of the user, replaceable so tests run without
  // blocking dialogs: the font dialog (nothing when cancelled), the PDF's
  // file name (empty when cancelled), running the print preview (by
  // default modal) and showing a German message.
  using TFontChooser = std::function<std::optional<QFont>(const QFont& initial)>;
  using TFileChooser = std::function<QString()>;
  using TPreviewRunner = std::function<int(QDialog& preview)>;
  using TMessagePresenter = std::function<void(const QString& message)>;
  void SetFontChooser(TFontChooser chooser) { fontChooser_ = std::move(chooser); }
  void SetPdfFileChooser(TFileChooser chooser) { pdfFileChooser_ = std::move(chooser); }
  void SetPreviewRunner(TPreviewRunner runner) { previewRunner_ = std::move(runner); }
  void SetMessagePresenter(TMessagePresenter presenter) { messagePresenter_ = std::move(presenter); }
  // The picture file to load into the current remedy (empty when cancelled).
  void SetPictureFileChooser(TFileChooser chooser) { pictureFileChooser_ = std::move(chooser); }

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
  // The tree's selected node changed: "Baum" goes to its entry.
  void TreeView1Change();
  // The search lines of the A-Z and emergency lists: the list goes to the
  // first name at or after the text on its table's active index.
  void EdIndAZNaviSuchChange();
  void EdNotfIndSucheChange();

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

  // Text commands of the tool bar, on the active page's text.
  void TBMMGBSaveClick();
  void SbMMPrintClick();
  void MuPdfClick();
  void TBCutClick();
  void TBCopyClick();
  void TBPasteClick();
  void TBBoldClick();
  void TBItalicClick();
  void TBUnderlineClick();
  void TBLeftAlignClick();
  void TBCenterClick();
  void TBRightAlignClick();
  void CBFontsDropDown();
  void CBFontsChange();

  // Adding and deleting entries: the lists' commands and their forms'
  // buttons (main_window_entries.cpp).
  void PaBtIndAZNaviNeuClick();
  void PaBtIndAZNaviDelClick();
  void BtIndikNeuClick();
  void BiIndAZStoreClick();
  void BiIndAZCanc1Click();
  void BiIndAZDelClick();
  void BiIndAZGoClick();
  void PaBtNotfNaviNewClick();
  void PaBtNotfNaviDelClick();
  void BtNotfallNeuClick();
  void BiNotfallStoreClick();
  void BiNotfallCanc1Click();
  void BiNotfallDelClick();
  void BiNotfallGoClick();
  void PaMMGoNewClick();
  void PaMMGoDelClick();
  void BtMatMedlNeuClick();
  void BiMatMedStorClick();
  void BiMatMedCanc1Click();
  void BiMatMedDelClick();
  void BiMatMedGoClick();
  // Loads a picture file into the current remedy's `Grfik2`.
  void SbMMBildLadenClick();

 protected:
  bool event(QEvent* event) override;
  // Pending changes are stored, dropped or kept open as the user answers.
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWindow();
  void ConnectHandlers();
  // Handlers that need the opened tables.
  void ConnectDataHandlers();
  void FormCreate();
  void FormShow();
  void SetPageDirectly(QWidget* page);
  // While a new tree entry is open, only the tree tab's editor may act: the
  // other pages, the commands leading to them and storing are disabled.
  void LockToTreeEditor(bool locked);
  // The indication lists' search lines, hints and grid columns.
  void ConnectIndicationLists();
  void SetPanel(int panel, const QString& text);
  void ConnectTextCommands();
  void ConnectEntryCommands();
  // A new remedy is being inserted: its form stays in front.
  bool RemedyInsertPending() const;
  // The text control the clipboard commands act on: the one last focused
  // on the active page while it is shown, else the active page's text.
  QWidget* ClipboardTarget() const;
  // The editable rich text the formatting commands act on, or null.
  TRichTextView* FormatTarget() const;
  // Enables the text commands for the active text and shows the style and
  // alignment at its caret.
  void UpdateTextCommands();
  void ShowMessage(const QString& message);
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
  QPointer<QWidget> lastTextFocus_;
  QMetaObject::Connection focusConnection_;
  bool destroying_ = false;  // the controls are being freed: no command updates
  TFontChooser fontChooser_;
  TFileChooser pdfFileChooser_;
  TPreviewRunner previewRunner_;
  TMessagePresenter messagePresenter_;
  TFileChooser pictureFileChooser_;
  std::unique_ptr<TEntryEditor> atozEntries_;
  std::unique_ptr<TEntryEditor> emergencyEntries_;
  std::unique_ptr<TEntryEditor> remedyEntries_;

  TTreeNodeIds TreeNodeIds_;
  TLevelEditor* levelEditor_ = nullptr;
  bool saveEnabledBeforeLock_ = true;
  EmergencyRemedyTable emergencyRemedies_;
  ChildScoreTable childScores_;
  bool positioningChildText_ = false;  // the finder itself moves "KindKM"
  int toolbarMode_ = 0;  // 0: as designed, before any mode was set
  bool settingPageDirectly_ = false;
  bool shown_ = false;
};

}  // namespace fendra
