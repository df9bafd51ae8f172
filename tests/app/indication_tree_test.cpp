// The indication tree built at show on the reference databases, against a
// reading of data/Baum of its own: every entry once under its parent, the
// first level ordered by BezTree, the levels below in the order of the
// sources (the order the builder inserted them, which is the order a query
// without ORDER BY delivers); selecting a node shows its entry. Trees with
// odd links are made by changing "Baum" in a copy of the set before the
// window starts.
#include <QTreeWidget>
#include <functional>
#include <map>
#include <set>

#include "app/data_controls/db_rich_edit.h"
#include "app/indication_tree.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "engine/query/query.h"
#include "main_window_fixture.h"
#include "source_tables.h"

namespace fendra::testing {
namespace {

// The tree as data/Baum describes it, node names with their children in
// the order the tree must show them.
struct TExpectedNode {
  std::string Name;
  std::vector<TExpectedNode> Children;
};

TExpectedNode ExpectedTree() {
  const std::vector<TSourceEntry> entries = ReadSourceEntries("Baum");
  std::map<std::string, std::vector<std::string>> children;  // parent -> children, source order
  std::string root;
  for (const TSourceEntry& entry : entries) {
    if (entry.Field("Eltern").empty())
      root = entry.Field("BezTree");
    else
      children[entry.Field("Eltern")].push_back(entry.Field("BezTree"));
  }
  std::function<TExpectedNode(const std::string&, int)> make = [&](const std::string& name, int depth) {
    TExpectedNode node{name, {}};
    if (depth == 3) return node;
    std::vector<std::string> names = children[name];
    if (depth == 0)
      std::stable_sort(names.begin(), names.end(),
                       [](const std::string& a, const std::string& b) { return Compare(a, b, false) < 0; });
    for (const std::string& child : names) node.Children.push_back(make(child, depth + 1));
    return node;
  };
  return make(root, 0);
}

// The shown tree in the same form.
TExpectedNode ShownTree(const QTreeWidgetItem& item) {
  TExpectedNode node{item.text(0).toStdString(), {}};
  for (int i = 0; i < item.childCount(); ++i) node.Children.push_back(ShownTree(*item.child(i)));
  return node;
}

void ExpectSameTree(const TExpectedNode& shown, const TExpectedNode& expected, const std::string& path) {
  EXPECT_EQ(shown.Name, expected.Name) << path;
  std::vector<std::string> shownNames, expectedNames;
  for (const auto& c : shown.Children) shownNames.push_back(c.Name);
  for (const auto& c : expected.Children) expectedNames.push_back(c.Name);
  ASSERT_EQ(shownNames, expectedNames) << "children of " << path;
  for (size_t i = 0; i < shown.Children.size(); ++i)
    ExpectSameTree(shown.Children[i], expected.Children[i], path + " / " + expected.Name);
}

class IndicationTreeTest : public MainWindowTest {
 protected:
  QTreeWidget* Tree() { return Find<QTreeWidget>("TreeView1"); }
  dvx::TDVXTable& Baum() { return window_->Data().TableComponent("tblTree"); }
  std::string Current(const char* field) { return Baum().FieldByName(field).AsString(); }
  QTreeWidgetItem* NodeNamed(const QString& name) {
    const QList<QTreeWidgetItem*> found = Tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.front() : nullptr;
  }
  // Every node of the tree, depth first.
  std::vector<QTreeWidgetItem*> Nodes() {
    std::vector<QTreeWidgetItem*> all;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
      all.push_back(item);
      for (int i = 0; i < item->childCount(); ++i) walk(item->child(i));
    };
    for (int i = 0; i < Tree()->topLevelItemCount(); ++i) walk(Tree()->topLevelItem(i));
    return all;
  }
};

TEST_F(IndicationTreeTest, EveryEntryOfTheSourcesStandsOnceUnderItsParentInTheOrderTheQueriesGive) {
  ASSERT_EQ(Tree()->topLevelItemCount(), 1);
  ExpectSameTree(ShownTree(*Tree()->topLevelItem(0)), ExpectedTree(), "");
  // Regions are several; sorting them must have changed the sources' order
  // somewhere, or the test would not tell sorted from unsorted.
  const TExpectedNode expected = ExpectedTree();
  std::vector<std::string> sourceOrder;
  for (const TSourceEntry& e : ReadSourceEntries("Baum"))
    if (e.Field("Eltern") == expected.Name) sourceOrder.push_back(e.Field("BezTree"));
  std::vector<std::string> shownOrder;
  for (const auto& c : expected.Children) shownOrder.push_back(c.Name);
  EXPECT_NE(sourceOrder, shownOrder);
}

TEST_F(IndicationTreeTest, NodesCarryTheirEntriesIdsAndTreeNodeIdsListsEachOnce) {
  const std::vector<TSourceEntry> entries = ReadSourceEntries("Baum");
  // The builder inserted the entries in source order, numbered from 1.
  std::map<std::string, int32_t> idOf;
  for (size_t i = 0; i < entries.size(); ++i) idOf[entries[i].Field("BezTree")] = static_cast<int32_t>(i + 1);
  const std::vector<QTreeWidgetItem*> nodes = Nodes();
  ASSERT_EQ(nodes.size(), entries.size());
  for (QTreeWidgetItem* node : nodes) EXPECT_EQ(TreeNodeId(*node), idOf[node->text(0).toStdString()]);
  const TTreeNodeIds& ids = window_->TreeNodeIds();
  EXPECT_EQ(ids.Slots.size(), entries.size()) << "one slot per record of Baum";
  ASSERT_EQ(ids.Count, static_cast<int>(entries.size()));
  EXPECT_EQ(std::set<int32_t>(ids.Slots.begin(), ids.Slots.end()).size(), entries.size());
  EXPECT_EQ(ids.Slots[0], idOf[ExpectedTree().Name]) << "the root first";
  // In the order the nodes were added: a parent before its children.
  std::map<int32_t, size_t> slotOf;
  for (int i = 0; i < ids.Count; ++i) slotOf[ids.Slots[static_cast<size_t>(i)]] = static_cast<size_t>(i);
  for (QTreeWidgetItem* node : nodes)
    if (node->parent()) EXPECT_LT(slotOf[TreeNodeId(*node->parent())], slotOf[TreeNodeId(*node)]);
}

TEST_F(IndicationTreeTest, TheRootIsSelectedAtShowAndSelectingANodeShowsItsEntry) {
  ASSERT_NE(Tree()->currentItem(), nullptr);
  EXPECT_EQ(Tree()->currentItem(), Tree()->topLevelItem(0));
  EXPECT_TRUE(Tree()->currentItem()->isExpanded());
  const std::vector<TSourceEntry> entries = ReadSourceEntries("Baum");
  for (size_t pick : {entries.size() - 1, entries.size() / 2, size_t{3}}) {
    const TSourceEntry& entry = entries[pick];
    QTreeWidgetItem* node = NodeNamed(QString::fromStdString(entry.Field("BezTree")));
    ASSERT_NE(node, nullptr) << entry.Field("BezTree");
    Tree()->setCurrentItem(node);
    QApplication::processEvents();
    EXPECT_EQ(Current("BezTree"), entry.Field("BezTree"));
    EXPECT_EQ(Current("Baum_ID"), std::to_string(pick + 1));
    const QString text = Find<TDBRichEdit>("DbReBaum")->toPlainText();
    EXPECT_TRUE(text.contains(QString::fromStdString(FirstWords(entry.text)))) << FirstWords(entry.text);
    EXPECT_TRUE(node->isExpanded());
  }
}

// A copy of the set whose "Baum" was changed by `change` before the window
// starts on it.
class ChangedTreeTest : public WindowDriverTest {
 protected:
  void Start(const std::function<void(dvx::TDVXTable&)>& change) {
    const fs::path copy = CopyOfBuiltDatabases();
    {
      TDataModule data(copy);
      data.Activate();
      change(data.TableComponent("tblTree"));
    }
    window_ = StartFendra(App(), std::make_unique<TDataModule>(copy));
    ASSERT_TRUE(window_);
    window_->show();
    QApplication::processEvents();
  }
  static void Append(dvx::TDVXTable& baum, const std::string& name, const std::string& ls, int32_t ebene) {
    baum.Append();
    baum.FieldByName("BezTree").SetAsString(name);
    baum.FieldByName("Ls").SetAsString(ls);
    baum.FieldByName("Ebene").SetAsInteger(ebene);
    baum.Post();
  }
  static int32_t IdOf(dvx::TDVXTable& baum, const std::string& name) {
    for (baum.First(); !baum.Eof(); baum.Next())
      if (baum.FieldByName("BezTree").AsString() == name) return baum.FieldByName("Baum_ID").AsInteger();
    ADD_FAILURE() << name;
    return -1;
  }
  QTreeWidget* Tree() { return Find<QTreeWidget>("TreeView1"); }
  std::string Current(const char* field) {
    return window_->Data().TableComponent("tblTree").FieldByName(field).AsString();
  }
  QTreeWidgetItem* NodeNamed(const QString& name) {
    const QList<QTreeWidgetItem*> found = Tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.front() : nullptr;
  }
  // The names on the path from the root to the node of `name`; empty when
  // the tree does not show it.
  QStringList PathOf(const QString& name) {
    const QList<QTreeWidgetItem*> found = Tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    if (found.size() != 1) return {};
    QStringList path;
    for (QTreeWidgetItem* item = found.front(); item; item = item->parent()) path.prepend(item->text(0));
    return path;
  }
};

TEST_F(ChangedTreeTest, TheTreeFollowsEbeneLinksAndShowsNothingBelowTheThirdLevel) {
  std::string leaf, region;
  Start([&](dvx::TDVXTable& baum) {
    const std::vector<TSourceEntry> entries = ReadSourceEntries("Baum");
    // An entry of the third level ("01.02.03": three parts).
    for (const TSourceEntry& e : entries)
      if (e.Field("Ls").size() == 8) leaf = e.Field("BezTree");
    ASSERT_FALSE(leaf.empty());
    region = entries[1].Field("BezTree");
    const int32_t leafId = IdOf(baum, leaf);
    Append(baum, "Vierte Ebene", "99.99.99.01", leafId);
    // An entry meant for the third level, linked straight to the root.
    Append(baum, "Am Stamm", "98", 1);
    // An entry whose parent does not exist.
    Append(baum, "Verwaist", "97.01", 100000);
    // A second-level entry hung under a region.
    Append(baum, "Neu im Bereich", "01.90", IdOf(baum, region));
  });
  ASSERT_FALSE(HasFatalFailure());
  const QString root = QString::fromStdString(ReadSourceEntries("Baum").front().Field("BezTree"));
  EXPECT_TRUE(PathOf("Vierte Ebene").isEmpty()) << "four links below the root";
  EXPECT_EQ(PathOf("Am Stamm"), QStringList({root, "Am Stamm"}));
  EXPECT_TRUE(PathOf("Verwaist").isEmpty());
  EXPECT_EQ(PathOf("Neu im Bereich"), QStringList({root, QString::fromStdString(region), "Neu im Bereich"}));
  // The first level stays sorted with the newcomer among the regions.
  QTreeWidgetItem* top = Tree()->topLevelItem(0);
  for (int i = 1; i < top->childCount(); ++i)
    EXPECT_LT(Compare(top->child(i - 1)->text(0).toStdString(), top->child(i)->text(0).toStdString(), false), 0);
  EXPECT_EQ(window_->TreeNodeIds().Slots.size(), ReadSourceEntries("Baum").size() + 4);
  EXPECT_EQ(window_->TreeNodeIds().Count, static_cast<int>(ReadSourceEntries("Baum").size()) + 2);
}

TEST_F(ChangedTreeTest, WithoutARootEntryTheTreeIsEmptyAndTheWindowStarts) {
  Start([](dvx::TDVXTable& baum) {
    ASSERT_TRUE(baum.SeekKey(int64_t{1}));
    baum.Edit();
    baum.FieldByName("Ebene").SetAsInteger(-1);
    baum.Post();
  });
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(Tree()->topLevelItemCount(), 0);
  EXPECT_EQ(window_->TreeNodeIds().Count, 0);
  EXPECT_EQ(Tree()->currentItem(), nullptr);
}

TEST_F(ChangedTreeTest, ANodeWhoseEntryWasDeletedElsewhereLeavesBaumWhereItWas) {
  Start([](dvx::TDVXTable&) {});
  ASSERT_FALSE(HasFatalFailure());
  const std::vector<TSourceEntry> entries = ReadSourceEntries("Baum");
  QTreeWidgetItem* leaf = NodeNamed(QString::fromStdString(entries.back().Field("BezTree")));
  ASSERT_NE(leaf, nullptr);
  ASSERT_EQ(leaf->childCount(), 0);
  QTreeWidgetItem* other = NodeNamed(QString::fromStdString(entries[2].Field("BezTree")));
  ASSERT_NE(other, nullptr);
  // Another user of the file deletes the leaf's entry.
  {
    dvx::TDVXTable second;
    second.SetDatabaseName("dbBaum");
    second.SetTableName("Baum");
    second.SetIndexName("Primary_Key");
    second.Open();
    ASSERT_TRUE(second.SeekKey(static_cast<int64_t>(TreeNodeId(*leaf))));
    second.Delete();
  }
  Tree()->setCurrentItem(other);
  QApplication::processEvents();
  ASSERT_EQ(Current("BezTree"), entries[2].Field("BezTree"));
  Tree()->setCurrentItem(leaf);
  QApplication::processEvents();
  EXPECT_EQ(Current("BezTree"), entries[2].Field("BezTree"));
  EXPECT_EQ(Current("Baum_ID"), "3");
}

}  // namespace
}  // namespace fendra::testing
