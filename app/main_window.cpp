#include "app/main_window.h"

#include <algorithm>
#include <stdexcept>

#include <QDate>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusTipEvent>
#include <QVBoxLayout>

#include "app/children_explanation.h"
#include "app/control_bindings.h"
#include "app/emergency_explanation.h"
#include "app/entry_editor.h"
#include "app/impressum_dialog.h"
#include "app/key_search.h"
#include "app/level_editor.h"
#include "app/result_cell.h"
#include "app/engine_names.h"
#include "app/rich_text_view.h"
#include "engine/components/data_source.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "engine/core/locale.h"

namespace fendra {

namespace {
// Status bar panels.
constexpr int kTitlePanel = 0;
constexpr int kAdvicePanel = 1;
constexpr int kDatePanel = 2;

// The tables the handlers position, and the name fields they search.
constexpr const char* kTree = "tblTree";
constexpr const char* kChildTexts = "tbKIndKM";
constexpr const char* kChildTextKey = "Bez";
constexpr const char* kRemedies = "TblAML";
constexpr const char* kRemedyKey = "Hom Bezeichnung";
constexpr const char* kBasics = "tbGrdlg";
constexpr const char* kBasicsKey = "Verzeichnis";
}  // namespace

TfrmMain::TfrmMain(std::unique_ptr<TDataModule> data, QWidget* parent)
    : QMainWindow(parent), data_(std::move(data)) {
  if (!data_) throw std::invalid_argument("the main window needs its data module");
  setObjectName("frmMain");
  BuildWindow();
  ConnectHandlers();
  BindDataControls(*this, *data_);
  data_->Activate();
  ConnectDataHandlers();
  FormCreate();
  UpdateTextCommands();
}

// Controls bound to the data module's components go before the module:
// QWidget would free them only after the members.
TfrmMain::~TfrmMain() {
  destroying_ = true;
  disconnect(focusConnection_);
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void TfrmMain::BuildWindow() {
  setWindowTitle(QStringLiteral("  Fendra"));
  QFont base(QStringLiteral("Arial"));
  base.setPixelSize(15);
  setFont(base);

  menu_ = BuildMainMenu(this);
  setMenuBar(menu_.MainMenu1);

  auto* central = new QWidget(this);
  central->setObjectName("ClientArea");
  auto* rows = new QVBoxLayout(central);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);

  tb_ = BuildMainToolBar(central);
  rows->addWidget(tb_.TbHaupt);

  PageControl1_ = new QTabWidget(central);
  PageControl1_->setObjectName("PageControl1");
  PageControl1_->setDocumentMode(true);
  tree_ = BuildTreeTab(PageControl1_);
  atoz_ = BuildAtoZTab(PageControl1_);
  children_ = BuildChildrenTab(PageControl1_);
  emergency_ = BuildEmergencyTab(PageControl1_);
  materiaMedica_ = BuildMateriaMedicaTab(PageControl1_);
  basics_ = BuildBasicsTab(PageControl1_);
  PageControl1_->addTab(tree_.TsBaum, QStringLiteral("Baumstruktur"));
  PageControl1_->addTab(atoz_.TsIndikAZ, QStringLiteral("Indikationen von A - Z"));
  PageControl1_->addTab(children_.TsKinder, QStringLiteral("Kinder"));
  PageControl1_->addTab(emergency_.TsNotfall, QStringLiteral("Notfälle"));
  PageControl1_->addTab(materiaMedica_.TsAML, QStringLiteral("Materia Medica"));
  PageControl1_->addTab(basics_.TsGrundlage, QStringLiteral("Grundlagen"));
  PageControl1_->setCurrentWidget(tree_.TsBaum);
  rows->addWidget(PageControl1_, 1);

  // The print buffer lies behind the page control and is never brought to
  // the front, so it is simply never shown.
  rePrint_ = new TRichTextView(central, "rePrint", TRichTextView::TAccess::Editable);
  rePrint_->setPlainText(QStringLiteral("reDruck"));
  rePrint_->setVisible(false);

  SbHaupt_ = new TStatusPanels(central, "SbHaupt");
  rows->addWidget(SbHaupt_);
  setCentralWidget(central);

  Timer1_ = new QTimer(this);
  Timer1_->setObjectName("Timer1");
  Timer1_->setInterval(1000);
}

void TfrmMain::ConnectHandlers() {
  connect(tb_.SbPrgEnd, &QToolButton::clicked, this, &TfrmMain::SbPrgEndClick);
  connect(tb_.SbSuchBaum, &QToolButton::clicked, this, &TfrmMain::SbSuchBaumClick);
  connect(tb_.SbSuchAbidZ, &QToolButton::clicked, this, &TfrmMain::SbSuchAbidZClick);
  connect(tb_.SbSuchSymKind, &QToolButton::clicked, this, &TfrmMain::SbSuchSymKindClick);
  connect(tb_.SbSuchIndKind, &QToolButton::clicked, this, &TfrmMain::SbSuchIndKindClick);
  connect(tb_.SbSuchIndNotf, &QToolButton::clicked, this, &TfrmMain::SbSuchIndNotfClick);
  connect(tb_.SbSuchModNotf, &QToolButton::clicked, this, &TfrmMain::SbSuchModNotfClick);
  connect(tb_.SbSuchMM, &QToolButton::clicked, this, &TfrmMain::SbSuchMMClick);

  connect(tb_.SbMMBildLaden, &QToolButton::clicked, this, &TfrmMain::SbMMBildLadenClick);
  ConnectTextCommands();

  connect(menu_.MuEnd, &QAction::triggered, this, &TfrmMain::SbPrgEndClick);
  connect(menu_.MuIndBaum, &QAction::triggered, this, &TfrmMain::SbSuchBaumClick);
  connect(menu_.MuIndAZ, &QAction::triggered, this, &TfrmMain::SbSuchAbidZClick);
  connect(menu_.MuIndKind, &QAction::triggered, this, &TfrmMain::SbSuchSymKindClick);
  connect(menu_.MuIndNotf, &QAction::triggered, this, &TfrmMain::SbSuchIndNotfClick);
  connect(menu_.MuMatMed, &QAction::triggered, this, &TfrmMain::SbSuchMMClick);
  connect(menu_.MuGrdlg, &QAction::triggered, this, &TfrmMain::MuGrdlgClick);
  connect(menu_.MuSuchBaum, &QAction::triggered, this, &TfrmMain::SbSuchBaumClick);
  connect(menu_.MuSuchAZ, &QAction::triggered, this, &TfrmMain::SbSuchAbidZClick);
  connect(menu_.MuSuchSymKind, &QAction::triggered, this, &TfrmMain::SbSuchSymKindClick);
  connect(menu_.MuSuchIndKind, &QAction::triggered, this, &TfrmMain::SbSuchIndKindClick);
  connect(menu_.MuSuchIndNotf, &QAction::triggered, this, &TfrmMain::SbSuchIndNotfClick);
  connect(menu_.MuSuchModNotf, &QAction::triggered, this, &TfrmMain::SbSuchModNotfClick);
  connect(menu_.MuSuchMatMed, &QAction::triggered, this, &TfrmMain::SbSuchMMClick);
  connect(menu_.MuImpress, &QAction::triggered, this, &TfrmMain::MuImpressClick);
  // F10 opens the first menu; the arrow keys go on from there.
  auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
  menuKey->setObjectName("MenuKey");
  connect(menuKey, &QShortcut::activated, this,
          [this] { menu_.MainMenu1->setActiveAction(menu_.MuPrg->menuAction()); });

  connect(PageControl1_, &QTabWidget::currentChanged, this, [this] {
    if (!settingPageDirectly_) PageControl1Change();
  });
  // Picking the tab of the page already shown (reached by menu or tool bar,
  // which leave the titles alone) runs the page change as well, so the
  // page's titles can always be had from its tab.
  connect(PageControl1_, &QTabWidget::tabBarClicked, this, [this](int index) {
    if (index >= 0 && index == PageControl1_->currentIndex()) PageControl1Change();
  });

  connect(SbHaupt_, &TStatusPanels::Resized, this, &TfrmMain::FormResize);
  connect(Timer1_, &QTimer::timeout, this, &TfrmMain::Timer1Timer);

  levelEditor_ = new TLevelEditor(tree_.Editor, tree_.TreeView1, tree_.DbReBaum, tree_.PaBtBaumNeu,
                                  tree_.PaBtBaumDel, *data_, this);
  connect(levelEditor_, &TLevelEditor::PendingChanged, this, &TfrmMain::LockToTreeEditor);
  connect(levelEditor_, &TLevelEditor::RestartRequested, this, &TfrmMain::close);

  connect(children_.PaPtKindNaviKonst, &QPushButton::clicked, this, &TfrmMain::PaPtKindNaviKonstClick);
  connect(children_.PaPtKindNaviIndik, &QPushButton::clicked, this, &TfrmMain::PaPtKindNaviIndikClick);
  connect(emergency_.PaBtNotfNaviMod, &QPushButton::clicked, this, &TfrmMain::PaBtNotfNaviModClick);
  connect(emergency_.PaPtKindNaviInd, &QPushButton::clicked, this, &TfrmMain::PaPtKindNaviIndClick);
  connect(emergency_.Finder.paNFStart, &QPushButton::clicked, this, &TfrmMain::paNFStart_Click);

  connect(children_.Finder.PaBtKindAusw, &QPushButton::clicked, this, &TfrmMain::PaBtKindAusw_Click);
  connect(children_.Finder.EdKindKMGrp2, &QLineEdit::textChanged, this, &TfrmMain::EdKindKMGrp2Change);
  connect(materiaMedica_.PaMMBezeich, &QPushButton::clicked, this, &TfrmMain::PaMMBezeichClick);
  connect(materiaMedica_.PaMMGesBild, &QPushButton::clicked, this, &TfrmMain::PaMMGesBildClick);
  connect(materiaMedica_.PaMMIndik, &QPushButton::clicked, this, &TfrmMain::PaMMIndikClick);
  connect(materiaMedica_.edAMEingabe, &QLineEdit::textChanged, this, &TfrmMain::edAMEingabeChange);
  for (int topic = 0; topic < kBasicsTopicCount; ++topic)
    connect(basics_.TopicButtons[topic], &QPushButton::clicked, this, [this, topic] { TopicClick(topic); });
}

void TfrmMain::ConnectDataHandlers() {
  // The search lines take no more than their name fields hold.
  MakeKeySearchLine(children_.Finder.EdKindKMGrp2,
                    data_->TableComponent(kChildTexts).FieldByName(EngineName(kChildTextKey)).Size());
  MakeKeySearchLine(materiaMedica_.edAMEingabe,
                    data_->TableComponent(kRemedies).FieldByName(EngineName(kRemedyKey)).Size());
  ConnectEntryCommands();
  // Moving "KindKM" by its list, navigator or search line shows that
  // remedy's text again in place of a notice.
  connect(tree_.TreeView1, &QTreeWidget::currentItemChanged, this, &TfrmMain::TreeView1Change);
  ConnectIndicationLists();
  data_->DataSource("dsKindKM").OnDataChange = [this](dvx::TDataSource&, dvx::TField* field) {
    if (field == nullptr && !positioningChildText_) ShowChildRemedyText();
  };
}

void TfrmMain::FormCreate() {
  // The hint handler is this window's status tip handling (see event()).
  tb_.CBFonts->addItems(QFontDatabase::families());
  ShowFontInUse();
  // The clock runs from start; the first date is written at once rather
  // than a second late.
  Timer1Timer();
  Timer1_->start();
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

void TfrmMain::FormShow() {
  TreeNodeIds_ = BuildIndicationTree(*tree_.TreeView1, *data_);
  // Selecting the root shows its text.
  if (tree_.TreeView1->topLevelItemCount() > 0) tree_.TreeView1->setCurrentItem(tree_.TreeView1->topLevelItem(0));
  // Each view is narrowed once, 15 pixels on either side, in this order.
  for (TRichTextView* view : {tree_.DbReBaum, children_.Finder.reKindKM, children_.DbReKindSuN,
                              basics_.DbReGrundl, emergency_.DbReNotfInd, atoz_.DbReIndAZ})
    view->NarrowTextArea(15, 15);
  SetPanel(kTitlePanel, QStringLiteral("Indikationen als Baumstruktur"));
  // The keyboard starts in the indication tree, not on the first tool bar
  // button, which ends the program.
  tree_.TreeView1->setFocus(Qt::OtherFocusReason);
}

bool TfrmMain::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    // Entering a control with a hint brings its text; leaving brings an
    // empty one, which is not a hint: panel 0 keeps the last hint until
    // something else writes it.
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    if (!tip.isEmpty()) ShowApplicationHint(tip);
    return true;
  }
  return QMainWindow::event(event);
}

