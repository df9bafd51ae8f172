#pragma once
// TDVXExprNode: one node of a parsed expression. A node owns its children,
// computes its result for the current row into its own value (reused on
// every evaluation) and hands it out by reference: parents read their
// children's results without copying, so a result stays valid until that
// node is evaluated again.
//
// The node kinds and the classes that evaluate them:
//
//   1..6   = <> > < >= <=                      Comparison
//   7..9   NOT AND OR                           Boolean
//   10,11  IN, NOT IN over a value list         Boolean
//   12,13  BETWEEN, NOT BETWEEN                 Boolean
//   14,15  LIKE, NOT LIKE                       Boolean
//   16     ISNULL(x [, y])                      IsNullFunction
//   17,18  IS NULL, IS NOT NULL                 Boolean
//   19     constant                             Const
//   20     field reference                      Field
//   21..24 + (n-ary sum), - (negation), * /     Arithmetic
//   25..33 || UPPER LOWER TRIM LTRIM RTRIM LENGTH POS SUBSTRING   StringFunction
//   34..39 SUM AVG MIN MAX COUNT COUNT(*)       Aggregated
//   40..56 SYSDATE ... MSECOND                  DateFunction
//   57     CAST                                 Cast
//   58     LASTAUTOINC                          System
//   59     TOBLOB                               BLOBFunction
//   60..62 scalar subquery, IN subquery, EXISTS SubQuery family
//
// Field types returned by GetDataType are declared field types
// (TDVXAdvancedFieldType).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/values/variant.h"

namespace dvx {

class TDVXExprCursor;
class TDVXExprOperator;
struct TDVXSelectListItem;

enum TDVXExprNodeKind : uint8_t {
  nkNone = 0,
  nkEqual = 1,
  nkNotEqual = 2,
  nkGreater = 3,
  nkLess = 4,
  nkGreaterOrEqual = 5,
  nkLessOrEqual = 6,
  nkNot = 7,
  nkAnd = 8,
  nkOr = 9,
  nkIn = 10,
  nkNotIn = 11,
  nkBetween = 12,
  nkNotBetween = 13,
  nkLike = 14,
  nkNotLike = 15,
  nkIsNullFunction = 16,
  nkIsNull = 17,
  nkIsNotNull = 18,
  nkConstant = 19,
  nkField = 20,
  nkAdd = 21,
  nkNegate = 22,
  nkMultiply = 23,
  nkDivide = 24,
  nkConcat = 25,
  nkUpper = 26,
  nkLower = 27,
  nkTrim = 28,
  nkLTrim = 29,
  nkRTrim = 30,
  nkLength = 31,
  nkPos = 32,
  nkSubstring = 33,
  nkSum = 34,
  nkAvg = 35,
  nkMin = 36,
  nkMax = 37,
  nkCount = 38,
  nkCountAll = 39,
  nkSysDate = 40,
  nkCurrentDate = 41,
  nkCurrentTime = 42,
  nkToDate = 43,
  nkToString = 44,
  nkYear = 45,
  nkQuarter = 46,
  nkMonth = 47,
  nkDay = 48,
  nkWeekDay = 49,
  nkDayOfWeek = 50,
  nkDayName = 51,
  nkMonthName = 52,
  nkHour = 53,
  nkMinute = 54,
  nkSecond = 55,
  nkMSecond = 56,
  nkCast = 57,
  nkLastAutoInc = 58,
  nkToBlob = 59,
  nkSubQuery = 60,
  nkSubQueryIn = 61,
  nkSubQueryExists = 62,
};

// The operator text of a kind for messages ("=", "AND", "COUNT(*)", ...);
// "unknown" for kinds that have none.
const char* ExprNodeKindText(int kind);

class TDVXExprNode {
 public:
  explicit TDVXExprNode(TDVXExprNodeKind kind, uint8_t resultType = bftUnknown);
  virtual ~TDVXExprNode();
  TDVXExprNode(const TDVXExprNode&) = delete;
  TDVXExprNode& operator=(const TDVXExprNode&) = delete;

  // --- Operations in slot order; the base versions recurse into the
  // children.
  // After binding: fit constants to the values they meet.
  virtual void Prepare();
  // The result for the current row.
  virtual const TDVXVariant& Evaluate() = 0;
  virtual bool HasAggregate() const;
  // Whether this node or one below is COUNT(*).
  virtual bool IsCountAll() const;
  virtual void ResetAggregates();
  virtual void AccumulateAggregates();
  virtual void BindToOperator(TDVXExprOperator& op);
  virtual void BindToCursor(TDVXExprCursor* cursor);
  // Field nodes read this record buffer of their cursor instead of its
  // current one (null: the current one again).
  virtual void SetRecordBuffer(const uint8_t* buffer);
  // The result's declared field type: here the common type of the
  // children; 30283 when there is none.
  virtual int GetDataType();
  // Characters of a string result; 0 when the node does not know.
  virtual int32_t GetDataSize();
  virtual int32_t GetAuxiliarySize();
  // Whether every field below resolves in the operator.
  virtual bool CanEvaluateIn(TDVXExprOperator& op);
  // Whether this is an "=" of a field of one input with a field of the
  // other (comparisons only).
  virtual bool IsJoinCondition(TDVXExprOperator& left, TDVXExprOperator& right);
  // Field references that name a select-list alias take that item's field.
  virtual void ApplySelectAliases(const std::vector<TDVXSelectListItem>& items);

  // --- Structure -------------------------------------------------------------------
  TDVXExprNodeKind Kind() const { return kind_; }
  int ChildCount() const { return static_cast<int>(children_.size()); }
  TDVXExprNode* Child(int index) const { return children_.at(static_cast<size_t>(index)).get(); }
  void AddChild(std::unique_ptr<TDVXExprNode> child);
  void InsertChild(int index, std::unique_ptr<TDVXExprNode> child);
  std::unique_ptr<TDVXExprNode> ReleaseChild(int index);
  // Levels of nodes below and including this one, as built (releasing a
  // child does not lower it).
  int Height() const { return height_; }

  bool CaseInsensitive() const { return caseInsensitive_; }
  void SetCaseInsensitive(bool v) { caseInsensitive_ = v; }
  bool Partial() const { return partial_; }
  void SetPartial(bool v) { partial_ = v; }
  // The last result, as Evaluate left it.
  const TDVXVariant& Result() const { return result_; }

 protected:
  void SetLogicalResult(bool value);
  void SetNullResult(uint8_t type) { result_.Clear(type); }
  // The common declared type of all children (PromoteFieldTypes); 0 when a
  // pair is incompatible.
  int CommonChildType();
  // The children's sizes added up, 255 for a child that reports none.
  int32_t SumOfChildSizes();
  [[noreturn]] void UnknownOperator(int32_t code) const;

  std::vector<std::unique_ptr<TDVXExprNode>> children_;
  TDVXExprNodeKind kind_;
  TDVXVariant result_;
  bool caseInsensitive_ = false;
  bool partial_ = false;
  int height_ = 1;
};

// The truth of a condition's value: NULL is unknown (false here, with
// `known` cleared); other values are read as LOGICAL.
bool TruthValue(const TDVXVariant& value, bool& known);

}  // namespace dvx
