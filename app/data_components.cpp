#include "app/data_components.h"

#include <algorithm>
#include <stdexcept>

namespace fendra {

namespace {

constexpr std::array<std::string_view, TDataComponents::kComponentCount> kOrder{
    "tbGrdlg",    "dbGrdlg",  "Query1",     "Query2",     "Query3",
    "Query4",     "tblTree",  "dbTree",     "TblIndList", "dbIndList",
    "TblAML",     "dbAML",    "TblNotfall", "dabNotfall", "tblKinderS",
    "dbKindNo",   "dbKinderKM", "tbKIndKM", "dbVerweis",  "tblVerw",
};

size_t IndexOf(std::string_view name) {
  const auto it = std::find(kOrder.begin(), kOrder.end(), name);
  if (it == kOrder.end())
    throw std::invalid_argument("not a data component of the main window: " + std::string(name));
  return static_cast<size_t>(it - kOrder.begin());
}

}  // namespace

const std::array<std::string_view, TDataComponents::kComponentCount>&
TDataComponents::DeclarationOrder() {
  return kOrder;
}

void TDataComponents::Register(std::string_view name, std::function<void()> activate) {
  const size_t index = IndexOf(name);
  if (!activate) throw std::invalid_argument("empty activation for " + std::string(name));
  if (activations_[index])
    throw std::invalid_argument("data component registered twice: " + std::string(name));
  activations_[index] = std::move(activate);
}

bool TDataComponents::IsRegistered(std::string_view name) const {
  return static_cast<bool>(activations_[IndexOf(name)]);
}

void TDataComponents::ActivateAll() {
  for (size_t i = 0; i < kComponentCount; ++i) {
    if (!activations_[i]) continue;
    activations_[i]();
    activated_.emplace_back(kOrder[i]);
  }
}

}  // namespace fendra