void TfrmMain::ShowApplicationHint(const QString& hint) { SetPanel(kTitlePanel, hint); }

void TfrmMain::SetPanel(int panel, const QString& text) { SbHaupt_->SetPanelText(panel, text); }

void TfrmMain::FormResize() {
  const int width = SbHaupt_->width() - SbHaupt_->PanelWidth(kTitlePanel) -
                    SbHaupt_->PanelWidth(kDatePanel);
  SbHaupt_->SetPanelWidth(kAdvicePanel, width < 0 ? 0 : width);
}

void TfrmMain::Timer1Timer() {
  const QDate today = QDate::currentDate();
  SetPanel(kDatePanel, QString::fromStdString(
                           dvx::FormatShortDate(today.year(), today.month(), today.day())));
}

// The font the texts are set in, as the system resolves it, rather than the
// first name on the list.
void TfrmMain::ShowFontInUse() {
  tb_.CBFonts->setCurrentIndex(std::max(0, tb_.CBFonts->findText(QFontInfo(font()).family())));
}

// --- Navigation --------------------------------------------------------------

void TfrmMain::SetPageDirectly(QWidget* page) {
  settingPageDirectly_ = true;
  PageControl1_->setCurrentWidget(page);
  settingPageDirectly_ = false;
}

void TfrmMain::SbPrgEndClick() { close(); }

