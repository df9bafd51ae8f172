#include "engine/query/sql_select.h"

#include <random>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/ao_group_by.h"
#include "engine/query/ao_join.h"
#include "engine/query/ao_sql_top_row_count.h"
#include "engine/query/ao_table.h"
#include "engine/query/query_errors.h"
#include "engine/query/query_sessions.h"
#include "engine/sql/sql_errors.h"
#include "engine/tables/index.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

std::string RandomExprName() {
  static std::mt19937 random(std::random_device{}());
  return "Expr" + std::to_string(random() % 1000000000u);
}

std::string Written(const std::string& qualifier, const std::string& name) {
  return qualifier.empty() ? name : qualifier + "." + name;
}

// The name a result column of a field shows: the alias, else the name as
// written when it differs from the field's only in case, else the field's.
std::string DisplayName(const TDVXSelectListItem& item, const TDVXFieldLink& field) {
  if (!item.alias.empty()) return item.alias;
  if (!item.fieldName.empty() && item.fieldName != field.fieldName && SameName(item.fieldName, field.fieldName))
    return item.fieldName;
  return field.displayName.empty() ? field.fieldName : field.displayName;
}

}  // namespace

TDVXSQLSelect::TDVXSQLSelect(TDVXLexer& lexer, const TDVXSQLContext& context,
                             std::unique_ptr<TDVXSelectStatement> statement)
    : TDVXSQLCursorCommand(lexer, context), statement_(std::move(statement)) {
  hasInto_ = statement_->hasInto;
  intoInMemory_ = statement_->intoInMemory;
  intoDatabase_ = statement_->intoDatabase;
  intoTable_ = statement_->intoTable;
}

TDVXSQLSelect::~TDVXSQLSelect() = default;

std::unique_ptr<TDVXAO> TDVXSQLSelect::BuildReference(TDVXTableReference& reference) {
  TDVXSelectStatement& s = *statement_;
  if (reference.kind == TDVXTableReference::rkTable) {
    TDVXLocalSession& session = context_.sessions->SessionFor(reference.databaseName, reference.inMemory);
    return std::make_unique<TDVXAOTable>(session, reference.tableName, reference.alias, reference.inMemory);
  }
  std::unique_ptr<TDVXAO> left = BuildReference(*reference.left);
  std::unique_ptr<TDVXAO> right = BuildReference(*reference.right);
  std::vector<TDVXFieldReference> leftFields, rightFields;
  if (!reference.natural && reference.joinKind != jkCross) {
    if (!reference.usingFields.empty()) {
      // A side that is itself a join names the field by the table of its
      // last occurrence there (a.x JOIN b USING (x) JOIN c USING (x) joins
      // c.x with b.x).
      auto qualifierOf = [](const TDVXTableReference& side, TDVXAO& op, const std::string& name) {
        if (side.kind == TDVXTableReference::rkTable) return side.alias.empty() ? side.tableName : side.alias;
        std::vector<int> found = op.FindExprFields("", name);
        if (found.size() < 2) return std::string();
        const TDVXFieldLink& last = op.Field(found.back());
        return last.tableAlias.empty() ? last.tableName : last.tableAlias;
      };
      for (const TDVXFieldReference& f : reference.usingFields) {
        leftFields.push_back({qualifierOf(*reference.left, *left, f.fieldName), f.fieldName});
        rightFields.push_back({qualifierOf(*reference.right, *right, f.fieldName), f.fieldName});
      }
    } else {
      if (reference.onCondition) reference.onCondition->ExtractJoinFields(*left, *right, leftFields, rightFields);
      // WHERE terms join only an inner join's sides: above an outer join
      // they filter its rows.
      if (reference.joinKind == jkInner && s.where && s.where->Root())
        s.where->ExtractJoinFields(*left, *right, leftFields, rightFields);
    }
  }
  auto join = std::make_unique<TDVXAOJoin>(reference.joinKind, std::move(left), std::move(right));
  join->SetJoinFields(std::move(leftFields), std::move(rightFields), reference.natural);
  if (reference.onCondition && reference.onCondition->Root()) {
    if (reference.joinKind == jkInner || reference.joinKind == jkCross)
      reference.onCondition->PushDownConditions(*join);
    // An outer join's ON terms decide which rows match, nothing more.
    if (reference.onCondition->Root()) {
      if (reference.joinKind == jkInner || reference.joinKind == jkCross) {
        reference.onCondition->BindToOperator(*join);
        throw EDVXException(kErrConditionNotApplicable, "Search condition is not applicable");
      }
      join->SetMatchCondition(std::move(reference.onCondition));
    }
  }
  return join;
}

