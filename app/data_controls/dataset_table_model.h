#pragma once
// TDataSetTableModel: a dataset as a table model. Columns are the visible
// fields (or a given list of field names), their captions the fields'
// display labels; rows are the dataset's records in its order.
//
// A dataset only holds a small window of record buffers around its current
// record, so the model keeps its own cache, one entry per row:
//
//   rows_[r]    bookmark of the record, its display and edit texts per
//               column; a row without bookmark is the record being
//               inserted (at most one)
//   rowOf_      bookmark -> row, to find the current record's row
//   atEnd_      every record has been fetched
//
// Rows are fetched in batches (canFetchMore/fetchMore), never the whole
// dataset up front. Fetching walks the dataset with its controls disabled
// and puts it back where it was (same record, same Bof/Eof), and only in
// browse state: a pending change is never posted by a fetch. The dataset's
// scroll and record events update the current row in place; a window
// re-read checks the cache (record count, the current record's row and,
// after a post, its order among its neighbours) and resets the model only
// when the cache no longer matches the dataset. A move of the dataset to a
// record not fetched yet fetches up to it, after the event (never while the
// dataset is telling its links).
//
// Edits: setData puts the row's record into edit state and writes the
// field; the change is posted when the current row moves to another row
// (MoveToRow) or by whoever posts the dataset.
#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/components/dataset_types.h"

namespace dvx {
class TDataSet;
class TDataSource;
class TField;
}  // namespace dvx

namespace fendra {

class TDataSetTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kDefaultBatchSize = 100;

  explicit TDataSetTableModel(QObject* parent = nullptr);
  ~TDataSetTableModel() override;

  dvx::TDataSource* DataSource() const;
  void SetDataSource(dvx::TDataSource* source);
  // Field names to show, in order; empty shows every visible field.
  void SetColumns(std::vector<std::string> fieldNames);
  int BatchSize() const { return batchSize_; }
  void SetBatchSize(int rows) { batchSize_ = rows > 0 ? rows : 1; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  dvx::TField* ColumnField(int column) const;

  // The row of the dataset's current record; -1 when it has none or the
  // row is not fetched yet.
  int CurrentRow() const { return currentRow_; }
  // Makes the row's record the current one, posting a pending change of
  // another row first.
  void MoveToRow(int row);
  // Drops the cache, for changes the dataset cannot tell (another user's).
  void Invalidate();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 signals:
  void CurrentRowChanged(int row);

 private:
  class TGridLink;
  friend class TGridLink;
  struct TRow {
    dvx::TBookmark bookmark;  // empty: the record being inserted
    std::vector<QString> display;
    std::vector<QString> edit;
  };

  // From the link, while the dataset tells its links (no moving here).
  void LinkActiveChanged();
  void LinkEditingChanged();
  void LinkWindowChanged(bool reread);
  void LinkRecordChanged(dvx::TField* field);

  dvx::TDataSet* BrowsingDataSet() const;
  void ResolveColumns();
  void ResetCache(bool resolveColumns = false);
  TRow ReadActiveRecord() const;
  void RefreshRow(int row);
  int FindRow(const dvx::TBookmark& bookmark) const;
  void RebuildRowIndex(int from);
  void SetCurrentRow(int row);
  int PlaceholderRow() const;
  void RemovePlaceholder();
  void ScheduleFollow();
  // After the event: fetches up to the current record, checks its order.
  void Follow();
  int FetchRows(int count);
  bool InOrderAround(int row);
  bool Holds(const QModelIndex& index) const;

  std::unique_ptr<TGridLink> link_;
  std::vector<std::string> columnNames_;
  std::vector<dvx::TField*> fields_;
  std::vector<TRow> rows_;
  std::unordered_map<std::string, int> rowOf_;
  bool atEnd_ = false;
  int64_t knownCount_ = -1;
  int currentRow_ = -1;
  int batchSize_ = kDefaultBatchSize;
  bool readOnly_ = false;
  bool fetching_ = false;
  int notifying_ = 0;
  int changing_ = 0;
  bool followPending_ = false;
  bool checkOrder_ = false;
  dvx::TDataSetState lastState_ = dvx::dsInactive;
};

}  // namespace fendra
