#include <QVBoxLayout>

#include "app/main_tabs.h"

namespace fendra {

using namespace tabparts;

TTreeTab BuildTreeTab(QWidget* parent) {
  TTreeTab t;
  const TSheet s = MakeSheet(parent, "TsBaum", "PaBaumTreeLi", "PaBaumLage1", "PaBaumNavi");
  t.TsBaum = s.Sheet;

  auto* left = new QVBoxLayout(s.Left);
  left->setContentsMargins(6, 6, 6, 6);
  left->addWidget(MakeHeading(s.Left, "LaBaumTitel", QStringLiteral("Indikationen")));
  t.TreeView1 = new QTreeWidget(s.Left);
  t.TreeView1->setObjectName("TreeView1");
  t.TreeView1->setHeaderHidden(true);
  t.TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Expands the branch of the selected node, as the tree opens its levels on
  // the way down.
  QObject::connect(t.TreeView1, &QTreeWidget::currentItemChanged, t.TreeView1,
                   [](QTreeWidgetItem* item, QTreeWidgetItem*) {
                     if (item) item->setExpanded(true);
                   });
  left->addWidget(t.TreeView1, 1);

  auto* centre = new QVBoxLayout(s.Centre);
  centre->setContentsMargins(0, 0, 0, 0);
  centre->setSpacing(0);
  centre->addWidget(MakeDecorBar(s.Centre, "CbBaum"));
  // The level editor lies underneath the text; the text is in front.
  t.PaBaumLageNeu = MakePanel(s.Centre, "PaBaumLageNeu", TPanelRole::Plain);
  t.PaBaumLageNeu->setVisible(false);
  centre->addWidget(t.PaBaumLageNeu, 1);
  t.DbReBaum = new TRichTextView(s.Centre, "DbReBaum", TRichTextView::TAccess::ReadOnly);
  centre->addWidget(t.DbReBaum, 1);

  auto* right = new QVBoxLayout(s.Right);
  right->setContentsMargins(8, 8, 8, 8);
  right->setSpacing(6);
  right->addWidget(MakeHeading(s.Right, "LaBaumNavi", QStringLiteral("Bearbeiten")));
  t.PaBtBaumNeu = MakeNaviButton(s.Right, "PaBtBaumNeu", QStringLiteral("  Neuer Eintrag  "));
  t.PaBtBaumDel = MakeNaviButton(s.Right, "PaBtBaumDel", QStringLiteral("  Eintrag löschen"));
  MarkInert(t.PaBtBaumNeu);
  MarkInert(t.PaBtBaumDel);
  right->addWidget(t.PaBtBaumNeu);
  right->addWidget(t.PaBtBaumDel);
  right->addStretch(1);
  right->addWidget(DummyEdit(s.Right, "DbEdTreeDummy"));
  return t;
}

}  // namespace fendra
