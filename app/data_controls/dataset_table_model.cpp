#include "app/data_controls/dataset_table_model.h"

#include <QCoreApplication>
#include <exception>

#include "app/data_controls/data_control_errors.h"
#include "engine/components/data_link.h"
#include "engine/components/data_source.h"
#include "engine/components/dataset.h"
#include "engine/components/field.h"

namespace fendra {

// The model's ear on the dataset. Everything it hears arrives while the
// dataset is telling its links, so the model must not move the dataset
// from here; `notifying_` tells the fetching code so.
class TDataSetTableModel::TGridLink : public dvx::TDataLink {
 public:
  explicit TGridLink(TDataSetTableModel& model) : model_(model) {}

 protected:
  void ActiveChanged() override { Tell([&] { model_.LinkActiveChanged(); }); }
  void LayoutChanged() override { Tell([&] { model_.LinkActiveChanged(); }); }
  void EditingChanged() override { Tell([&] { model_.LinkEditingChanged(); }); }
  void DataSetChanged() override { Tell([&] { model_.LinkWindowChanged(true); }); }
  void DataSetScrolled(int) override { Tell([&] { model_.LinkWindowChanged(false); }); }
  void RecordChanged(dvx::TField* field) override { Tell([&] { model_.LinkRecordChanged(field); }); }

 private:
  template <typename F>
  void Tell(F&& f) {
    ++model_.notifying_;
    try {
      f();
    } catch (...) {
      --model_.notifying_;
      throw;
    }
    --model_.notifying_;
  }
  TDataSetTableModel& model_;
};

namespace {

// Marks a change of the rows under way (between begin and end).
struct TChanging {
  explicit TChanging(int& depth) : depth_(depth) { ++depth_; }
  ~TChanging() { --depth_; }
  int& depth_;
};

std::string KeyOf(const dvx::TBookmark& bookmark) { return std::string(bookmark.begin(), bookmark.end()); }

bool IsNumeric(dvx::TFieldType type) {
  switch (type) {
    case dvx::ftSmallint:
    case dvx::ftInteger:
    case dvx::ftWord:
    case dvx::ftFloat:
    case dvx::ftCurrency:
    case dvx::ftBCD:
    case dvx::ftAutoInc:
    case dvx::ftLargeint:
    case dvx::ftFMTBcd:
      return true;
    default:
      return false;
  }
}

// Puts a dataset whose controls were disabled for a walk back where it
// was: the same record, and Bof/Eof as they were (a bookmark alone would
// clear them, and the navigator would offer moves that go nowhere).
class TWalkGuard {
 public:
  explicit TWalkGuard(dvx::TDataSet& dataSet)
      : dataSet_(dataSet), bof_(dataSet.Bof()), eof_(dataSet.Eof()), bookmark_(dataSet.GetBookmark()) {
    dataSet_.DisableControls();
  }
  ~TWalkGuard() noexcept(false) {
    struct TEnable {
      dvx::TDataSet& d;
      ~TEnable() { d.EnableControls(); }
    } enable{dataSet_};
    if (std::uncaught_exceptions() > 0) {
      try {
        Restore();
      } catch (const std::exception& error) {
        ReportDataControlError(error);
      }
      return;
    }
    Restore();
  }
  TWalkGuard(const TWalkGuard&) = delete;
  TWalkGuard& operator=(const TWalkGuard&) = delete;

