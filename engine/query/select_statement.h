#pragma once
// The parsed form of a query: a tree of query nodes (set operations) whose
// leaves are SELECT statements, each with its select list, table references
// (a reference is a table or a join of two references), conditions,
// grouping and sort specifications. The parser (select_parser.h) builds
// it; the SELECT command turns it into a tree of operators.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/sql/expression.h"
#include "engine/sql/select_list_item.h"

namespace dvx {

enum TDVXJoinKind : int { jkCross = 0, jkInner = 1, jkLeft = 2, jkRight = 3, jkFull = 4 };

struct TDVXTableReference {
  enum TKind : int { rkTable = 0, rkJoin = 1 };
  int kind = rkTable;
  std::string sessionName;
  std::string databaseName;
  std::string tableName;
  std::string alias;
  std::string password;
  bool inMemory = false;
  bool natural = false;
  int joinKind = jkCross;
  std::unique_ptr<TDVXTableReference> left;
  std::unique_ptr<TDVXTableReference> right;
  std::vector<TDVXFieldReference> usingFields;
  std::unique_ptr<TDVXExpression> onCondition;
};

struct TDVXSortSpecification {
  std::string qualifier;
  std::string fieldName;
  // From 1; -1 when the sort item names a field.
  int columnNumber = -1;
  bool descending = false;
  bool caseInsensitive = false;
};

struct TDVXSelectStatement {
  bool distinct = false;
  // -1 when absent; a start of -1 means 1.
  int64_t topCount = -1;
  int64_t topStart = -1;
  std::vector<TDVXSelectListItem> items;
  bool selectAll = false;
  bool hasInto = false;
  bool intoInMemory = false;
  std::string intoDatabase;
  std::string intoTable;
  std::vector<std::unique_ptr<TDVXTableReference>> tables;
  std::unique_ptr<TDVXExpression> where;
  std::vector<TDVXFieldReference> groupBy;
  std::unique_ptr<TDVXExpression> having;
  std::vector<TDVXSortSpecification> sort;
  std::string orderByIndex;
};

enum TDVXQueryOperation : int { qoSelect = 0, qoUnion = 1, qoExcept = 2, qoIntersect = 3 };

struct TDVXQueryExprNode {
  int operation = qoSelect;
  std::unique_ptr<TDVXQueryExprNode> left;
  std::unique_ptr<TDVXQueryExprNode> right;
  bool all = false;
  bool corresponding = false;
  std::vector<TDVXFieldReference> correspondingBy;
  std::unique_ptr<TDVXSelectStatement> select;
};

}  // namespace dvx
