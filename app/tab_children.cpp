#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/main_tabs.h"
#include "app/tab_parts.h"

namespace fendra {

using namespace tabparts;

namespace {

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
  t.Finder = BuildChildrenFinderPanel(s.Centre);
  t.PaKindLagIndik = BuildIndicationArea(s.Centre, t);
  t.PaKindLagIndik->setVisible(false);
  centre->addWidget(t.Finder.PaKindKM, 1);
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
