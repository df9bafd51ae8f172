#pragma once
// TDVXSQLUpdate and TDVXSQLDelete: the statements that change the records
// a condition selects in one table.
//
//   UPDATE [MEMORY] table [PASSWORD 'text'] SET column "=" value
//          {"," column "=" value} [WHERE condition]
//   DELETE FROM reference [WHERE condition]
//
// Each is rewritten into the query "select * from ..." over the same
// tokens and parsed as one; a query that reads anything but one table
// directly (a join, DISTINCT, grouping, TOP) gives no records to change
// and is refused as read-only. The records the condition selects are
// collected first (through the indexes that serve its comparisons), so
// each is changed exactly once, whatever the change does to the
// condition. UPDATE evaluates every SET value on the record as it was
// before the statement changed it, then stores them all.
//
// Each statement is all or nothing (dml_support.h); its rows affected are
// the records changed.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/query/sql_command.h"

namespace dvx {

class TDVXExpression;
struct TDVXQueryExprNode;

// What UPDATE and DELETE share: the query over the target table.
class TDVXSQLTableChange : public TDVXSQLCommand {
 public:
  TDVXSQLTableChange(TDVXLexer& lexer, const TDVXSQLContext& context);
  ~TDVXSQLTableChange() override;

 protected:
  // Parses the rewritten query from the first token on; `readOnlyCode` is
  // raised for a query that reads no single table directly.
  void ParseQuery(int32_t readOnlyCode);
  // Changes each selected record; returns the count. `change` is called on
  // the cursor standing on the record and performs its operation.
  void ChangeRecords(int32_t lockCode, int32_t unlockCode,
                     const std::function<void(TDVXLocalCursor& cursor)>& prepare,
                     const std::function<void(TDVXLocalCursor& cursor)>& change);

  std::unique_ptr<TDVXQueryExprNode> query_;
};

class TDVXSQLUpdate : public TDVXSQLTableChange {
 public:
  TDVXSQLUpdate(TDVXLexer& lexer, const TDVXSQLContext& context);
  ~TDVXSQLUpdate() override;

  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;

 private:
  bool inMemory_ = false;
  std::string tableName_;
  std::string password_;
  std::vector<std::string> columns_;
  std::vector<std::unique_ptr<TDVXExpression>> values_;
};

class TDVXSQLDelete : public TDVXSQLTableChange {
 public:
  using TDVXSQLTableChange::TDVXSQLTableChange;

  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;
};

}  // namespace dvx