 private:
  void Restore() {
    if (bookmark_.empty() || bof_) {
      dataSet_.First();
    } else if (eof_) {
      dataSet_.Last();
    } else {
      dataSet_.GotoBookmark(bookmark_);
    }
  }
  dvx::TDataSet& dataSet_;
  bool bof_;
  bool eof_;
  dvx::TBookmark bookmark_;
};

}  // namespace

TDataSetTableModel::TDataSetTableModel(QObject* parent)
    : QAbstractTableModel(parent), link_(std::make_unique<TGridLink>(*this)) {}

TDataSetTableModel::~TDataSetTableModel() {
  // Detach first: the link may still tell the model while it goes.
  link_->SetDataSource(nullptr);
}

dvx::TDataSource* TDataSetTableModel::DataSource() const { return link_->DataSource(); }

void TDataSetTableModel::SetDataSource(dvx::TDataSource* source) {
  link_->SetDataSource(source);
  LinkActiveChanged();
}

void TDataSetTableModel::SetColumns(std::vector<std::string> fieldNames) {
  columnNames_ = std::move(fieldNames);
  LinkActiveChanged();
}

dvx::TField* TDataSetTableModel::ColumnField(int column) const {
  return column >= 0 && column < static_cast<int>(fields_.size()) ? fields_[column] : nullptr;
}

dvx::TDataSet* TDataSetTableModel::BrowsingDataSet() const {
  dvx::TDataSet* dataSet = link_->DataSet();
  if (!link_->Active() || dataSet == nullptr || dataSet->State() != dvx::dsBrowse || dataSet->ControlsDisabled())
    return nullptr;
  return dataSet;
}

void TDataSetTableModel::ResolveColumns() {
  fields_.clear();
  dvx::TDataSet* dataSet = link_->DataSet();
  if (!link_->Active() || dataSet == nullptr) return;
  if (columnNames_.empty()) {
    for (int i = 0; i < dataSet->FieldCount(); ++i)
      if (dataSet->Fields()[i].Visible()) fields_.push_back(&dataSet->Fields()[i]);
  } else {
    // A name the dataset does not have is a mistake of the caller.
    for (const std::string& name : columnNames_) fields_.push_back(&dataSet->FieldByName(name));
  }
}

void TDataSetTableModel::ResetCache(bool resolveColumns) {
  TChanging changing(changing_);
  beginResetModel();
  if (resolveColumns) ResolveColumns();
  rows_.clear();
  rowOf_.clear();
  atEnd_ = false;
  currentRow_ = -1;
  dvx::TDataSet* dataSet = link_->DataSet();
  knownCount_ = link_->Active() && dataSet != nullptr ? dataSet->RecordCount() : -1;
  endResetModel();
}

void TDataSetTableModel::Invalidate() {
  ResetCache();
  ScheduleFollow();
}

void TDataSetTableModel::LinkActiveChanged() {
  dvx::TDataSet* dataSet = link_->DataSet();
  lastState_ = link_->Active() && dataSet != nullptr ? dataSet->State() : dvx::dsInactive;
  ResetCache(true);
  if (link_->Active()) ScheduleFollow();
}

TDataSetTableModel::TRow TDataSetTableModel::ReadActiveRecord() const {
  TRow row;
  dvx::TDataSet* dataSet = link_->DataSet();
  if (dataSet->State() != dvx::dsInsert) row.bookmark = dataSet->GetBookmark();
  row.display.reserve(fields_.size());
  row.edit.reserve(fields_.size());
  for (dvx::TField* field : fields_) {
    row.display.push_back(QString::fromStdString(field->DisplayText()));
    row.edit.push_back(field->IsBlob() ? row.display.back() : QString::fromStdString(field->AsString()));
  }
  return row;
}

void TDataSetTableModel::RefreshRow(int row) {
  TRow fresh = ReadActiveRecord();
  TRow& cached = rows_[row];
  if (fresh.display == cached.display && fresh.edit == cached.edit) return;
  cached.display = std::move(fresh.display);
  cached.edit = std::move(fresh.edit);
  if (!fields_.empty()) emit dataChanged(index(row, 0), index(row, static_cast<int>(fields_.size()) - 1));
}

int TDataSetTableModel::FindRow(const dvx::TBookmark& bookmark) const {
  if (bookmark.empty()) return -1;
  auto found = rowOf_.find(KeyOf(bookmark));
  return found == rowOf_.end() ? -1 : found->second;
}

void TDataSetTableModel::RebuildRowIndex(int from) {
  for (int i = from; i < static_cast<int>(rows_.size()); ++i)
    if (!rows_[i].bookmark.empty()) rowOf_[KeyOf(rows_[i].bookmark)] = i;
}

void TDataSetTableModel::SetCurrentRow(int row) {
  if (row == currentRow_) return;
  currentRow_ = row;
  emit CurrentRowChanged(row);
}

int TDataSetTableModel::PlaceholderRow() const {
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
    if (rows_[i].bookmark.empty()) return i;
  return -1;
}

void TDataSetTableModel::RemovePlaceholder() {
  const int row = PlaceholderRow();
  if (row < 0) return;
  TChanging changing(changing_);
  beginRemoveRows(QModelIndex(), row, row);
  rows_.erase(rows_.begin() + row);
  RebuildRowIndex(row);
  endRemoveRows();
  if (currentRow_ == row)
    currentRow_ = -1;
  else if (currentRow_ > row)
    --currentRow_;
}

void TDataSetTableModel::LinkEditingChanged() {
  dvx::TDataSet* dataSet = link_->DataSet();
  const dvx::TDataSetState state = link_->Active() && dataSet != nullptr ? dataSet->State() : dvx::dsInactive;
  if (state == dvx::dsInsert && lastState_ != dvx::dsInsert) {
    // The new record stands where the current one stood until it is
    // posted and takes its place in the order.
    const int row = currentRow_ >= 0 ? currentRow_ : static_cast<int>(rows_.size());
    TChanging changing(changing_);
    beginInsertRows(QModelIndex(), row, row);
    rows_.insert(rows_.begin() + row, ReadActiveRecord());
    RebuildRowIndex(row + 1);
    endInsertRows();
    currentRow_ = -1;
    SetCurrentRow(row);
  } else if (lastState_ == dvx::dsInsert && state != dvx::dsInsert) {
    RemovePlaceholder();
    ScheduleFollow();
  } else if (lastState_ == dvx::dsEdit && state == dvx::dsBrowse) {
    // A posted change of an ordering field moves the record.
    checkOrder_ = true;
    ScheduleFollow();
  }
  lastState_ = state;
}

void TDataSetTableModel::LinkWindowChanged(bool reread) {
  if (fetching_ || !link_->Active()) return;
  dvx::TDataSet* dataSet = link_->DataSet();
  if (dataSet->State() == dvx::dsInsert) {
    const int row = PlaceholderRow();
    if (row >= 0) RefreshRow(row);
    return;
  }
  if (reread && dataSet->RecordCount() != knownCount_) {
    // Records came or went: the rows after them all moved.
    ResetCache();
    ScheduleFollow();
    return;
  }
  const int row = FindRow(dataSet->GetBookmark());
  if (row >= 0) RefreshRow(row);
  SetCurrentRow(row);
  if (row < 0 && !dataSet->IsEmpty()) ScheduleFollow();
}

void TDataSetTableModel::LinkRecordChanged(dvx::TField*) {
  if (fetching_ || !link_->Active()) return;
  dvx::TDataSet* dataSet = link_->DataSet();
  const int row = dataSet->State() == dvx::dsInsert ? PlaceholderRow() : FindRow(dataSet->GetBookmark());
  if (row >= 0) RefreshRow(row);
}

void TDataSetTableModel::ScheduleFollow() {
  if (followPending_) return;
  followPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        followPending_ = false;
        try {
          Follow();
        } catch (const std::exception& error) {
          ReportDataControlError(error);
        }
      },
      Qt::QueuedConnection);
}

