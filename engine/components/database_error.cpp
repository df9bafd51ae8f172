#include "engine/components/database_error.h"

#include "engine/components/component.h"

namespace dvx {

namespace {

std::string FullText(const std::string& message, const TComponent* component) {
  if (component == nullptr || component->Name().empty()) return message;
  return component->Name() + ": " + message;
}

}  // namespace

EDatabaseError::EDatabaseError(const std::string& message, const TComponent* component)
    : std::runtime_error(FullText(message, component)),
      message_(message),
      componentName_(component ? component->Name() : std::string{}) {}

void DatabaseError(const std::string& message, const TComponent* component) {
  throw EDatabaseError(message, component);
}

}  // namespace dvx
