// TDataLink: a control's view of the dataset's window.
//
// firstRecord_ is the window row shown as the link's first row. After
// every window change it is moved by the rows' shift (deDataSetScroll) and
// then clamped so that the active row lies among the link's rows and the
// link's rows are filled as far as the window allows.
#include "engine/components/data_link.h"

#include <algorithm>

#include "engine/components/data_source.h"
#include "engine/components/dataset.h"

namespace dvx {

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == dataSource_) return;
  if (dataSource_ != nullptr) dataSource_->RemoveLink(*this);
  dataSource_ = source;
  if (dataSource_ != nullptr) dataSource_->AddLink(*this);
  UpdateState();
}

TDataSet* TDataLink::DataSet() const { return dataSource_ != nullptr ? dataSource_->DataSet() : nullptr; }

void TDataLink::UpdateState() {
  TDataSet* dataSet = DataSet();
  const bool active = dataSource_ != nullptr && dataSource_->Enabled() && dataSet != nullptr && dataSet->Active();
  if (active != active_) {
    active_ = active;
    if (active_) {
      firstRecord_ = 0;
      UpdateRange(0);
    }
    ActiveChanged();
  }
  const bool editing = active_ && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
  if (editing != editing_) {
    editing_ = editing;
    EditingChanged();
  }
}

int TDataLink::UpdateRange(int shift) {
  TDataSet* dataSet = DataSet();
  const int moved = firstRecord_ + shift;
  int first = moved;
  const int active = dataSet->activeRecord_;
  if (active >= first + bufferCount_) first = active - bufferCount_ + 1;
  if (active < first) first = active;
  // Rows left empty at the end while the window has records before.
  if (first + bufferCount_ > dataSet->recordCount_) first = std::max(0, dataSet->recordCount_ - bufferCount_);
  if (first > active) first = active;
  if (first < 0) first = 0;
  firstRecord_ = first;
  return first - moved;
}

void TDataLink::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!active_) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
      UpdateRange(0);
      DataSetChanged();
      break;
    case deDataSetScroll:
      DataSetScrolled(UpdateRange(static_cast<int>(info)));
      break;
    case deLayoutChange:
      UpdateRange(0);
      LayoutChanged();
      break;
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField*>(info));
      break;
    case deUpdateState:
      break;
  }
}

bool TDataLink::Edit() {
  TDataSet* dataSet = DataSet();
  if (!readOnly_ && active_ && dataSource_->AutoEdit() && dataSet->State() == dsBrowse && dataSet->CanModify())
    dataSet->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  updating_ = true;
  try {
    UpdateData();
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

void TDataLink::SetBufferCount(int count) {
  if (count < 1) count = 1;
  if (count == bufferCount_) return;
  bufferCount_ = count;
  TDataSet* dataSet = DataSet();
  if (active_ && dataSet != nullptr) {
    dataSet->UpdateBufferCount();
    UpdateRange(0);
  }
}

int TDataLink::ActiveRecord() const {
  if (!active_) return 0;
  return DataSet()->activeRecord_ - firstRecord_;
}

void TDataLink::SetActiveRecord(int row) {
  if (!active_) return;
  TDataSet* dataSet = DataSet();
  const int index = firstRecord_ + row;
  if (index >= 0 && index < dataSet->recordCount_) dataSet->activeRecord_ = index;
}

int TDataLink::RecordCount() const {
  if (!active_) return 0;
  return std::clamp(DataSet()->recordCount_ - firstRecord_, 0, bufferCount_);
}

bool TDataLink::Bof() const { return active_ && DataSet()->Bof(); }

bool TDataLink::Eof() const { return active_ && DataSet()->Eof(); }

int TDataLink::MoveBy(int distance) { return active_ ? DataSet()->MoveBy(distance) : 0; }

}  // namespace dvx
