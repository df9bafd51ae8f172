#pragma once
// TDataSource: the connection between one dataset and the data links of
// the controls that show it. A control's link names a data source, never
// the dataset itself, so the program can switch a whole group of controls
// to another dataset or disable them in one place.
#include <functional>
#include <vector>

#include "engine/components/component.h"
#include "engine/components/dataset_types.h"

namespace dvx {

class TDataLink;
class TDataSet;
class TField;

class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* owner = nullptr);
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataSet_; }
  // Null detaches. A dataset that goes away detaches itself first.
  void SetDataSet(TDataSet* dataSet);
  // A disabled source tells its links nothing but that it is disabled
  // (they show nothing).
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // With AutoEdit a control's first change puts a browsing dataset into
  // edit state (TDataLink::Edit).
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
  // The dataset's state, dsInactive without a dataset or while disabled.
  TDataSetState State() const;

  const std::vector<TDataLink*>& DataLinks() const { return links_; }

  std::function<void(TDataSource&)> OnStateChange;
  std::function<void(TDataSource&, TField* field)> OnDataChange;
  std::function<void(TDataSource&)> OnUpdateData;

 private:
  friend class TDataLink;
  friend class TDataSet;
  void AddLink(TDataLink& link);
  void RemoveLink(TDataLink& link);
  // From the dataset: tells every link.
  void NotifyDataEvent(TDataEvent event, intptr_t info);

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  bool autoEdit_ = true;
  std::vector<TDataLink*> links_;
};

}  // namespace dvx
