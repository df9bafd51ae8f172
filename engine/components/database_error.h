#pragma once
// EDatabaseError: the dataset framework's error for state errors of a
// dataset or database component ("Dataset is not opened", "Cannot open
// database '%s'"). It carries the message and the name of the failing
// component; what() puts the name in front ("tblTree: Dataset is not
// opened") when the component has one, so a message box tells which
// component failed. Engine failures stay EDVXException.
#include <stdexcept>
#include <string>

namespace dvx {

class TComponent;

class EDatabaseError : public std::runtime_error {
 public:
  EDatabaseError(const std::string& message, const TComponent* component = nullptr);

  // The message without the component's name.
  const std::string& Message() const { return message_; }
  const std::string& ComponentName() const { return componentName_; }

 private:
  std::string message_;
  std::string componentName_;
};

// Raises EDatabaseError with the message, for `component`.
[[noreturn]] void DatabaseError(const std::string& message, const TComponent* component = nullptr);

}  // namespace dvx
