#pragma once
// TComponent: a named object with an owner, the unit the data-access layer
// is built from (sessions, databases, datasets, data sources). An owner
// frees the components it owns when it goes, the last created first; a
// component that goes first leaves its owner's list. Names are compared
// without regard to case by those who look components up by name.
//
// Loading: while a design is applied, components only remember the values
// that would act (a database's Connected, a dataset's Active); EndLoading
// clears the flag on the component and everything it owns and then calls
// Loaded() on each, in creation order, which acts on what was remembered.
#include <string>
#include <vector>

namespace dvx {

class TComponent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  virtual void SetName(const std::string& name) { name_ = name; }
  TComponent* Owner() const { return owner_; }
  // The components this one owns, in creation order.
  const std::vector<TComponent*>& Components() const { return owned_; }

  bool Loading() const { return loading_; }
  void BeginLoading();
  void EndLoading();

 protected:
  virtual void Loaded() {}

 private:
  void ClearLoading();
  void NotifyLoaded();

  std::string name_;
  TComponent* owner_;
  std::vector<TComponent*> owned_;
  bool loading_ = false;
};

}  // namespace dvx
