#include "engine/components/data_source.h"

#include <algorithm>

#include "engine/components/data_link.h"
#include "engine/components/dataset.h"

namespace dvx {

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  // Handlers belong to objects that may be gone already.
  OnStateChange = nullptr;
  OnDataChange = nullptr;
  OnUpdateData = nullptr;
  SetDataSet(nullptr);
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links) link->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_ != nullptr) dataSet_->DetachDataSource(*this);
  dataSet_ = dataSet;
  if (dataSet_ != nullptr) dataSet_->AttachDataSource(*this);
  NotifyDataEvent(deUpdateState, 0);
}

void TDataSource::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  // The links go inactive (and show nothing) or come back.
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links) link->UpdateState();
  if (OnStateChange) OnStateChange(*this);
}

TDataSetState TDataSource::State() const {
  if (dataSet_ == nullptr || !enabled_) return dsInactive;
  return dataSet_->State();
}

void TDataSource::AddLink(TDataLink& link) {
  if (std::find(links_.begin(), links_.end(), &link) == links_.end()) links_.push_back(&link);
  if (dataSet_ != nullptr && dataSet_->Active()) dataSet_->UpdateBufferCount();
}

void TDataSource::RemoveLink(TDataLink& link) {
  links_.erase(std::remove(links_.begin(), links_.end(), &link), links_.end());
  if (dataSet_ != nullptr && dataSet_->Active()) dataSet_->UpdateBufferCount();
}

void TDataSource::NotifyDataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    // Links follow the state even through a disabled source: they go
    // inactive there.
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links) link->DataEvent(event, info);
    if (OnStateChange) OnStateChange(*this);
    return;
  }
  if (!enabled_) return;
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links) link->DataEvent(event, info);
  switch (event) {
    case deFieldChange:
      if (OnDataChange) OnDataChange(*this, reinterpret_cast<TField*>(info));
      break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(*this, nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(*this);
      break;
    default:
      break;
  }
}

}  // namespace dvx
