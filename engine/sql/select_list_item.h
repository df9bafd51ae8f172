#pragma once
// TDVXSelectListItem: one item of a select list, "t.*", "t.name AS alias" or
// "expression AS alias". Expressions use it to resolve ORDER BY and
// condition references to select aliases.
#include <memory>
#include <string>

#include "engine/sql/expression.h"

namespace dvx {

struct TDVXSelectListItem {
  std::string qualifier;
  // The item was "qualifier.*" (or "*").
  bool allColumns = false;
  std::string fieldName;
  // The item is not a bare field reference.
  bool isExpression = false;
  // Kept only for expression items.
  std::unique_ptr<TDVXExpression> expression;
  std::string alias;
};

}  // namespace dvx
