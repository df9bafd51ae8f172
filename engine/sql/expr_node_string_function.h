#pragma once
// TDVXExprNodeStringFunction: concatenation and the string functions.
//
//   a || b || ...      the first value as a string (converted when it is no
//                      string), then each further one added as a string;
//                      NULL || x = x, x || NULL = NULL (the value model's
//                      addition)
//   UPPER, LOWER       locale-aware, 8-bit or wide as the argument is
//   TRIM, LTRIM, RTRIM remove characters up to and including the space
//   LENGTH(s)          characters; 0 for NULL
//   POS(sub, s)        1-based place of the first sub in s; 0 when absent
//                      or either is NULL
//   SUBSTRING(s, start [, count])   from start (below 1 counts from 1),
//                      count characters or to the end
// A non-string argument is converted to STRING first; NULL stays NULL.
#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXExprNodeStringFunction : public TDVXExprNode {
 public:
  explicit TDVXExprNodeStringFunction(TDVXExprNodeKind kind) : TDVXExprNode(kind) {}

  const TDVXVariant& Evaluate() override;
  int GetDataType() override;
  int32_t GetDataSize() override;

 private:
  void Concatenate();
  void Transform();
  void Substring();
  int32_t Position();

  TDVXVariant scratch_;
};

}  // namespace dvx
