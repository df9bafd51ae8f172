// The children's constitutional remedy finder PaKindKM: the seven check
// lists in their scroll box on the left; on the right "Auswerten" with the
// five results, and the remedy's text beside (or, on narrow screens, above)
// the remedy list.
#include <algorithm>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/children_incidence.h"
#include "app/flip_box.h"
#include "app/main_tabs.h"
#include "app/result_cell.h"
#include "app/tab_parts.h"
#include "app/toolbar_glyphs.h"

namespace fendra {

using namespace tabparts;

namespace {

QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

// The result rows' labels, named as the window's design names them.
struct TRowNames {
  const char* Rank;
  const char* Name;
  const char* Points;
};
constexpr TRowNames kRows[kChildResultRows] = {
    {"LaKMLbNr48", "LaKMBezLb17", "LaKMPktLb30"}, {"LaKMLbNr16", "LaKMBezLb49", "LaKMPktLb50"},
    {"LaKMLbNr52", "LaKMBezLb53", "LaKMPktLb54"}, {"LaKMLbNr56", "LaKMBezLb57", "LaKMPktLb58"},
    {"LaKMLbNr32", "LaKMBezLb33", "LaKMPktLb34"},
};
// What the name labels read before the first evaluation.
constexpr const char* kStartNames[kChildResultRows] = {"Abrotanum", "Aconitum", "Agaricus", "Alumina",
                                                       "Ammon. carb."};

// The display-only remedy list beside the finder.
constexpr const char* kMittelliste[] = {
    "Agaricus",      "Alumina",        "Ammonium carb.", "Antimonium tart.", "Apis",
    "Arsenicum alb.", "Barium carb.",  "Belladonna",     "Borax",            "Bryonia",
    "Calcium carb.", "Calcium phos.",  "Carbo veg.",     "Chamomilla",       "Cina",
    "Coffea",        "Cuprum met.",    "Drosera",        "Dulcamara",        "Ferrum phos.",
    "Graphites",     "Hepar sulf.",    "Ignatia",        "Jodum",            "Kalium carb.",
    "Lachesis",      "Lycopodium",     "Magnesium carb.", "Medorrhinum",     "Mercurius sol.",
    "Natrium mur.",  "Nux vomica",     "Phosphorus",     "Platinum",         "Psorinum",
    "Pulsatilla",    "Rhus tox.",      "Sepia",          "Silicea",          "Staphisagria",
    "Sulfur",        "Zincum met.",
};
static_assert(std::size(kMittelliste) == 42);

// A scroll box that scrolls only vertically and is always as wide as its
// content, so no check box caption is ever cut or scrolled sideways.
class TVerticalScrollBox : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;
  QSize minimumSizeHint() const override {
    return QSize(ContentWidth(), QScrollArea::minimumSizeHint().height());
  }
  QSize sizeHint() const override { return QSize(ContentWidth(), QScrollArea::sizeHint().height()); }

 private:
  int ContentWidth() const {
    const int content = widget() ? widget()->minimumSizeHint().width() : 0;
    return content + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
  }
};

// Up and Down move the keyboard from item to item across all seven lists,
// as in a list box, and the scroll box follows; Space ticks, Tab leaves as
// everywhere.
class TCheckListKeys : public QObject {
 public:
  TCheckListKeys(QScrollArea* box, const std::array<QCheckBox*, kChildFeatureCount>& items)
      : QObject(box), box_(box), items_(items) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int step = key->key() == Qt::Key_Down ? 1 : key->key() == Qt::Key_Up ? -1 : 0;
    if (step == 0 || key->modifiers() != Qt::NoModifier) return false;
    const auto it = std::find(items_.begin(), items_.end(), watched);
    if (it == items_.end()) return false;
    const int next = int(it - items_.begin()) + step;
    if (next < 0 || next >= kChildFeatureCount) return true;
    items_[next]->setFocus(Qt::TabFocusReason);
    box_->ensureWidgetVisible(items_[next]);
    return true;
  }

