#include "engine/components/component.h"

#include <algorithm>

namespace dvx {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->owned_.push_back(this);
}

TComponent::~TComponent() {
  // Each owned component's destructor takes itself out of owned_.
  while (!owned_.empty()) delete owned_.back();
  if (owner_) {
    auto& siblings = owner_->owned_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void TComponent::BeginLoading() {
  loading_ = true;
  for (TComponent* c : owned_) c->BeginLoading();
}

void TComponent::EndLoading() {
  if (!loading_) return;
  // Every flag is cleared before the first Loaded(): a component's Loaded()
  // may act on a later sibling (a dataset connecting its database), which
  // must no longer be loading by then.
  ClearLoading();
  NotifyLoaded();
}

void TComponent::ClearLoading() {
  loading_ = false;
  for (TComponent* c : owned_) c->ClearLoading();
}

void TComponent::NotifyLoaded() {
  Loaded();
  const std::vector<TComponent*> snapshot = owned_;
  for (TComponent* c : snapshot) c->NotifyLoaded();
}

}  // namespace dvx
