#pragma once
// TDVXExpression: a parsed condition or value and the tree of nodes it
// owns. It serves SQL statements (select items, WHERE, HAVING, ON, values,
// defaults), relational operators (which bind it to their rows and push
// conditions down their tree), a cursor's text filter, and key lookups
// built from field names and values (locate, key ranges, master-detail
// links).
//
// Settings, fixed before parsing:
//   cursor            the cursor whose fields field nodes read (filters,
//                     locates, key lookups); binding and Prepare follow the
//                     parse when it is set
//   case-insensitive  comparisons and LIKE ignore case (filters only)
//   partial allowed   a string constant ending in "*" makes its comparison
//                     a prefix comparison (filters only)
//   null-as-unknown   comparisons with NULL are false ("<>": true); set for
//                     SQL and filters, clear for key lookups
//   environment       database, session, in-memory setting and parameters
//                     of the statement, for subqueries and LASTAUTOINC
//   services          subqueries, LASTAUTOINC tables, DISTINCT tables
//
// Building replaces the tree; an error while parsing or binding frees
// whatever was built and leaves the expression without a tree.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/schema/index_def.h"
#include "engine/sql/expr_node.h"
#include "engine/sql/expr_row_access.h"
#include "engine/sql/expr_services.h"
#include "engine/sql/lexer.h"
#include "engine/sql/scan_condition.h"

namespace dvx {

struct TDVXSelectListItem;

// A field reference as written: "qualifier.name" or "name".
struct TDVXFieldReference {
  std::string qualifier;
  std::string fieldName;
};

class TDVXExpression {
 public:
  TDVXExpression();
  ~TDVXExpression();
  TDVXExpression(const TDVXExpression&) = delete;
  TDVXExpression& operator=(const TDVXExpression&) = delete;

  // --- Settings ----------------------------------------------------------------------
  TDVXExprCursor* Cursor() const { return cursor_; }
  void SetCursor(TDVXExprCursor* cursor) { cursor_ = cursor; }
  bool CaseInsensitive() const { return caseInsensitive_; }
  void SetCaseInsensitive(bool v) { caseInsensitive_ = v; }
  bool PartialAllowed() const { return partialAllowed_; }
  void SetPartialAllowed(bool v) { partialAllowed_ = v; }
  bool NullAsUnknown() const { return nullAsUnknown_; }
  void SetNullAsUnknown(bool v) { nullAsUnknown_ = v; }
  const TDVXExprEnvironment& Environment() const { return env_; }
  void SetEnvironment(TDVXExprEnvironment env) { env_ = std::move(env); }
  // Null: the services installed for the process.
  void SetServices(TDVXExprServices* services) { services_ = services; }
  TDVXExprServices& Services() const;
  // Copies every setting above from another expression.
  void TakeSettingsFrom(const TDVXExpression& other);

  // --- Building --------------------------------------------------------------------------
  // A condition from the lexer's current token on; the lexer is left at the
  // first token after it. 30118 when the statement ends too early.
  void ParseCondition(TDVXLexer& lexer);
  // One value from the lexer's current token on; false (and no tree) when
  // the tokens there are no value. 30136 when there is no token.
  bool ParseValue(TDVXLexer& lexer);
  // A cursor's filter text (no parameters): 30119 for an empty text; the
  // whole text must be one condition.
  void ParseFilter(TDVXExprCursor* cursor, std::string_view text, bool partialAllowed, bool caseInsensitive);
  // field = value for each of the ";"-separated names, joined by AND
  // (null-as-unknown clear); `partial` makes string comparisons prefix
  // comparisons. 30112 when the counts differ.
  void BuildLocate(TDVXExprCursor* cursor, std::string_view fieldNames, const std::vector<TDVXVariant>& values,
                   bool caseInsensitive, bool partial);
  // field = key value for the first `columnCount` index columns (-1: all)
  // whose value in the key buffer is not NULL (or for all of them with
  // `exactNullMatch`), joined by AND; null-as-unknown clear. Each
  // comparison ignores case as its index column does.
  void BuildFromIndexKey(TDVXExprCursor* cursor, const TDVXIndexDef& index, const uint8_t* keyBuffer,
                         int columnCount, bool exactNullMatch);

  TDVXExprNode* Root() const { return root_.get(); }
  void SetRoot(std::unique_ptr<TDVXExprNode> root) { root_ = std::move(root); }
  std::unique_ptr<TDVXExprNode> ReleaseRoot() { return std::move(root_); }
  // Adds a term to the condition: the root becomes (or stays) an AND.
  void AndWith(std::unique_ptr<TDVXExprNode> term);

  // --- Evaluating ------------------------------------------------------------------------
  // The root's result; null without a root. A NULL result reads as LOGICAL
  // false unless `keepNull` is asked.
  const TDVXVariant* GetValue(bool keepNull = false);
  // The condition's truth for the current row (NULL is false); 30110
  // without a root.
  bool IsTrue();
  bool IsField() const;
  // Of a bare field reference; 30198 for anything else.
  const std::string& FieldName() const;
  const std::string& FieldQualifier() const;

  // --- The root's node operations -----------------------------------------------------------
  void Prepare();
  bool HasAggregate() const;
  bool IsCountAll() const;
  void ResetAggregates();
  void AccumulateAggregates();
  void BindToOperator(TDVXExprOperator& op);
  void BindToCursor(TDVXExprCursor* cursor);
  void SetRecordBuffer(const uint8_t* buffer);
  int GetDataType();
  int32_t GetDataSize();
  int32_t GetAuxiliarySize();
  bool CanEvaluateIn(TDVXExprOperator& op);
  void ApplySelectAliases(const std::vector<TDVXSelectListItem>& items);

  // --- Rewriting for the operators and the cursor ---------------------------------------------
  // Hands every top-level AND term to the deepest operator below `op` (or
  // `op` itself) that can evaluate it; those terms leave this condition,
  // which may end up without a root.
  void PushDownConditions(TDVXExprOperator& op);
  // Takes the "=" terms that join a field of `left` with one of `right` out
  // of the condition: the field written left of "=" goes to `leftFields`,
  // the other to `rightFields`.
  void ExtractJoinFields(TDVXExprOperator& left, TDVXExprOperator& right, std::vector<TDVXFieldReference>& leftFields,
                         std::vector<TDVXFieldReference>& rightFields);
  // The scan conditions an index of the cursor can serve (see
  // scan_condition.h); the condition itself is left whole.
  void ExtractIndexConditions(const TDVXIndexDefs& indexes, TDVXScanSearchConditionArray& conditions);
  // Whether a top-level "=" compares a string field with a constant that no
  // value of the field can equal, because it is longer than the field.
  bool IsNeverTrue() const;

 private:
  void Reset();
  void BindAndPrepare();
  // The top-level AND terms: the root's children when it is an AND, else
  // the root alone.
  std::vector<TDVXExprNode*> TopLevelTerms() const;
  std::unique_ptr<TDVXExprNode> TakeTerm(TDVXExprNode* term);
  void PushDownInto(TDVXExprOperator& op, TDVXExprOperator& top);

  TDVXExprCursor* cursor_ = nullptr;
  bool caseInsensitive_ = false;
  bool partialAllowed_ = false;
  bool nullAsUnknown_ = true;
  TDVXExprEnvironment env_;
  TDVXExprServices* services_ = nullptr;
  std::unique_ptr<TDVXExprNode> root_;
  TDVXVariant falseValue_;
};

}  // namespace dvx
