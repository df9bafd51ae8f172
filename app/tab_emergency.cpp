#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/main_tabs.h"

namespace fendra {

using namespace tabparts;

namespace {

QFrame* BuildIndicationArea(QWidget* parent, TEmergencyTab& t) {
  QFrame* pane = MakePanel(parent, "PaNotfIndLag", TPanelRole::Plain);
  auto* rows = new QVBoxLayout(pane);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  rows->addWidget(MakeDecorBar(pane, "CbNotfInd"));
  auto* split = new QHBoxLayout();
  split->setContentsMargins(0, 0, 0, 0);
  split->setSpacing(0);

  QFrame* list = MakePanel(pane, "PaNotNaviIndLi", TPanelRole::Side);
  list->setFixedWidth(260);
  auto* listRows = new QVBoxLayout(list);
  listRows->setContentsMargins(6, 6, 6, 6);
  listRows->setSpacing(6);
  QFrame* top = MakePanel(list, "PaNotfNaviTop", TPanelRole::Plain);
  auto* topRows = new QVBoxLayout(top);
  topRows->setContentsMargins(0, 0, 0, 0);
  topRows->setSpacing(4);
  auto* search = new QLineEdit(top);
  search->setObjectName("EdNotfIndSuche");
  search->setPlaceholderText(QStringLiteral("Suchen …"));
  search->setClearButtonEnabled(true);
  MarkInert(search);
  topRows->addWidget(search);
  topRows->addWidget(new TDbNavigator(top, "NaNotfInd"));
  listRows->addWidget(top);
  listRows->addWidget(Grid(list, "GrNotfInd"), 1);
  split->addWidget(list);

  // The new-entry form takes the text's place while it is shown.
  t.PaNotfLayerNeu = MakePanel(pane, "PaNotfLayerNeu", TPanelRole::Plain);
  t.PaNotfLayerNeu->setVisible(false);
  split->addWidget(t.PaNotfLayerNeu, 1);
  t.DbReNotfInd = new TRichTextView(pane, "DbReNotfInd", TRichTextView::TAccess::EditableWhenBound);
  split->addWidget(t.DbReNotfInd, 1);
  rows->addLayout(split, 1);
  return pane;
}

}  // namespace

TEmergencyTab BuildEmergencyTab(QWidget* parent) {
  TEmergencyTab t;
  const TSheet s = MakeSheet(parent, "TsNotfall", nullptr, "PaNotfLage", "PaNotfNaviRe");
  t.TsNotfall = s.Sheet;

  auto* centre = new QVBoxLayout(s.Centre);
  centre->setContentsMargins(0, 0, 0, 0);
  centre->setSpacing(0);
  t.PaNotfIndLag = BuildIndicationArea(s.Centre, t);
  t.Finder = BuildEmergencyFinderPanel(s.Centre);
  t.Finder.PaNotfModLag->setVisible(false);
  centre->addWidget(t.PaNotfIndLag, 1);
  centre->addWidget(t.Finder.PaNotfModLag, 1);

  auto* right = new QVBoxLayout(s.Right);
  right->setContentsMargins(8, 8, 8, 8);
  right->setSpacing(6);
  right->addWidget(MakeHeading(s.Right, "LaNotfNavi", QStringLiteral("Notfälle")));
  t.PaPtKindNaviInd = MakeNaviButton(s.Right, "PaPtKindNaviInd", QStringLiteral("   Indikationen     "));
  t.PaBtNotfNaviMod = MakeNaviButton(s.Right, "PaBtNotfNaviMod", QStringLiteral("   Modalitäten     "));
  t.PaBtNotfNaviDel = MakeNaviButton(s.Right, "PaBtNotfNaviDel", QStringLiteral("  Eintrag löschen "));
  t.PaBtNotfNaviNew = MakeNaviButton(s.Right, "PaBtNotfNaviNew", QStringLiteral("  Neuer Eintrag    "));
  MarkInert(t.PaBtNotfNaviDel);
  MarkInert(t.PaBtNotfNaviNew);
  right->addWidget(t.PaPtKindNaviInd);
  right->addWidget(t.PaBtNotfNaviMod);
  right->addSpacing(12);
  right->addWidget(t.PaBtNotfNaviDel);
  right->addWidget(t.PaBtNotfNaviNew);
  right->addStretch(1);
  right->addWidget(DummyEdit(s.Right, "DbEdNotfDummy"));
  return t;
}

}  // namespace fendra
