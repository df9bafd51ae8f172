#pragma once
// TDVXDataSetList: every engine dataset of the process, from its creation
// to its destruction. Datasets are added and removed under the list's own
// lock, so datasets may be made and freed on several threads; the list
// never owns them.
#include <cstddef>
#include <mutex>
#include <vector>

namespace dvx {

class TDVXDataSet;

class TDVXDataSetList {
 public:
  static TDVXDataSetList& Instance();

  void Add(TDVXDataSet& dataSet);
  void Remove(TDVXDataSet& dataSet);
  size_t Count() const;
  bool Contains(const TDVXDataSet& dataSet) const;
  // A copy of the list as it stands now.
  std::vector<TDVXDataSet*> Snapshot() const;

 private:
  TDVXDataSetList() = default;
  mutable std::mutex lock_;
  std::vector<TDVXDataSet*> dataSets_;
};

}  // namespace dvx
