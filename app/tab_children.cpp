#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/main_tabs.h"

namespace fendra {

using namespace tabparts;

namespace {

QFrame* BuildRemedyFinderArea(QWidget* parent, TChildrenTab& t) {
  QFrame* pane = MakePanel(parent, "PaKindKM", TPanelRole::Plain);
  auto* rows = new QVBoxLayout(pane);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  rows->addWidget(MakeDecorBar(pane, "CbKindKMZierleiste"));
  // The remedy text area; the feature check lists join it on the left.
  QFrame* layer = MakePanel(pane, "PaKindKMLayer2", TPanelRole::Plain);
  auto* text = new QVBoxLayout(layer);
  text->setContentsMargins(0, 0, 0, 0);
  text->setSpacing(0);
  auto* heading = new QLabel(layer);
  heading->setObjectName("DbTxtKindKMHeadl");
  heading->setProperty("remedyHeading", true);
  heading->setAlignment(Qt::AlignCenter);
  text->addWidget(heading);
  t.reKindKM = new TRichTextView(layer, "reKindKM", TRichTextView::TAccess::ReadOnly);
  text->addWidget(t.reKindKM, 1);
  rows->addWidget(layer, 1);
  return pane;
}

QFrame* BuildIndicationArea(QWidget* parent, TChildrenTab& t) {
  QFrame* pane = MakePanel(parent, "PaKindLagIndik", TPanelRole::Plain);
  auto* rows = new QVBoxLayout(pane);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  rows->addWidget(MakeDecorBar(pane, "CbKindIndikZierleiste"));
  auto* split = new QHBoxLayout();
  split->setContentsMargins(0, 0, 0, 0);
  split->setSpacing(0);
  QFrame* list = MakePanel(pane, "PaKindNaviSuNLi", TPanelRole::Side);
  list->setFixedWidth(260);
  auto* listRows = new QVBoxLayout(list);
  listRows->setContentsMargins(6, 6, 6, 6);
  listRows->setSpacing(6);
  QFrame* top = MakePanel(list, "PaKindNaviIndik", TPanelRole::Plain);
  auto* topRow = new QVBoxLayout(top);
  topRow->setContentsMargins(0, 0, 0, 0);
  topRow->addWidget(new TDbNavigator(top, "NaKindSuN"));
  listRows->addWidget(top);
  listRows->addWidget(Grid(list, "GrKindSuN"), 1);
  split->addWidget(list);
  t.DbReKindSuN = new TRichTextView(pane, "DbReKindSuN", TRichTextView::TAccess::EditableWhenBound);
  split->addWidget(t.DbReKindSuN, 1);
  rows->addLayout(split, 1);
  return pane;
}

}  // namespace

TChildrenTab BuildChildrenTab(QWidget* parent) {
  TChildrenTab t;
  const TSheet s = MakeSheet(parent, "TsKinder", nullptr, "PaKindLage", "PaKindNaviRe");
  t.TsKinder = s.Sheet;

  auto* centre = new QVBoxLayout(s.Centre);
  centre->setContentsMargins(0, 0, 0, 0);
  centre->setSpacing(0);
  t.PaKindKM = BuildRemedyFinderArea(s.Centre, t);
  t.PaKindLagIndik = BuildIndicationArea(s.Centre, t);
  t.PaKindLagIndik->setVisible(false);
  centre->addWidget(t.PaKindKM, 1);
  centre->addWidget(t.PaKindLagIndik, 1);

  auto* right = new QVBoxLayout(s.Right);
  right->setContentsMargins(8, 8, 8, 8);
  right->setSpacing(6);
  right->addWidget(MakeHeading(s.Right, "LaKindNavi", QStringLiteral("Kinder")));
  t.PaPtKindNaviKonst = MakeNaviButton(s.Right, "PaPtKindNaviKonst", QStringLiteral(" Konstitutionsmittel"));
  t.PaPtKindNaviIndik = MakeNaviButton(s.Right, "PaPtKindNaviIndik", QStringLiteral("   Indikationen       "));
  right->addWidget(t.PaPtKindNaviKonst);
  right->addWidget(t.PaPtKindNaviIndik);
  right->addStretch(1);
  return t;
}

}  // namespace fendra
