#pragma once
// TDBGrid: a table view of a dataset (TDataSetTableModel). The selected
// row follows the dataset's current record, and selecting a row makes its
// record the current one; leaving a row whose record was changed posts the
// change first. A refused post keeps the selection on the changed row.
#include <QTableView>
#include <string>
#include <vector>

#include "app/data_controls/dataset_table_model.h"

namespace dvx {
class TDataSource;
}

namespace fendra {

class TDBGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TDBGrid(QWidget* parent = nullptr, const char* name = nullptr);

  dvx::TDataSource* DataSource() const { return model_->DataSource(); }
  void SetDataSource(dvx::TDataSource* source) { model_->SetDataSource(source); }
  // Field names of the columns; empty shows every visible field.
  void SetColumns(std::vector<std::string> fieldNames) { model_->SetColumns(std::move(fieldNames)); }
  bool DataReadOnly() const { return model_->ReadOnly(); }
  void SetDataReadOnly(bool readOnly);
  // Without titles the column header is hidden.
  void SetShowTitles(bool show);
  TDataSetTableModel* DataModel() const { return model_; }

 private:
  void ViewRowChanged(const QModelIndex& current, const QModelIndex& previous);
  void DataSetRowChanged(int row);

  TDataSetTableModel* model_;
  bool following_ = false;
};

}  // namespace fendra
