#pragma once
// TDVXExprNodeDateFunction: the clock, TODATE and TOSTRING with a date
// format pattern, and the parts of a date-time value.
//
//   SYSDATE, NOW, CURRENT_TIMESTAMP   the current DATETIME
//   CURRENT_DATE, CURRENT_TIME        the current DATE, TIME
//   TODATE(text, 'pattern')   a DATETIME; TIME when it has no date part,
//                             DATE when it has no time part
//   TOSTRING(value, 'pattern')        the value as text
//   YEAR QUARTER MONTH DAY HOUR MINUTE SECOND MSECOND   WORD numbers
//   WEEKDAY (1 Sunday .. 7 Saturday), DAYOFWEEK (1 Monday .. 7 Sunday)
//   DAYNAME, MONTHNAME        English names
// A NULL argument gives NULL.
#include <memory>
#include <string>

#include "engine/sql/expr_node.h"
#include "engine/values/date_formater.h"

namespace dvx {

class TDVXExprNodeDateFunction : public TDVXExprNode {
 public:
  // The pattern is used by TODATE and TOSTRING only.
  explicit TDVXExprNodeDateFunction(TDVXExprNodeKind kind, const std::string& pattern = {});

  const TDVXVariant& Evaluate() override;
  int GetDataType() override;
  int32_t GetDataSize() override;

 private:
  void EvaluatePart();

  std::unique_ptr<TDateFormater> formater_;
};

// The keyword text of a date part kind ("YEAR" ...) for messages.
const char* DatePartName(int kind);

}  // namespace dvx
