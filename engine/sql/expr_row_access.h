#pragma once
// How expression field nodes reach a row. Two kinds of row sources exist:
//
//   TDVXExprCursor    a cursor: field definitions and a record buffer laid
//                     out by them (engine/schema/record_buffer.h); filters,
//                     locates and key lookups read through it
//   TDVXExprOperator  a relational operator: fields found by qualifier and
//                     name, values of its current row; SQL statements read
//                     through it, and conditions are pushed down its tree
//
// The cursor and the operators implement these; nothing here knows more
// of them.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/schema/field_def.h"
#include "engine/values/variant.h"

namespace dvx {

class TDVXExpression;

class TDVXExprCursor {
 public:
  virtual ~TDVXExprCursor() = default;
  virtual const TDVXFieldDefs& RowFieldDefs() const = 0;
  // The record buffer of the current row (RowFieldDefs().RecordSize()
  // bytes); null while there is none.
  virtual const uint8_t* RowBuffer() const = 0;
  // Names the cursor shows fields under besides their own (display names of
  // a projection): the field's number, -1 when the name is none of them.
  virtual int FindSecondaryFieldName(std::string_view name) const { return -1; }
  // A BLOB, MEMO or WIDEMEMO field holds a reference in the record; the
  // cursor reads its content into `value`. Without an override this is an
  // engine error.
  virtual void ReadBlobFieldValue(int fieldNo, const uint8_t* buffer, TDVXVariant& value) const;
};

class TDVXExprOperator {
 public:
  virtual ~TDVXExprOperator() = default;
  // The numbers of the fields that a reference (qualifier may be empty,
  // name) matches; a reference resolves when exactly one matches.
  virtual std::vector<int> FindExprFields(std::string_view qualifier, std::string_view name) = 0;
  // Declared field type (TDVXAdvancedFieldType) and size of a field.
  virtual int ExprFieldType(int fieldNo) = 0;
  virtual int32_t ExprFieldSize(int fieldNo) = 0;
  // The current row's value of a field.
  virtual void GetExprFieldValue(int fieldNo, TDVXVariant& value) = 0;
  // The inputs a condition may be pushed into: every input, except that a
  // join offers only the inputs whose rows are always present (the left one
  // of a left join, the right one of a right join, none of a full join).
  virtual std::vector<TDVXExprOperator*> ConditionInputs() = 0;
  // The operator's own filter (owned by it), or null.
  virtual TDVXExpression* Filter() = 0;
  virtual void SetFilter(std::unique_ptr<TDVXExpression> filter) = 0;
};

}  // namespace dvx