 private:
  QScrollArea* box_;
  const std::array<QCheckBox*, kChildFeatureCount> items_;
};

QScrollArea* BuildCheckLists(QWidget* parent, TChildrenFinderPanel& f) {
  auto* box = new TVerticalScrollBox(parent);
  box->setObjectName("ScrollBox1");
  box->setFrameShape(QFrame::NoFrame);
  box->setWidgetResizable(true);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  auto* sheet = new QWidget(box);
  sheet->setObjectName("ScrollBox1Sheet");
  sheet->setProperty("finderSheet", true);
  auto* rows = new QVBoxLayout(sheet);
  rows->setContentsMargins(8, 8, 8, 8);
  rows->setSpacing(4);
  const auto& features = ChildFeatures();
  for (int l = 0; l < kChildCheckListCount; ++l) {
    const ChildCheckList& list = ChildCheckLists()[l];
    QLabel* heading = MakeHeading(sheet, std::string(list.HeadingLabel).c_str(), Text(list.Heading));
    heading->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (l > 0) rows->addSpacing(6);
    rows->addWidget(heading);
    QFrame* checkList = MakePanel(sheet, std::string(list.Name).c_str(), TPanelRole::Plain);
    checkList->setAccessibleName(Text(list.Heading).trimmed());
    auto* items = new QVBoxLayout(checkList);
    items->setContentsMargins(6, 2, 2, 2);
    items->setSpacing(2);
    for (int item = 0; item < list.ItemCount; ++item) {
      const int feature = list.FirstFeature + item;
      auto* check = new QCheckBox(Text(features[feature].Caption), checkList);
      check->setObjectName(QStringLiteral("%1%2").arg(Text(list.Name)).arg(item));
      items->addWidget(check);
      f.Items[feature] = check;
    }
    rows->addWidget(checkList);
    f.CheckLists[l] = checkList;
  }
  rows->addStretch(1);
  box->setWidget(sheet);
  auto* keys = new TCheckListKeys(box, f.Items);
  for (QCheckBox* item : f.Items) item->installEventFilter(keys);
  return box;
}

QLabel* Cell(QWidget* parent, const char* name, const QString& text, Qt::Alignment align) {
  auto* label = new TResultCell(text, parent);
  label->setObjectName(name);
  label->setAlignment(align | Qt::AlignVCenter);
  label->setProperty("resultCell", true);
  label->setMinimumHeight(24);
  return label;
}

QFrame* BuildResultPanel(QWidget* parent, TChildrenFinderPanel& f) {
  QFrame* panel = MakePanel(parent, "LaKindAuswGrp1", TPanelRole::Group);
  auto* rows = new QVBoxLayout(panel);
  rows->setContentsMargins(10, 10, 10, 10);
  rows->setSpacing(6);
  f.PaBtKindAusw = MakeNaviButton(panel, "PaBtKindAusw", QStringLiteral(" Auswerten"));
  f.PaBtKindAusw->setProperty("primary", true);
  rows->addWidget(f.PaBtKindAusw);

  QStringList names;
  for (std::string_view name : ChildRemedyNames()) names << Text(name);
  auto* grid = new QGridLayout();
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(3);
  grid->setColumnStretch(1, 1);
  for (int n = 0; n < kChildResultRows; ++n) {
    f.RankLabels[n] = Cell(panel, kRows[n].Rank, QStringLiteral("%1.").arg(n + 1), Qt::AlignRight);
    auto* name = new TResultNameCell(names, QString::fromLatin1(kStartNames[n]), panel);
    name->setObjectName(kRows[n].Name);
    name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    name->setProperty("resultCell", true);
    name->setProperty("remedyCell", true);
    name->setMinimumHeight(24);
    f.NameLabels[n] = name;
    f.PointsLabels[n] = Cell(panel, kRows[n].Points, QStringLiteral("0"), Qt::AlignRight);
    // Nothing evaluated yet: no row has points.
    for (QLabel* cell : {f.RankLabels[n], f.NameLabels[n], f.PointsLabels[n]}) cell->setProperty("noPoints", true);
    grid->addWidget(f.RankLabels[n], n, 0);
    grid->addWidget(f.NameLabels[n], n, 1);
    grid->addWidget(f.PointsLabels[n], n, 2);
  }
  rows->addLayout(grid);
  // Beside a taller remedy list the rows keep their height.
  rows->addStretch(1);

  // The remedy names behind the result, and the best one's name.
  f.lbKMListe = new QListWidget(panel);
  f.lbKMListe->setObjectName("lbKMListe");
  f.lbKMListe->addItems(names);
  f.lbKMListe->setVisible(false);
  f.lbKM = new QLabel(panel);
  f.lbKM->setObjectName("lbKM");
  f.lbKM->setVisible(false);
  return panel;
}

