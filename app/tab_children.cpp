#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/main_tabs.h"
#include "app/tab_parts.h"

namespace fendra {

using namespace tabparts;

namespace {

// The finder's remedy list: its navigator moves to the first or the last
// remedy, its grid lists every remedy of "KindKM" by name.
QFrame* BuildRemedyList(QWidget* parent) {
  QFrame* list = MakeSidePanel(parent, "GbKindAuswGrp2", 200, 150);
  auto* rows = new QVBoxLayout(list);
  rows->setContentsMargins(6, 6, 6, 6);
  rows->setSpacing(6);
  rows->addWidget(MakeHeading(list, "LaKindAuswGrp2", QStringLiteral("Arzneimittel eintippen")));
  auto* navigator = new TDbNavigator(list, "NaKindKM");
  navigator->SetVisibleButtons(TDBNavigator::Bit(TDBNavigator::nbFirst) | TDBNavigator::Bit(TDBNavigator::nbLast));
  rows->addWidget(navigator);
  TDBGrid* grid = Grid(list, "GrKindKM");
  grid->SetShowTitles(false);
  rows->addWidget(grid, 1);
  return list;
}

QFrame* BuildRemedyFinderArea(QWidget* parent, TChildrenTab& t) {
  QFrame* pane = MakePanel(parent, "PaKindKM", TPanelRole::Plain);
  QHBoxLayout* split = RowUnderDecorBar(pane, "CbKindKMZierleiste");
  split->addWidget(BuildRemedyList(pane));
  // The remedy text area; the feature check lists join it on the left.
  QFrame* layer = MakePanel(pane, "PaKindKMLayer2", TPanelRole::Plain);
  QVBoxLayout* text = FlushColumn(layer);
  QLabel* heading = RemedyHeading(layer, "DbTxtKindKMHeadl");
  heading->setAlignment(Qt::AlignCenter);
  text->addWidget(heading);
  t.reKindKM = new TDBRichEdit(layer, "reKindKM", TRichTextView::TAccess::ReadOnly);
  text->addWidget(t.reKindKM, 1);
  split->addWidget(layer, 1);
  return pane;
}

QFrame* BuildIndicationArea(QWidget* parent, TChildrenTab& t) {
  QFrame* pane = MakePanel(parent, "PaKindLagIndik", TPanelRole::Plain);
  QHBoxLayout* split = RowUnderDecorBar(pane, "CbKindIndikZierleiste");
  QFrame* list = MakeRecordListPanel(pane, "PaKindNaviSuNLi", "PaKindNaviIndik", nullptr, "NaKindSuN", "GrKindSuN");
  list->findChild<TDBGrid*>(QStringLiteral("GrKindSuN"))->SetDataReadOnly(true);
  split->addWidget(list);
  t.DbReKindSuN = new TDBRichEdit(pane, "DbReKindSuN", TRichTextView::TAccess::EditableWhenBound);
  split->addWidget(t.DbReKindSuN, 1);
  return pane;
}

}  // namespace

TChildrenTab BuildChildrenTab(QWidget* parent) {
  TChildrenTab t;
  const TSheet s = MakeSheet(parent, "TsKinder", nullptr, "PaKindLage", "PaKindNaviRe");
  t.TsKinder = s.Sheet;

  QVBoxLayout* centre = FlushColumn(s.Centre);
  t.PaKindKM = BuildRemedyFinderArea(s.Centre, t);
  t.PaKindLagIndik = BuildIndicationArea(s.Centre, t);
  t.PaKindLagIndik->setVisible(false);
  centre->addWidget(t.PaKindKM, 1);
  centre->addWidget(t.PaKindLagIndik, 1);

  QVBoxLayout* right = CommandColumn(s.Right, "LaKindNavi", QStringLiteral("Kinder"));
  t.PaPtKindNaviKonst = MakeNaviButton(s.Right, "PaPtKindNaviKonst", QStringLiteral(" Konstitutionsmittel"));
  t.PaPtKindNaviIndik = MakeNaviButton(s.Right, "PaPtKindNaviIndik", QStringLiteral("   Indikationen       "));
  right->addWidget(t.PaPtKindNaviKonst);
  right->addWidget(t.PaPtKindNaviIndik);
  right->addStretch(1);
  return t;
}

}  // namespace fendra
