#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/main_tabs.h"
#include "app/tab_parts.h"

namespace fendra {

using namespace tabparts;

namespace {

QFrame* BuildRemedyFinderArea(QWidget* parent, TChildrenTab& t) {
  QFrame* pane = MakePanel(parent, "PaKindKM", TPanelRole::Plain);
  QVBoxLayout* rows = FlushColumn(pane);
  rows->addWidget(MakeDecorBar(pane, "CbKindKMZierleiste"));
  // The remedy text area; the feature check lists join it on the left.
  QFrame* layer = MakePanel(pane, "PaKindKMLayer2", TPanelRole::Plain);
  QVBoxLayout* text = FlushColumn(layer);
  QLabel* heading = RemedyHeading(layer, "DbTxtKindKMHeadl");
  heading->setAlignment(Qt::AlignCenter);
  text->addWidget(heading);
  t.reKindKM = new TRichTextView(layer, "reKindKM", TRichTextView::TAccess::ReadOnly);
  text->addWidget(t.reKindKM, 1);
  rows->addWidget(layer, 1);
  return pane;
}

QFrame* BuildIndicationArea(QWidget* parent, TChildrenTab& t) {
  QFrame* pane = MakePanel(parent, "PaKindLagIndik", TPanelRole::Plain);
  QHBoxLayout* split = RowUnderDecorBar(pane, "CbKindIndikZierleiste");
  split->addWidget(MakeRecordListPanel(pane, "PaKindNaviSuNLi", "PaKindNaviIndik", nullptr,
                                       "NaKindSuN", "GrKindSuN"));
  t.DbReKindSuN = new TRichTextView(pane, "DbReKindSuN", TRichTextView::TAccess::EditableWhenBound);
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
