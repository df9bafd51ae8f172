#include "engine/components/dataset_list.h"

#include <algorithm>

namespace dvx {

TDVXDataSetList& TDVXDataSetList::Instance() {
  static TDVXDataSetList list;
  return list;
}

void TDVXDataSetList::Add(TDVXDataSet& dataSet) {
  std::lock_guard<std::mutex> guard(lock_);
  dataSets_.push_back(&dataSet);
}

void TDVXDataSetList::Remove(TDVXDataSet& dataSet) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = std::find(dataSets_.begin(), dataSets_.end(), &dataSet);
  if (it != dataSets_.end()) dataSets_.erase(it);
}

size_t TDVXDataSetList::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return dataSets_.size();
}

bool TDVXDataSetList::Contains(const TDVXDataSet& dataSet) const {
  std::lock_guard<std::mutex> guard(lock_);
  return std::find(dataSets_.begin(), dataSets_.end(), &dataSet) != dataSets_.end();
}

std::vector<TDVXDataSet*> TDVXDataSetList::Snapshot() const {
  std::lock_guard<std::mutex> guard(lock_);
  return dataSets_;
}

}  // namespace dvx