// The tree's text is for reading only: no formatting commands.
void TfrmMain::SbSuchBaumClick() {
  SetPageDirectly(tree_.TsBaum);
  levelEditor_->CloseEditor();
  SetToolbarMode(4);
}

void TfrmMain::SbSuchAbidZClick() {
  SetPageDirectly(atoz_.TsIndikAZ);
  SetToolbarMode(1);
}

// The commands that lead to the children's, materia medica and basics tabs
// run what choosing the tab runs, less its title in panel 0 (and the basics
// page's marker), which stay until the tab itself is picked; the children's
// advice is the one of the area shown.
void TfrmMain::SbSuchSymKindClick() {
  SetPageDirectly(children_.TsKinder);
  SetToolbarMode(4);
  PaPtKindNaviKonstClick();
}

void TfrmMain::SbSuchIndKindClick() {
  SetPageDirectly(children_.TsKinder);
  SetToolbarMode(1);
  PaPtKindNaviIndikClick();
}

void TfrmMain::SbSuchIndNotfClick() {
  SetPageDirectly(emergency_.TsNotfall);
  ShowEmergencyFinder(false);
  SetToolbarMode(1);
}

void TfrmMain::SbSuchModNotfClick() {
  SetPageDirectly(emergency_.TsNotfall);
  ShowEmergencyFinder(true);
}

