#pragma once
// TDVXSQLInsert: INSERT INTO [MEMORY] table [PASSWORD 'text']
// ["(" column {"," column} ")"] (VALUES "(" value {"," value} ")" | query).
//
// VALUES inserts one record: with a column list, value i goes into the
// field named by column i (the list must have as many names as there are
// values); without one, into field i of the table in field order. A query
// inserts one record per result row: with a column list, result column i
// goes into the field named by column i (as many columns as the query
// gives); without one, each result column goes into the table field of
// its name, and result columns named like no field are passed over.
// Fields left out get their defaults and autoincrement values.
//
// The statement is all or nothing (dml_support.h); its rows affected are
// the records inserted. The PASSWORD text is kept and takes no part.
#include <memory>
#include <string>
#include <vector>

#include "engine/query/sql_command.h"

namespace dvx {

class TDVXExpression;
class TDVXSQLUnion;

class TDVXSQLInsert : public TDVXSQLCommand {
 public:
  TDVXSQLInsert(TDVXLexer& lexer, const TDVXSQLContext& context);
  ~TDVXSQLInsert() override;

  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;

 private:
  void InsertValues(TDVXLocalCursor& cursor);
  void InsertRows(TDVXLocalCursor& cursor);
  // Inserts the cursor's record, with the record events around it.
  void Post(TDVXLocalCursor& cursor);

  bool inMemory_ = false;
  std::string tableName_;
  std::string password_;
  std::vector<std::string> columns_;
  std::vector<std::unique_ptr<TDVXExpression>> values_;
  std::unique_ptr<TDVXSQLUnion> select_;
};

}  // namespace dvx