bool TDataSetTableModel::InOrderAround(int row) {
  dvx::TDataSet* dataSet = link_->DataSet();
  const dvx::TBookmark& mine = rows_[row].bookmark;
  if (row > 0 && dataSet->CompareBookmarks(rows_[row - 1].bookmark, mine) >= 0) return false;
  if (row + 1 < static_cast<int>(rows_.size()) && dataSet->CompareBookmarks(mine, rows_[row + 1].bookmark) >= 0)
    return false;
  return true;
}

void TDataSetTableModel::Follow() {
  dvx::TDataSet* dataSet = BrowsingDataSet();
  if (dataSet == nullptr) return;
  if (dataSet->RecordCount() != knownCount_) ResetCache();
  const dvx::TBookmark current = dataSet->GetBookmark();
  if (current.empty()) {
    SetCurrentRow(-1);
    return;
  }
  // Twice at most: a record missing from a complete cache, or out of its
  // place, means the cache is stale; the second pass starts from scratch.
  for (int pass = 0; pass < 2; ++pass) {
    int row = FindRow(current);
    while (row < 0 && !atEnd_) {
      if (FetchRows(batchSize_) == 0 && !atEnd_) break;
      row = FindRow(current);
    }
    if (row >= 0 && (!checkOrder_ || InOrderAround(row))) {
      checkOrder_ = false;
      RefreshRow(row);
      SetCurrentRow(row);
      return;
    }
    checkOrder_ = false;
    ResetCache();
  }
}