void TfrmMain::SbSuchMMClick() {
  SetPageDirectly(materiaMedica_.TsAML);
  ShowMateriaMedicaOrigin();
  SetToolbarMode(2);
  SetPanel(kAdvicePanel, QString());
}

void TfrmMain::MuGrdlgClick() {
  SetPageDirectly(basics_.TsGrundlage);
  SeekNearestText(data_->TableComponent(kBasics), kBasicsKey, QString::fromUtf8(BasicsTopics()[0].Key));
  SetToolbarMode(4);
  SetPanel(kAdvicePanel, QString());
}

void TfrmMain::MuImpressClick() {
  if (frmImpressum_) frmImpressum_->exec();
}

void TfrmMain::PageControl1Change() {
  QWidget* page = PageControl1_->currentWidget();
  if (page == tree_.TsBaum) {
    // Picking the tab brings its text back in front of the level editor.
    levelEditor_->CloseEditor();
    SetToolbarMode(4);
    SetPanel(kAdvicePanel, QString());
    SetPanel(kTitlePanel, QStringLiteral("Indikationen als Baumstruktur"));
    SetMarkerColor(tb_.lbFarbschalter, marker::kTreeText);
  } else if (page == atoz_.TsIndikAZ) {
    SetToolbarMode(1);
    SetPanel(kTitlePanel, QStringLiteral("Indikationen von A - Z"));
    SetPanel(kAdvicePanel, QString());
    SetMarkerColor(tb_.lbFarbschalter, marker::kAtoZText);
  } else if (page == children_.TsKinder) {
    SetToolbarMode(4);
    SetPanel(kTitlePanel, QStringLiteral("Indikationnen für Kinder"));
    SetPanel(kAdvicePanel, QString());
  } else if (page == emergency_.TsNotfall) {
    ShowEmergencyFinder(false);
    ShowEmergencyEntryCommands(true);
    SetToolbarMode(1);
    SetPanel(kTitlePanel, QStringLiteral("Notfall-Indikationnen"));
    SetPanel(kAdvicePanel, QString());
  } else if (page == materiaMedica_.TsAML) {
    ShowMateriaMedicaOrigin();
    SetToolbarMode(2);
    SetPanel(kTitlePanel, QStringLiteral("Arzneimittellehre"));
    SetPanel(kAdvicePanel, QString());
  } else if (page == basics_.TsGrundlage) {
    SeekNearestText(data_->TableComponent(kBasics), kBasicsKey, QString::fromUtf8(BasicsTopics()[0].Key));
    SetToolbarMode(4);
    SetPanel(kTitlePanel, QStringLiteral("Grundlagen"));
    SetPanel(kAdvicePanel, QString());
    SetMarkerColor(tb_.lbFarbschalter, marker::kBasicsPage);
  }
}

