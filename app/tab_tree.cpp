#include <QVBoxLayout>

#include "app/level_editor_form.h"
#include "app/main_tabs.h"
#include "app/tab_parts.h"

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

  // The level editor lies underneath the text; the text is in front.
  const TLayeredText text = BuildTextColumn(s.Centre, "CbBaum", "PaBaumLageNeu", "DbReBaum",
                                            TRichTextView::TAccess::ReadOnly);
  t.PaBaumLageNeu = text.Layer;
  t.DbReBaum = text.Text;
  t.Editor = BuildLevelEditorForm(t.PaBaumLageNeu);

  const TEditCommands edit = BuildEditColumn(
      s.Right, "LaBaumNavi", "PaBtBaumNeu", QStringLiteral("  Neuer Eintrag  "), "PaBtBaumDel",
      QStringLiteral("  Eintrag löschen"), "DbEdTreeDummy");
  t.PaBtBaumNeu = edit.New;
  t.PaBtBaumDel = edit.Delete;
  return t;
}

}  // namespace fendra
