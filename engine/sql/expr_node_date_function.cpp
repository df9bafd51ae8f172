#include "engine/sql/expr_node_date_function.h"

#include <cmath>

#include "engine/core/exception.h"
#include "engine/core/platform/clock.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/day_number.h"
#include "engine/values/field_types.h"
#include "engine/values/value_errors.h"

namespace dvx {

namespace {

constexpr const char* kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};

}  // namespace

const char* DatePartName(int kind) {
  static constexpr const char* kNames[] = {"YEAR",      "QUARTER",   "MONTH",   "DAY",  "WEEKDAY", "DAYOFWEEK",
                                           "DAYNAME",   "MONTHNAME", "HOUR",    "MINUTE", "SECOND", "MSECOND"};
  return kind >= nkYear && kind <= nkMSecond ? kNames[kind - nkYear] : "unknown";
}

TDVXExprNodeDateFunction::TDVXExprNodeDateFunction(TDVXExprNodeKind kind, const std::string& pattern)
    : TDVXExprNode(kind) {
  if (kind == nkToDate || kind == nkToString) formater_ = std::make_unique<TDateFormater>(pattern);
}

const TDVXVariant& TDVXExprNodeDateFunction::Evaluate() {
  switch (kind_) {
    case nkSysDate:
      result_.Clear(bftDateTime);
      result_.SetAsDateTimeValue(TDVXClock::System().Now());
      break;
    case nkCurrentDate:
      result_.Clear(bftDate);
      result_.SetAsDateValue(TDVXClock::System().Now());
      break;
    case nkCurrentTime:
      result_.Clear(bftTime);
      result_.SetAsTimeValue(TDVXClock::System().Now());
      break;
    case nkToDate: {
      const TDVXVariant& text = Child(0)->Evaluate();
      if (text.IsNull()) {
        result_.Clear(bftDateTime);
        break;
      }
      double value = formater_->Parse(text.GetAsString());
      double day = std::trunc(value);
      if (value != 0 && day == 0) {
        result_.Clear(bftTime);
        result_.SetAsTimeValue(value);
      } else if (value == day) {
        result_.Clear(bftDate);
        result_.SetAsDateValue(value);
      } else {
        result_.Clear(bftDateTime);
        result_.SetAsDateTimeValue(value);
      }
      break;
    }
    case nkToString: {
      const TDVXVariant& value = Child(0)->Evaluate();
      result_.Clear(bftString);
      if (!value.IsNull()) result_.SetAsString(formater_->Format(value.GetAsDateTimeValue()));
      break;
    }
    default:
      if (kind_ < nkYear || kind_ > nkMSecond) UnknownOperator(kErrDateFunctionOperator);
      EvaluatePart();
  }
  return result_;
}

void TDVXExprNodeDateFunction::EvaluatePart() {
  if (ChildCount() == 0)
    throw EDVXException(kErrPartNoArgument, "Argument expected in SQL function %s", {DatePartName(kind_)});
  bool named = kind_ == nkDayName || kind_ == nkMonthName;
  const TDVXVariant& value = Child(0)->Evaluate();
  if (value.IsNull()) {
    result_.Clear(named ? bftString : bftUnsignedInt16);
    return;
  }
  TDVXDateTimePair pair = value.GetAsDateTime();
  // A value without a date part lies on day 0 of the date-time scale, one
  // without a time part at midnight.
  int64_t day = pair.day == kMissingDayNumber ? kDayNumberOf18991230 : pair.day;
  int32_t ms = pair.milliseconds < 0 ? 0 : pair.milliseconds;
  TDVXCivilDate date = DayNumberToCivil(day);
  // Day 1 (1 January 0001) was a Monday.
  int monday0 = static_cast<int>(((day - 1) % 7 + 7) % 7);
  int dayOfWeek = monday0 + 1;
  int weekDay = (monday0 + 1) % 7 + 1;
  if (named) {
    result_.Clear(bftString);
    result_.SetAsString(kind_ == nkDayName ? kDayNames[weekDay - 1] : kMonthNames[date.month - 1]);
    return;
  }
  int64_t part = 0;
  switch (kind_) {
    case nkYear: part = date.year; break;
    case nkQuarter: part = (date.month - 1) / 3 + 1; break;
    case nkMonth: part = date.month; break;
    case nkDay: part = date.day; break;
    case nkWeekDay: part = weekDay; break;
    case nkDayOfWeek: part = dayOfWeek; break;
    case nkHour: part = ms / 3600000; break;
    case nkMinute: part = ms / 60000 % 60; break;
    case nkSecond: part = ms / 1000 % 60; break;
    default: part = ms % 1000; break;
  }
  if (part < 0 || part > UINT16_MAX) RaiseRangeError();
  result_.Clear(bftUnsignedInt16);
  result_.SetAsUnsignedInt16(static_cast<uint16_t>(part));
}

int TDVXExprNodeDateFunction::GetDataType() {
  switch (kind_) {
    case nkSysDate:
    case nkCurrentDate:
    case nkCurrentTime:
    case nkToDate: return aftDateTime;
    case nkToString:
    case nkDayName:
    case nkMonthName: return aftVarchar;
    default:
      if (kind_ < nkYear || kind_ > nkMSecond)
        throw EDVXException(kErrDateFunctionType, kMsgUnknownOperator, {ExprNodeKindText(kind_)});
      return aftWord;
  }
}

int32_t TDVXExprNodeDateFunction::GetDataSize() {
  if (kind_ == nkDayName || kind_ == nkMonthName) return 9;
  if (kind_ == nkToString) return formater_->OutputLength();
  return 0;
}

}  // namespace dvx
