#pragma once
// TDVXExprNodeBLOBFunction: TOBLOB('text' [, HEX | MIME64]), a BLOB constant
// written as base 64 (the default) or hexadecimal text. The text is decoded
// when the node is built; 11344 when it is not valid in its form.
#include <string>

#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXExprNodeBLOBFunction : public TDVXExprNode {
 public:
  enum TFormat { fmtMime64 = 0, fmtHex = 1 };

  TDVXExprNodeBLOBFunction(const std::string& text, TFormat format);

  const TDVXVariant& Evaluate() override;
  int GetDataType() override;
};

}  // namespace dvx
