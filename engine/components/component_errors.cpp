#include "engine/components/component_errors.h"

#include "engine/components/database_error.h"

namespace dvx {

std::string FormatComponentMessage(const char* format, TDVXFormatArgs args) {
  if (auto text = FormatMessage(format, args)) return *text;
  return std::string(format) + " Arguments are invalid!";
}

void CannotOpenDatabaseError(const std::string& databaseName, const std::string& reason, const TComponent* dataset) {
  std::string message = FormatComponentMessage(kMsgCannotOpenDatabase, {databaseName});
  if (!reason.empty()) message += " - " + reason;
  DatabaseError(message, dataset);
}

}  // namespace dvx
