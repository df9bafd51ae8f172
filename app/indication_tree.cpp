#include "app/indication_tree.h"

#include <QSet>

#include "app/data_module.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "engine/query/query.h"

namespace fendra {

namespace {

constexpr const char* kZuid = "zuid";

struct TTreeRow {
  int32_t Id;
  QString Name;
};

QString RowName(const dvx::TDVXQuery& query) {
  QString name = QString::fromStdString(query.FieldByName("BezTree").AsString());
  while (name.endsWith(QLatin1Char(' '))) name.chop(1);
  return name;
}

// Closes the query, gives zuid the parent's Baum_ID, opens it and reads its
// rows in the order it delivers them. The rows are read whole before any
// child query runs, so nothing depends on a query staying positioned.
std::vector<TTreeRow> RowsUnder(dvx::TDVXQuery& query, int32_t parent) {
  query.Close();
  query.ParamNamed(kZuid).SetAsInteger(parent);
  query.Open();
  std::vector<TTreeRow> rows;
  for (query.First(); !query.Eof(); query.Next())
    rows.push_back({query.FieldByName("Baum_ID").AsInteger(), RowName(query)});
  return rows;
}

class TTreeBuilder {
 public:
  TTreeBuilder(QTreeWidget& tree, size_t slotCount) : tree_(tree) { ids_.Slots.assign(slotCount, 0); }

  // A node for the row under `parent` (the top level when null), or null
  // when its entry is in the tree already or no slot is left.
  QTreeWidgetItem* Add(QTreeWidgetItem* parent, const TTreeRow& row) {
    if (placed_.contains(row.Id) || static_cast<size_t>(ids_.Count) >= ids_.Slots.size()) return nullptr;
    placed_.insert(row.Id);
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(&tree_);
    node->setText(0, row.Name);
    node->setData(0, kTreeNodeIdRole, row.Id);
    ids_.Slots[static_cast<size_t>(ids_.Count++)] = row.Id;
    return node;
  }
  TTreeNodeIds Take() { return std::move(ids_); }

 private:
  QTreeWidget& tree_;
  TTreeNodeIds ids_;
  QSet<int32_t> placed_;
};

}  // namespace

int32_t TreeNodeId(const QTreeWidgetItem& node) { return node.data(0, kTreeNodeIdRole).toInt(); }

TTreeNodeIds BuildIndicationTree(QTreeWidget& tree, TDataModule& data) {
  dvx::TDVXTable& table = data.TableComponent("tblTree");
  if (!table.Active()) table.Open();
  dvx::TDVXQuery& query1 = data.QueryComponent("Query1");
  dvx::TDVXQuery& query2 = data.QueryComponent("Query2");
  dvx::TDVXQuery& query3 = data.QueryComponent("Query3");
  dvx::TDVXQuery& query4 = data.QueryComponent("Query4");

  tree.clear();
  TTreeBuilder builder(tree, static_cast<size_t>(std::max<int64_t>(0, table.RecordCount())));
  // Query1 opened with the design's zuid 0 as the window was created.
  if (!query1.Active()) query1.Open();
  query1.First();
  if (!query1.Eof()) {
    const TTreeRow rootRow{query1.FieldByName("Baum_ID").AsInteger(), RowName(query1)};
    QTreeWidgetItem* root = builder.Add(nullptr, rootRow);
    for (const TTreeRow& first : RowsUnder(query2, rootRow.Id)) {
      QTreeWidgetItem* level1 = builder.Add(root, first);
      if (!level1) continue;
      for (const TTreeRow& second : RowsUnder(query3, first.Id)) {
        QTreeWidgetItem* level2 = builder.Add(level1, second);
        if (!level2) continue;
        for (const TTreeRow& third : RowsUnder(query4, second.Id)) builder.Add(level2, third);
      }
    }
  }
  for (dvx::TDVXQuery* query : {&query1, &query2, &query3, &query4}) query->Close();
  return builder.Take();
}

}  // namespace fendra
