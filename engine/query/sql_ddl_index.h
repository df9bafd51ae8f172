#pragma once
// The definition statements of indexes:
//
//   CREATE [UNIQUE] INDEX [IF NOT EXISTS] name ON [MEMORY] table
//          "(" column {ASC | DESC | CASE | NOCASE} {"," ...} ")"
//   DROP INDEX [IF EXISTS] [MEMORY] table "." index [PASSWORD 'text']
//
// MEMORY names the in-memory database, as CREATE TABLE does. Both are
// refused inside a transaction. PASSWORD texts are kept and take no part.
#include <string>
#include <vector>

#include "engine/query/sql_command.h"
#include "engine/query/sql_field_def.h"

namespace dvx {

class TDVXLocalSession;

class TDVXDDLIndexCommand : public TDVXSQLCommand {
 public:
  using TDVXSQLCommand::TDVXSQLCommand;

 protected:
  void Next(int32_t code);
  [[noreturn]] void Fail(int32_t code, const char* message) const;
  TDVXLocalSession& DefinitionSession();

  TToken t_;
  bool inMemory_ = false;
  std::string tableName_;
  std::string indexName_;
  std::string password_;
};

class TDVXDDLCreateIndex : public TDVXDDLIndexCommand {
 public:
  using TDVXDDLIndexCommand::TDVXDDLIndexCommand;
  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;

 private:
  bool unique_ = false;
  bool ifNotExists_ = false;
  std::vector<TDVXIndexField> columns_;
};

class TDVXDDLDropIndex : public TDVXDDLIndexCommand {
 public:
  using TDVXDDLIndexCommand::TDVXDDLIndexCommand;
  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;

 private:
  bool ifExists_ = false;
};

}  // namespace dvx
