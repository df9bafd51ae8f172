#pragma once
// The indication tree of the first tab: built once, when the window is
// first shown, from the table "Baum" through the four read-only tree
// queries, each reopened with the parent's Baum_ID as its parameter zuid.
//
//   Query1 (zuid 0, as designed)  the root: the first entry whose Ebene is 0
//   Query2 (ordered by BezTree)   the entries directly under the root
//   Query3                        the entries under one first-level entry
//   Query4                        the entries under one second-level entry
//
// Every node carries its entry's Baum_ID as its data; the identifiers are
// also collected, in the order the nodes are added, in TreeNodeIds, which
// has one slot per record of "Baum". Entries below the third level, and
// entries whose parent is not in the tree, are not shown.
#include <QTreeWidget>
#include <cstdint>
#include <vector>

namespace fendra {

class TDataModule;

// The Baum_ID a node carries.
inline constexpr int kTreeNodeIdRole = Qt::UserRole;
int32_t TreeNodeId(const QTreeWidgetItem& node);

struct TTreeNodeIds {
  std::vector<int32_t> Slots;  // one per record of "Baum"; unused slots 0
  int Count = 0;               // slots filled, one per node
};

// Fills `tree` (emptied first) and closes the four queries. Returns the
// identifiers of the nodes. A tree without a root entry stays empty.
//
// An entry is shown at most once: were "Baum" to link an entry back into
// its own branch (a root whose Baum_ID is 0 lists itself among its
// children), it would otherwise be added again and again until the slots
// ran out. Such an entry keeps its first place.
TTreeNodeIds BuildIndicationTree(QTreeWidget& tree, TDataModule& data);

}  // namespace fendra
