#pragma once
// TDataLink: the observer through which a control follows a dataset. A
// control owns a link, sets its data source and, for a grid, the number of
// rows it shows (BufferCount); the link tells it, through the virtual
// calls below, when the active record changed, when the window scrolled,
// when the state changed and when a field changed. The link also knows the
// row of the active record inside the control's part of the window
// (ActiveRecord) so that a grid can read any of its rows.
//
// A link never reaches the source of the records: everything goes through
// the dataset's fields and its window of buffers.
#include <cstdint>

#include "engine/components/dataset_types.h"

namespace dvx {

class TDataSet;
class TDataSource;
class TField;

class TDataLink {
 public:
  TDataLink();
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* source);
  // The dataset behind the source, or null.
  TDataSet* DataSet() const;
  // Whether the source has an open dataset and is enabled.
  bool Active() const { return active_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // Whether the dataset is in edit or insert state.
  bool Editing() const { return editing_; }
  // Puts a browsing dataset into edit state when the source allows it
  // (AutoEdit) and the link is not read-only; true when editing after.
  bool Edit();
  // Posts the control's pending edits into the fields (UpdateData).
  void UpdateRecord();

  // Rows this link shows (a grid: its visible rows); the dataset's window
  // is the largest count of its links.
  int BufferCount() const { return bufferCount_; }
  void SetBufferCount(int count);
  // The active record's row within this link's rows, and how many of them
  // hold records.
  int ActiveRecord() const;
  void SetActiveRecord(int row);  // temporarily, to read another row's fields
  int RecordCount() const;
  // Bof/Eof of the dataset.
  bool Bof() const;
  bool Eof() const;
  // Moves the dataset by `distance` records; the distance moved.
  int MoveBy(int distance);

 protected:
  // Called by the framework; a control overrides what it needs.
  virtual void ActiveChanged() {}              // the dataset opened or closed, or the source changed
  virtual void EditingChanged() {}             // edit or insert began or ended
  virtual void DataSetChanged() { RecordChanged(nullptr); }  // the whole window may differ
  virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
  virtual void RecordChanged(TField* /*field*/) {}  // null: the whole record
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void UpdateData() {}                 // write pending control edits into the fields
  virtual void CheckBrowseMode() {}            // the dataset leaves its record
  virtual void FocusControl(TField* /*field*/) {}

 private:
  friend class TDataSource;
  friend class TDataSet;
  void DataEvent(TDataEvent event, intptr_t info);
  void UpdateState();
  // Keeps the dataset's active row inside this link's rows and the rows
  // filled; the distance the first row moved, in records.
  int UpdateRange(int shift);

  TDataSource* dataSource_ = nullptr;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;  // inside UpdateData: the control's own writes are not echoed back
  int bufferCount_ = 1;
  int firstRecord_ = 0;  // the link's first row in the dataset's window
};

}  // namespace dvx