int TDataSetTableModel::FetchRows(int count) {
  dvx::TDataSet* dataSet = BrowsingDataSet();
  if (dataSet == nullptr || atEnd_ || fetching_ || notifying_ > 0 || changing_ > 0 || count <= 0) return 0;
  std::vector<TRow> batch;
  bool reachedEnd = false;
  fetching_ = true;
  try {
    TWalkGuard guard(*dataSet);
    if (rows_.empty()) {
      dataSet->First();
      reachedEnd = dataSet->IsEmpty();
    } else {
      dataSet->GotoBookmark(rows_.back().bookmark);
      reachedEnd = dataSet->MoveBy(1) == 0;
    }
    while (!reachedEnd) {
      batch.push_back(ReadActiveRecord());
      if (static_cast<int>(batch.size()) >= count) break;
      reachedEnd = dataSet->MoveBy(1) == 0;
    }
  } catch (...) {
    // The last fetched record may be gone: whatever the cause, the cache
    // cannot be continued.
    ResetCache();
    fetching_ = false;
    throw;
  }
  atEnd_ = reachedEnd;
  if (batch.empty()) {
    fetching_ = false;
    return 0;
  }
  // Still fetching while the rows go in: whoever hears of them (a view, a
  // model tester) must not start another fetch in the middle.
  const int first = static_cast<int>(rows_.size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
  for (TRow& row : batch) rows_.push_back(std::move(row));
  RebuildRowIndex(first);
  endInsertRows();
  fetching_ = false;
  const int row = FindRow(dataSet->GetBookmark());
  if (row >= 0) SetCurrentRow(row);
  return static_cast<int>(batch.size());
}

void TDataSetTableModel::MoveToRow(int row) {
  // While the rows themselves change, the view moves its current index off
  // rows that go away (the placeholder of a record just posted, say): no
  // user's choice, and moving the dataset then would post into, or reset,
  // the rows being changed.
  if (changing_ > 0) return;
  dvx::TDataSet* dataSet = link_->DataSet();
  if (!link_->Active() || dataSet == nullptr || row < 0 || row >= static_cast<int>(rows_.size()) || row == currentRow_)
    return;
  const dvx::TBookmark target = rows_[row].bookmark;
  if (target.empty()) return;
  if (dataSet->State() == dvx::dsEdit || dataSet->State() == dvx::dsInsert) dataSet->CheckBrowseMode();
  dataSet->GotoBookmark(target);
}

bool TDataSetTableModel::Holds(const QModelIndex& index) const {
  return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < static_cast<int>(rows_.size()) &&
         index.column() < static_cast<int>(fields_.size());
}

int TDataSetTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TDataSetTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(fields_.size());
}

QVariant TDataSetTableModel::data(const QModelIndex& index, int role) const {
  if (!Holds(index)) return {};
  const TRow& row = rows_[index.row()];
  switch (role) {
    case Qt::DisplayRole:
      return row.display[index.column()];
    case Qt::EditRole:
      return row.edit[index.column()];
    case Qt::TextAlignmentRole:
      return IsNumeric(fields_[index.column()]->DataType()) ? int(Qt::AlignRight | Qt::AlignVCenter)
                                                            : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant TDataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < static_cast<int>(fields_.size()))
    return QString::fromStdString(fields_[section]->DisplayLabel());
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TDataSetTableModel::flags(const QModelIndex& index) const {
  if (!Holds(index)) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  const dvx::TField* field = fields_[index.column()];
  dvx::TDataSet* dataSet = link_->DataSet();
  if (!readOnly_ && !link_->ReadOnly() && dataSet != nullptr && dataSet->CanModify() && !field->ReadOnly() &&
      !field->IsBlob() && !field->Calculated())
    result |= Qt::ItemIsEditable;
  return result;
}

bool TDataSetTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
  try {
    const dvx::TBookmark target = rows_[index.row()].bookmark;
    if (index.row() != currentRow_) MoveToRow(index.row());
    // Moving may have posted a change and re-read the rows.
    if (currentRow_ < 0 || currentRow_ >= static_cast<int>(rows_.size()) || rows_[currentRow_].bookmark != target)
      return false;
    if (!link_->Editing() && !link_->Edit()) return false;
    fields_[index.column()]->SetAsString(value.toString().toStdString());
    return true;
  } catch (const std::exception& error) {
    ReportDataControlError(error);
    return false;
  }
}

bool TDataSetTableModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && !atEnd_ && !fetching_ && notifying_ == 0 && changing_ == 0 &&
         BrowsingDataSet() != nullptr;
}

void TDataSetTableModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  try {
    FetchRows(batchSize_);
  } catch (const std::exception& error) {
    ReportDataControlError(error);
  }
}

}  // namespace fendra