std::unique_ptr<TDVXAO> TDVXSQLSelect::BuildOperatorTree(bool allowLive, std::unique_ptr<TDVXLocalCursor>& live) {
  TDVXSelectStatement& s = *statement_;
  std::unique_ptr<TDVXAO> tree = BuildReference(*s.tables[0]);
  for (size_t i = 1; i < s.tables.size(); ++i) {
    std::unique_ptr<TDVXAO> next = BuildReference(*s.tables[i]);
    std::vector<TDVXFieldReference> leftFields, rightFields;
    if (s.where && s.where->Root()) s.where->ExtractJoinFields(*tree, *next, leftFields, rightFields);
    const int kind = leftFields.empty() ? jkCross : jkInner;
    auto join = std::make_unique<TDVXAOJoin>(kind, std::move(tree), std::move(next));
    join->SetJoinFields(std::move(leftFields), std::move(rightFields), false);
    tree = std::move(join);
  }
  if (s.where && s.where->Root()) {
    s.where->PushDownConditions(*tree);
    if (s.where->Root()) {
      // Binding names the field that resolves nowhere (or ambiguously).
      s.where->BindToOperator(*tree);
      throw EDVXException(kErrConditionNotApplicable, "Search condition is not applicable");
    }
  }
  bool grouped = !s.groupBy.empty();
  if (grouped && s.selectAll) {
    // "*" with grouping: every field, each of which must be grouped.
    s.selectAll = false;
    for (int i = 0; i < tree->FieldCount(); ++i) {
      TDVXSelectListItem item;
      const TDVXFieldLink& f = tree->Field(i);
      item.qualifier = f.tableAlias.empty() ? f.tableName : f.tableAlias;
      item.fieldName = f.fieldName;
      s.items.push_back(std::move(item));
    }
  }
  if (!s.selectAll)
    for (const TDVXSelectListItem& item : s.items)
      if (item.isExpression && item.expression->HasAggregate()) grouped = true;
  TDVXAOGroupBy* group = nullptr;
  if (grouped) {
    auto g = std::make_unique<TDVXAOGroupBy>(std::move(tree), s.groupBy, s.items);
    if (s.having) g->SetHaving(std::move(s.having));
    group = g.get();
    tree = std::move(g);
  } else if (s.having && s.having->Root()) {
    s.having->PushDownConditions(*tree);
    if (s.having->Root()) {
      s.having->BindToOperator(*tree);
      throw EDVXException(kErrConditionNotApplicable, "Search condition is not applicable");
    }
  }
  const bool hasTop = s.topCount >= 0 || s.topStart > 1;
  if (hasTop && dynamic_cast<TDVXAOTable*>(tree.get())) tree = std::make_unique<TDVXAOSQLTopRowCount>(std::move(tree));

  // A live result: the table itself (ORDER BY INDEX makes that index its
  // order).
  bool plain = !s.distinct && !grouped && !hasTop;
  if (!s.selectAll)
    for (const TDVXSelectListItem& item : s.items) plain = plain && !item.isExpression;
  auto* table = dynamic_cast<TDVXAOTable*>(tree.get());
  // ORDER BY keeps a result live when an index of the table gives that
  // order.
  std::string sortIndex;
  if (allowLive && plain && table && !s.sort.empty()) {
    std::vector<std::string> names, directions, cases;
    for (const TDVXSortSpecification& ordering : s.sort) {
      std::string name = ordering.fieldName;
      std::string qualifier = ordering.qualifier;
      if (ordering.columnNumber >= 0) {
        const int n = ordering.columnNumber;
        if (s.selectAll && n >= 1 && n <= table->FieldCount()) {
          name = table->Field(n - 1).fieldName;
        } else if (!s.selectAll && n >= 1 && n <= static_cast<int>(s.items.size()) &&
                   !s.items[static_cast<size_t>(n - 1)].allColumns) {
          name = s.items[static_cast<size_t>(n - 1)].fieldName;
          qualifier = s.items[static_cast<size_t>(n - 1)].qualifier;
        } else {
          names.clear();
          break;
        }
      } else if (!s.selectAll) {
        // A select alias names its field.
        for (const TDVXSelectListItem& item : s.items)
          if (!item.alias.empty() && ordering.qualifier.empty() && SameName(item.alias, ordering.fieldName)) {
            name = item.fieldName;
            qualifier = item.qualifier;
          }
      }
      std::vector<int> found = table->FindExprFields(qualifier, name);
      if (found.size() != 1) {
        names.clear();
        break;
      }
      names.push_back(table->Field(found[0]).fieldName);
      directions.push_back(ordering.descending ? "DESC" : "ASC");
      cases.push_back(ordering.caseInsensitive ? "NO_CASE" : "CASE");
    }
    if (!names.empty()) sortIndex = table->Cursor().FindIndexByFields(names, directions, cases);
  }
  if (!s.sort.empty() && sortIndex.empty()) plain = false;
  if (allowLive && plain && table) {
    if (!sortIndex.empty()) table->Cursor().SetCurrentIndex(sortIndex);
    std::vector<std::string> names, aliases;
    if (!s.selectAll) {
      for (const TDVXSelectListItem& item : s.items) {
        std::vector<int> found = table->FindExprFields(item.qualifier, item.allColumns ? "*" : item.fieldName);
        if (found.empty() || (!item.allColumns && found.size() != 1))
          throw EDVXException(kErrProjectionField, "Cannot find field %s", {Written(item.qualifier, item.fieldName)});
        for (int no : found) {
          names.push_back(table->Field(no).fieldName);
          aliases.push_back(item.allColumns ? table->Field(no).fieldName : DisplayName(item, table->Field(no)));
        }
      }
    }
    if (!s.orderByIndex.empty()) {
      if (!table->Cursor().Table().IndexByName(s.orderByIndex))
        throw EDVXException(kErrOrderIndexMissing, "Index '%s' not found", {s.orderByIndex});
      table->Cursor().SetCurrentIndex(s.orderByIndex);
    }
    live = table->TakeLiveCursor();
    if (!s.selectAll) live->SetProjection(names, aliases);
    return nullptr;
  }

  tree->Open();

  TDVXResultShape shape;
  shape.distinct = s.distinct;
  shape.topCount = s.topCount;
  shape.topStart = s.topStart < 1 ? 1 : s.topStart;
  auto addField = [&](int no, const std::string& display) {
    TDVXResultColumn column;
    column.fieldNo = no;
    column.link = tree->Field(no);
    column.link.displayName = display;
    shape.columns.push_back(std::move(column));
  };
  if (group) {
    for (int i = 0; i < tree->FieldCount(); ++i) {
      const TDVXFieldLink& f = tree->Field(i);
      addField(i, f.displayName.empty() ? f.fieldName : f.displayName);
    }
  } else if (s.selectAll) {
    for (int i = 0; i < tree->FieldCount(); ++i) addField(i, tree->Field(i).fieldName);
  } else {
    for (TDVXSelectListItem& item : s.items) {
      if (item.isExpression) {
        item.expression->BindToOperator(*tree);
        item.expression->Prepare();
        TDVXResultColumn column;
        column.expression = item.expression.get();
        column.link.fieldName = item.alias.empty() ? RandomExprName() : item.alias;
        column.link.fieldType = item.expression->GetDataType();
        column.link.size = item.expression->GetDataSize();
        shape.columns.push_back(std::move(column));
        continue;
      }
      std::vector<int> found = tree->FindExprFields(item.qualifier, item.allColumns ? "*" : item.fieldName);
      if (found.empty() || (!item.allColumns && found.size() != 1)) {
        if (found.size() > 1)
          throw EDVXException(kErrFirstFieldAmbiguous, kMsgAmbiguousField, {Written(item.qualifier, item.fieldName)});
        throw EDVXException(kErrProjectionField, "Cannot find field %s", {Written(item.qualifier, item.fieldName)});
      }
      for (int no : found) addField(no, item.allColumns ? tree->Field(no).fieldName : DisplayName(item, tree->Field(no)));
    }
  }
  // ORDER BY: a result column (by number, or by name), else another field
  // of the top operator.
  const int columnCount = static_cast<int>(shape.columns.size());
  for (const TDVXSortSpecification& ordering : s.sort) {
    int key = -1;
    if (ordering.columnNumber >= 0) {
      if (ordering.columnNumber < 1 || ordering.columnNumber > columnCount)
        throw EDVXException(kErrOrderColumnNumber, "Invalid column number in ORDER BY clause = %d", {ordering.columnNumber});
      key = ordering.columnNumber - 1;
    } else {
      for (int c = 0; c < columnCount && key < 0; ++c) {
        const TDVXFieldLink& link = shape.columns[static_cast<size_t>(c)].link;
        if (!ordering.qualifier.empty() && !SameName(ordering.qualifier, link.tableName) &&
            !SameName(ordering.qualifier, link.tableAlias))
          continue;
        if (SameName(ordering.fieldName, link.displayName) || SameName(ordering.fieldName, link.fieldName)) key = c;
      }
      if (key < 0 && !group) {
        std::vector<int> found = tree->FindExprFields(ordering.qualifier, ordering.fieldName);
        if (found.size() == 1) {
          key = columnCount + static_cast<int>(shape.extraFields.size());
          shape.extraFields.push_back(found[0]);
        }
      }
      if (key < 0)
        throw EDVXException(kErrOrderColumnNotFound, "Column '%s' from ORDER BY clause not found",
                            {Written(ordering.qualifier, ordering.fieldName)});
    }
    shape.sort.push_back({key, ordering.descending, ordering.caseInsensitive});
  }
  // ORDER BY INDEX: the columns of that index of the table read.
  if (!s.orderByIndex.empty()) {
    TDVXAOTable* base = dynamic_cast<TDVXAOTable*>(tree.get());
    if (!base)
      if (auto* top = dynamic_cast<TDVXAOSQLTopRowCount*>(tree.get())) base = top->InputTable();
    const TDVXIndex* index = base ? base->Cursor().Table().IndexByName(s.orderByIndex) : nullptr;
    if (!index) throw EDVXException(kErrOrderIndexMissing, "Index '%s' not found", {s.orderByIndex});
    for (const TDVXIndexColumn& column : index->IndexDef().Columns()) {
      std::vector<int> found = tree->FindExprFields("", column.fieldName);
      if (found.size() != 1)
        throw EDVXException(kErrOrderColumnNotFound, "Column '%s' from ORDER BY clause not found", {column.fieldName});
      int key = -1;
      for (int c = 0; c < columnCount && key < 0; ++c)
        if (shape.columns[static_cast<size_t>(c)].fieldNo == found[0]) key = c;
      if (key < 0) {
        key = columnCount + static_cast<int>(shape.extraFields.size());
        shape.extraFields.push_back(found[0]);
      }
      shape.sort.push_back({key, column.descending, column.caseInsensitive});
    }
  }
  tree->MaterializeResult(shape);
  return tree;
}

}  // namespace dvx
