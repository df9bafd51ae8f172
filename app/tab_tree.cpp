#include <QVBoxLayout>

#include "app/main_tabs.h"
#include "app/tab_parts.h"

namespace fendra {

using namespace tabparts;

namespace {

// The level editor's data-bound inputs and the hidden edits its handlers
// read and write the current entry through. Its form (groups, buttons,
// instructions) belongs to the editor; the inputs start disabled.
void FillLevelEditor(QFrame* layer) {
  QVBoxLayout* column = FlushColumn(layer);
  for (const char* name : {"DbEdBaumNeuEb1Eing", "DbEdBaumNeuEb2Eing", "DbEdBaumNeuEb3Eing"}) {
    auto* input = new TDBEdit(layer, name);
    input->setEnabled(false);
    column->addWidget(input);
  }
  column->addWidget(new TDBRichEdit(layer, "DbReBaumNeu"), 1);
  for (const char* name : {"dbedID1", "dbedMaxID", "DBEdit4", "dbedID2", "dbedID3", "dbEdit3", "dbedEb1",
                           "dbedE2Z", "dbedE3Z"})
    HiddenFieldEdit(layer, column, name);
}

}  // namespace

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
  FillLevelEditor(t.PaBaumLageNeu);

  const TEditCommands edit = BuildEditColumn(
      s.Right, "LaBaumNavi", "PaBtBaumNeu", QStringLiteral("  Neuer Eintrag  "), "PaBtBaumDel",
      QStringLiteral("  Eintrag löschen"), "DbEdTreeDummy");
  t.PaBtBaumNeu = edit.New;
  t.PaBtBaumDel = edit.Delete;
  return t;
}

}  // namespace fendra
