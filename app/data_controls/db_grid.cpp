#include "app/data_controls/db_grid.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include "app/data_controls/data_control_errors.h"

namespace fendra {

TDBGrid::TDBGrid(QWidget* parent, const char* name) : QTableView(parent), model_(new TDataSetTableModel(this)) {
  if (name != nullptr) setObjectName(name);
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  verticalHeader()->setVisible(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setStretchLastSection(true);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TDBGrid::ViewRowChanged);
  connect(model_, &TDataSetTableModel::CurrentRowChanged, this, &TDBGrid::DataSetRowChanged);
  // After a reset the model's current row arrives once the rows are there.
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { DataSetRowChanged(model_->CurrentRow()); });
}

void TDBGrid::SetDataReadOnly(bool readOnly) {
  model_->SetReadOnly(readOnly);
  setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                           : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
}

void TDBGrid::SetShowTitles(bool show) { horizontalHeader()->setVisible(show); }

void TDBGrid::ViewRowChanged(const QModelIndex& current, const QModelIndex&) {
  if (following_ || !current.isValid()) return;
  try {
    model_->MoveToRow(current.row());
  } catch (const std::exception& error) {
    // The record stays current (a refused post keeps its changes): so does
    // its row.
    DataSetRowChanged(model_->CurrentRow());
    ReportDataControlError(error);
    return;
  }
  if (model_->CurrentRow() != current.row()) DataSetRowChanged(model_->CurrentRow());
}

void TDBGrid::DataSetRowChanged(int row) {
  following_ = true;
  if (row < 0 || model_->columnCount() == 0) {
    selectionModel()->clearCurrentIndex();
    clearSelection();
  } else {
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex target = model_->index(row, column);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(target);
  }
  following_ = false;
}

}  // namespace fendra
