#pragma once
// The window's data components (databases, tables, queries) and their
// activation at window creation.
//
// Components activate strictly in their declaration order; a table or query
// that comes before its database connects that database itself, so the
// database's own later activation finds it connected. The first activation
// that throws ends the sequence, and its error ends start-up.
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fendra {

class TDataComponents {
 public:
  static constexpr size_t kComponentCount = 20;
  static const std::array<std::string_view, kComponentCount>& DeclarationOrder();

  // Registers how a declared component activates. Unknown names and second
  // registrations throw std::invalid_argument.
  void Register(std::string_view name, std::function<void()> activate);
  bool IsRegistered(std::string_view name) const;

  // Runs the registered activations in declaration order, skipping
  // components nobody registered. Exceptions pass through unchanged.
  void ActivateAll();

  // Names of the components activated so far, in order.
  const std::vector<std::string>& Activated() const { return activated_; }

 private:
  std::array<std::function<void()>, kComponentCount> activations_;
  std::vector<std::string> activated_;
};

}  // namespace fendra