void TfrmMain::SetToolbarMode(int mode) {
  bool save, print, picture, formatting;
  switch (mode) {
    case 1: save = true;  print = true;  picture = false; formatting = true;  break;
    case 2: save = true;  print = false; picture = true;  formatting = false; break;
    case 3: save = false; print = false; picture = false; formatting = false; break;
    case 4: save = false; print = true;  picture = false; formatting = false; break;
    default: return;
  }
  tb_.TBMMGBSave->setEnabled(save);
  tb_.SbMMPrint->setEnabled(print);
  tb_.SbMMBildLaden->setVisible(picture);
  for (QWidget* w : {static_cast<QWidget*>(tb_.ToolBar3), static_cast<QWidget*>(tb_.LaMMSchriftart),
                     static_cast<QWidget*>(tb_.CBFonts), static_cast<QWidget*>(tb_.ToolBar4)})
    w->setVisible(formatting);
  toolbarMode_ = mode;
  UpdateTextCommands();
}

void TfrmMain::ShowMateriaMedicaOrigin() {
  if (RemedyInsertPending()) return;
  materiaMedica_.PaMMNaviHerk->setVisible(true);
  materiaMedica_.PaMMweissRand->setVisible(false);
  materiaMedica_.DbReMMGesBild->setVisible(false);
  materiaMedica_.DbReMMIndik->setVisible(false);
  materiaMedica_.PaMMGlobNew->setVisible(false);
}

// --- Indication tree ---------------------------------------------------------

void TfrmMain::TreeView1Change() {
  QTreeWidgetItem* node = tree_.TreeView1->currentItem();
  // Moving "Baum" would post a new entry the level editor holds open.
  if (node == nullptr || levelEditor_->PendingLevel() != 0) return;
  // An entry deleted meanwhile is not found; "Baum" then stays where it was.
  data_->TableComponent(kTree).SeekKey(static_cast<int64_t>(TreeNodeId(*node)));
}

void TfrmMain::LockToTreeEditor(bool locked) {
  for (int i = 0; i < PageControl1_->count(); ++i)
    if (PageControl1_->widget(i) != tree_.TsBaum) PageControl1_->setTabEnabled(i, !locked);
  for (QWidget* command : {tb_.SbSuchBaum, tb_.SbSuchAbidZ, tb_.SbSuchSymKind, tb_.SbSuchIndKind,
                           tb_.SbSuchIndNotf, tb_.SbSuchModNotf, tb_.SbSuchMM})
    command->setEnabled(!locked);
  menu_.MuInhalt->setEnabled(!locked);
  menu_.MuSuche->setEnabled(!locked);
  // Storing the text would post the half-filled entry.
  if (locked) {
    saveEnabledBeforeLock_ = tb_.TBMMGBSave->isEnabled();
    tb_.TBMMGBSave->setEnabled(false);
  } else {
    tb_.TBMMGBSave->setEnabled(saveEnabledBeforeLock_);
  }
}

// --- Children's tab ----------------------------------------------------------

void TfrmMain::ShowChildrenIndications(bool indications) {
  // The area coming forward is shown before the other one goes.
  if (indications) {
    children_.PaKindLagIndik->setVisible(true);
    children_.Finder.PaKindKM->setVisible(false);
  } else {
    children_.Finder.PaKindKM->setVisible(true);
    children_.PaKindLagIndik->setVisible(false);
  }
  UpdateTextCommands();
}

void TfrmMain::PaPtKindNaviKonstClick() {
  ShowChildrenIndications(false);
  SetPanel(kAdvicePanel, QStringLiteral("Konstitutionsmittel"));
}