// The remedy list: a search line, the navigator to the first or last remedy
// and the grid of every remedy of "KindKM".
QFrame* BuildRemedyList(QWidget* parent, TChildrenFinderPanel& f) {
  QFrame* list = MakePanel(parent, "GbKindAuswGrp2", TPanelRole::Side);
  list->setMinimumWidth(170);
  auto* listRows = new QVBoxLayout(list);
  listRows->setContentsMargins(6, 6, 6, 6);
  listRows->setSpacing(6);
  listRows->addWidget(MakeHeading(list, "LaKindAuswGrp2", QStringLiteral("Arzneimittel eintippen")));
  f.EdKindKMGrp2 = new QLineEdit(list);
  f.EdKindKMGrp2->setObjectName("EdKindKMGrp2");
  f.EdKindKMGrp2->setPlaceholderText(QStringLiteral("Name eintippen"));
  f.EdKindKMGrp2->setClearButtonEnabled(true);
  listRows->addWidget(f.EdKindKMGrp2);
  auto* navigator = new TDbNavigator(list, "NaKindKM");
  navigator->SetVisibleButtons(TDBNavigator::Bit(TDBNavigator::nbFirst) | TDBNavigator::Bit(TDBNavigator::nbLast));
  listRows->addWidget(navigator);
  TDBGrid* grid = Grid(list, "GrKindKM");
  grid->SetShowTitles(false);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setMinimumHeight(72);
  listRows->addWidget(grid, 1);
  return list;
}

// The display-only list of remedies with its small tool bar.
QFrame* BuildRemedyOverview(QWidget* parent) {
  QFrame* panel9 = MakeSidePanel(parent, "Panel9", 190, 150);
  auto* panelRows = new QVBoxLayout(panel9);
  panelRows->setContentsMargins(6, 4, 6, 6);
  panelRows->setSpacing(4);
  auto* tools = new QFrame(panel9);
  tools->setObjectName("ToolBar2");
  auto* toolRow = new QHBoxLayout(tools);
  toolRow->setContentsMargins(0, 0, 0, 0);
  toolRow->setSpacing(2);
  // Four glyph buttons that carry no command: shown, but not pretending to
  // do something.
  int index = 1;
  for (TToolbarGlyph glyph : {TToolbarGlyph::MateriaMedica, TToolbarGlyph::ChildSymptoms,
                              TToolbarGlyph::ChildIndications, TToolbarGlyph::Magnifier}) {
    auto* button = new QToolButton(tools);
    button->setObjectName(QStringLiteral("ToolButton2_%1").arg(index++));
    button->setIcon(ToolbarGlyph(glyph));
    button->setAutoRaise(true);
    button->setEnabled(false);
    toolRow->addWidget(button);
  }
  toolRow->addStretch(1);
  panelRows->addWidget(tools);
  auto* remedies = new QListWidget(panel9);
  remedies->setObjectName("lbMittelliste");
  for (const char* name : kMittelliste) remedies->addItem(QString::fromUtf8(name));
  remedies->setSelectionMode(QAbstractItemView::NoSelection);
  remedies->setFocusPolicy(Qt::NoFocus);
  remedies->setMinimumHeight(48);
  panelRows->addWidget(remedies, 1);
  return panel9;
}