void TfrmMain::PaPtKindNaviIndikClick() {
  ShowChildrenIndications(true);
  SetPanel(kAdvicePanel, QStringLiteral("Bewährte Indikationen"));
}

// --- Emergency tab -----------------------------------------------------------

void TfrmMain::ShowEmergencyFinder(bool finder) {
  emergency_.PaNotfIndLag->setVisible(!finder);
  emergency_.Finder.PaNotfModLag->setVisible(finder);
  UpdateTextCommands();
}

void TfrmMain::ShowEmergencyEntryCommands(bool shown) {
  emergency_.PaBtNotfNaviNew->setVisible(shown);
  emergency_.PaBtNotfNaviDel->setVisible(shown);
}

void TfrmMain::PaBtNotfNaviModClick() {
  ShowEmergencyFinder(true);
  ShowEmergencyEntryCommands(false);
  SetToolbarMode(3);
  SetPanel(kAdvicePanel, QStringLiteral("Suche nach Modalitäten"));
}

void TfrmMain::PaPtKindNaviIndClick() {
  ShowEmergencyFinder(false);
  emergency_.DbReNotfInd->setVisible(true);
  emergency_.PaNotfLayerNeu->setVisible(false);
  ShowEmergencyEntryCommands(true);
  SetToolbarMode(1);
  SetPanel(kAdvicePanel, QString());
}

void TfrmMain::paNFStart_Click() {
  EmergencyTicks ticks{};
  for (int box = 0; box < kEmergencyModalityCount; ++box)
    ticks[box] = emergency_.Finder.CheckBoxes[box]->isChecked();
  EvaluateEmergencyRemedies(emergencyRemedies_, ticks);
  const TEmergencyFinderPanel& f = emergency_.Finder;
  for (int n = 0; n < kEmergencyResultRows; ++n) {
    const EmergencyRemedy& remedy = emergencyRemedies_[n];
    f.lbAM[n]->setText(QString::fromStdString(remedy.Name));
    f.lbPunkt[n]->setText(QString::number(remedy.Points));
    // Which ticks gave the points, for these ticks even once they change.
    SetRowExplanation({f.lbRang[n], f.lbAM[n], f.lbPunkt[n]}, ExplainEmergencyPoints(remedy.Name, ticks));
  }
}

// --- Children's finder -----------------------------------------------------

void TfrmMain::MarkResultRow(std::initializer_list<QLabel*> cells, bool points, bool best) {
  for (QLabel* cell : cells) {
    cell->setProperty("noPoints", !points);
    cell->setProperty("bestResult", best && points && cell->property("remedyCell").toBool());
    cell->style()->unpolish(cell);
    cell->style()->polish(cell);
  }
}

void TfrmMain::ShowChildResults(const ChildTicks& ticks) {
  const TChildrenFinderPanel& f = children_.Finder;
  for (int n = 0; n < kChildResultRows; ++n) {
    const ChildRemedyScore& entry = childScores_[n];
    f.NameLabels[n]->setText(f.lbKMListe->item(entry.RemedyIndex)->text());
    f.PointsLabels[n]->setText(QString::number(entry.Points));
    MarkResultRow({f.RankLabels[n], f.NameLabels[n], f.PointsLabels[n]}, entry.Points > 0, n == 0);
    // Which ticks gave the points, for these ticks even once they change.
    SetRowExplanation({f.RankLabels[n], f.NameLabels[n], f.PointsLabels[n]},
                      ExplainChildPoints(entry.RemedyIndex, ticks));
  }
}

void TfrmMain::PaBtKindAusw_Click() {
  const TChildrenFinderPanel& f = children_.Finder;
  ChildTicks ticks{};
  for (int feature = 0; feature < kChildFeatureCount; ++feature) ticks[feature] = f.Items[feature]->isChecked();
  EvaluateChildScores(childScores_, ticks);
  ShowChildResults(ticks);
  const ChildRemedyScore& best = childScores_[0];
  const QString name = f.lbKMListe->item(best.RemedyIndex)->text();
  f.lbKM->setText(name);
  f.lbKMListe->setCurrentRow(best.RemedyIndex);
  // Every item lists a remedy, so the best has points exactly when
  // something is ticked; a remedy without points is no result whose text
  // could be shown.
  if (best.Points == 0) {
    SetPanel(kAdvicePanel, QStringLiteral("Bitte kreuzen Sie zuerst Merkmale an."));
    f.EdKindKMGrp2->setFocus(Qt::OtherFocusReason);
    return;
  }
  dvx::TDVXTable& texts = data_->TableComponent(kChildTexts);
  {
    positioningChildText_ = true;
    struct TReset {
      bool& flag;
      ~TReset() { flag = false; }
    } reset{positioningChildText_};
    SeekNearestText(texts, kChildTextKey, name);
  }
  const int keySize = texts.FieldByName(EngineName(kChildTextKey)).Size();
  if (IsRemedysRecord(name, CurrentText(texts, kChildTextKey), keySize))
    ShowChildRemedyText();
  else
    ShowNoChildRemedyText(name);
  f.EdKindKMGrp2->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::ShowChildRemedyText() {
  const TChildrenFinderPanel& f = children_.Finder;
  if (f.NoTextNotice->isHidden()) return;
  f.NoTextNotice->setVisible(false);
  f.DbTxtKindKMHeadl->setVisible(true);
  f.reKindKM->setVisible(true);
  UpdateTextCommands();
}

void TfrmMain::ShowNoChildRemedyText(const QString& remedy) {
  const TChildrenFinderPanel& f = children_.Finder;
  f.DbTxtKindKMHeadl->setVisible(false);
  f.reKindKM->setVisible(false);
  f.NoTextRemedy->setText(remedy);
  f.NoTextNotice->setVisible(true);
  UpdateTextCommands();
}

void TfrmMain::EdKindKMGrp2Change() {
  SeekNearestText(data_->TableComponent(kChildTexts), kChildTextKey, children_.Finder.EdKindKMGrp2->text());
}

// --- Materia medica ----------------------------------------------------------

void TfrmMain::PaMMBezeichClick() {
  ShowMateriaMedicaOrigin();
  tb_.SbMMBildLaden->setVisible(true);
  SetToolbarMode(2);
  data_->TableComponent(kRemedies).Refresh();
  SetPanel(kAdvicePanel, QStringLiteral("Achten Sie auf die Bildgröße, sie beträgt maximal 200 X 200 pix."));
}

void TfrmMain::PaMMGesBildClick() {
  materiaMedica_.PaMMNaviHerk->setVisible(false);
  materiaMedica_.PaMMweissRand->setVisible(true);
  materiaMedica_.DbReMMGesBild->setVisible(true);
  materiaMedica_.DbReMMIndik->setVisible(false);
  materiaMedica_.PaMMGlobNew->setVisible(false);
  SetToolbarMode(1);
  tb_.SbMMBildLaden->setVisible(false);
  SetMarkerColor(tb_.lbFarbschalter, marker::kRemedyPicture);
  data_->TableComponent(kRemedies).Refresh();
  SetPanel(kAdvicePanel,
           QStringLiteral("Sie können auch .rtf Textformate über Zwischenspeicher (Strg + C) einfügen (Strg + V)"));
}

void TfrmMain::PaMMIndikClick() {
  materiaMedica_.PaMMNaviHerk->setVisible(false);
  materiaMedica_.PaMMweissRand->setVisible(true);
  materiaMedica_.DbReMMGesBild->setVisible(false);
  materiaMedica_.DbReMMIndik->setVisible(true);
  materiaMedica_.PaMMGlobNew->setVisible(false);
  SetToolbarMode(1);
  tb_.SbMMBildLaden->setVisible(false);
  SetMarkerColor(tb_.lbFarbschalter, marker::kRemedyIndications);
  data_->TableComponent(kRemedies).Refresh();
  SetPanel(kAdvicePanel,
           QStringLiteral("Bei den Indikationen bewähren sich die Leitsymptome und Modalitäten besonders."));
}

void TfrmMain::edAMEingabeChange() {
  SeekNearestText(data_->TableComponent(kRemedies), kRemedyKey, materiaMedica_.edAMEingabe->text());
}

// --- Basics ------------------------------------------------------------------

void TfrmMain::TopicClick(int topic) {
  const TBasicsTopic& t = BasicsTopics().at(static_cast<size_t>(topic));
  SeekNearestText(data_->TableComponent(kBasics), kBasicsKey, QString::fromUtf8(t.Key));
  if (topic == 0) SetMarkerColor(tb_.lbFarbschalter, marker::kBasicsMethod);
  if (topic == 1) SetMarkerColor(tb_.lbFarbschalter, marker::kBasicsHumanImage);
}

}  // namespace fendra