QFrame* BuildRemedyText(QWidget* parent, TChildrenFinderPanel& f) {
  QFrame* layer = MakePanel(parent, "PaKindKMLayer2", TPanelRole::Content);
  QVBoxLayout* text = FlushColumn(layer);
  text->setContentsMargins(1, 0, 1, 1);
  QLabel* heading = RemedyHeading(layer, "DbTxtKindKMHeadl");
  heading->setAlignment(Qt::AlignCenter);
  f.DbTxtKindKMHeadl = heading;
  text->addWidget(heading);
  f.reKindKM = new TDBRichEdit(layer, "reKindKM", TRichTextView::TAccess::ReadOnly);
  f.reKindKM->setMinimumHeight(120);
  text->addWidget(f.reKindKM, 1);

  f.NoTextNotice = MakePanel(layer, "PaKindKMOhneText", TPanelRole::Plain);
  auto* notice = new QVBoxLayout(f.NoTextNotice);
  notice->setContentsMargins(14, 0, 14, 14);
  f.NoTextRemedy = new QLabel(f.NoTextNotice);
  f.NoTextRemedy->setObjectName("LaKindKMOhneTextMittel");
  f.NoTextRemedy->setProperty("remedyHeading", true);
  f.NoTextRemedy->setAlignment(Qt::AlignCenter);
  notice->addWidget(f.NoTextRemedy);
  auto* message = new QLabel(QStringLiteral("Zu diesem Mittel ist kein Text vorhanden."), f.NoTextNotice);
  message->setObjectName("LaKindKMOhneText");
  message->setProperty("notice", true);
  message->setAlignment(Qt::AlignCenter);
  message->setWordWrap(true);
  notice->addWidget(message);
  notice->addStretch(1);
  f.NoTextNotice->setVisible(false);
  text->addWidget(f.NoTextNotice, 1);
  return layer;
}

}  // namespace

TChildrenFinderPanel BuildChildrenFinderPanel(QWidget* parent) {
  TChildrenFinderPanel f;
  f.PaKindKM = MakePanel(parent, "PaKindKM", TPanelRole::Plain);
  QHBoxLayout* split = RowUnderDecorBar(f.PaKindKM, "CbKindKMZierleiste");
  split->setSpacing(8);
  split->addWidget(BuildCheckLists(f.PaKindKM, f));

  // Results and the remedy list on top, under them the remedy's text beside
  // the overview list; each pair goes one above the other where the width
  // is short, and where then the height is short too, the whole scrolls.
  auto* right = new TVerticalScrollBox(f.PaKindKM);
  right->setObjectName("PaKindKMErgebnis");
  right->setFrameShape(QFrame::NoFrame);
  right->setWidgetResizable(true);
  right->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  right->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  auto* inner = new QWidget(right);
  inner->setObjectName("PaKindKMErgebnisSheet");
  auto* rows = new QVBoxLayout(inner);
  rows->setContentsMargins(0, 6, 0, 0);
  rows->setSpacing(6);
  rows->addWidget(new TFlipBox(inner, "PaKindKMAuswahl", 390, BuildResultPanel(inner, f), BuildRemedyList(inner, f),
                               TFlipBox::TStacked::FirstOnTop));
  rows->addWidget(new TFlipBox(inner, "PaKindKMText", 400, BuildRemedyOverview(inner), BuildRemedyText(inner, f),
                               TFlipBox::TStacked::SecondOnTop),
                  1);
  right->setWidget(inner);
  split->addWidget(right, 1);
  return f;
}

}  // namespace fendra
