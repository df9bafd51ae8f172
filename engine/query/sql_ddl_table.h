#pragma once
// The definition statements of tables:
//
//   CREATE TABLE [MEMORY] table "(" element {"," element} ")"
//   DROP TABLE [MEMORY] table [CASCADE | RESTRICT]
//   ALTER TABLE [MEMORY] table action
//   RENAME [TABLE] [MEMORY] table TO name
//
// An element is a column definition (name, type, size, autoincrement
// options, NOT NULL, NULL, DEFAULT, MINVALUE/MAXVALUE (the column's range
// check), BLOB options, PRIMARY KEY, UNIQUE), a table-level PRIMARY KEY or
// a FOREIGN KEY. The primary index is named "C_PK" and "$" plus each
// column, followed by a random number (or the key's own name); each
// UNIQUE column gets an index "C_Unique$" plus the column and a random
// number.
//
// Definition statements are refused inside a transaction (their pages
// cannot be rolled back with the records). ALTER TABLE that adds, drops or
// changes columns or adds a primary key rebuilds the table through a
// temporary table (sql_restructure.h): all or nothing.
#include <memory>
#include <string>
#include <vector>

#include "engine/query/sql_command.h"
#include "engine/query/sql_field_def.h"

namespace dvx {

class TDVXForeignKeyDefs;
class TDVXConstraintDefs;
class TDVXIndexDefs;
class TDVXLocalSession;

// A parsed FOREIGN KEY element.
struct TDVXSQLForeignKey {
  std::string name;
  std::string referencedTable;
  uint8_t matchType = 0;
  uint8_t deleteAction = 0;
  uint8_t updateAction = 0;
  std::vector<std::string> columns;
};

class TDVXDDLTableManipulation : public TDVXSQLCommand {
 public:
  TDVXDDLTableManipulation(TDVXLexer& lexer, const TDVXSQLContext& context);
  ~TDVXDDLTableManipulation() override;

  const std::string& TableName() const { return tableName_; }
  const TSQLFieldDefs& FieldDefs() const { return fieldDefs_; }
  const std::vector<TDVXIndexField>& PrimaryKey() const { return primaryKeyFields_; }
  const std::string& PrimaryKeyName() const { return primaryKeyName_; }

 protected:
  // Token steps: the next token, raising `code` (unexpected end) at the end.
  void Next(int32_t code = 30161);
  [[noreturn]] void Fail(int32_t code, const char* message) const;
  [[noreturn]] void FailExpected(int32_t code, const char* expected) const;
  bool IsWord(const char* word) const;
  bool AtEnd() const { return t_.kind == tkNone; }

  // The table name from the current token, then one token read (none is
  // fine: the caller checks).
  void ParseTableName(int32_t code, int32_t memoryCode);
  // The element list from the current "(" to its ")" (then one token is
  // read); `columnsOnly` refuses nothing but reads primary and foreign
  // keys too.
  void ParseElements();
  void ParseColumn(TSQLFieldDef& column);
  void ParseAutoincOptions(TSQLFieldDef& column);
  int64_t ParseInteger();
  // PRIMARY [KEY] [name] "(" columns ")" from PRIMARY; ends on ")".
  void ParseTablePrimaryKey();
  // FOREIGN KEY ... from FOREIGN; ends on the token after it.
  void ParseForeignKey();
  void ParseDirectionWords(TDVXIndexField& field);

  // The session of the statement's database (in-memory as asked); refused
  // inside a transaction.
  TDVXLocalSession& DefinitionSession(bool memoryAlone = false);
  // The primary and unique indexes of the parsed key columns, named as
  // described above, added to `indexes`.
  void AddKeyIndexes(TDVXIndexDefs& indexes, bool primary, bool unique) const;
  void AddForeignKeys(TDVXConstraintDefs& constraints) const;

  TToken t_;
  bool inMemory_ = false;
  std::vector<TDVXSQLForeignKey> foreignKeys_;
  std::string tableName_;
  TSQLFieldDefs fieldDefs_;
  std::string primaryKeyName_;
  std::vector<TDVXIndexField> primaryKeyFields_;
  std::vector<std::string> uniqueFields_;
};

class TDVXDDLCreateTable : public TDVXDDLTableManipulation {
 public:
  using TDVXDDLTableManipulation::TDVXDDLTableManipulation;
  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;
};

class TDVXDDLDropTable : public TDVXDDLTableManipulation {
 public:
  using TDVXDDLTableManipulation::TDVXDDLTableManipulation;
  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;

 private:
  bool cascade_ = false;
};

class TDVXDDLAlterTable : public TDVXDDLTableManipulation {
 public:
  enum TAction : int {
    aaAddColumns = 0,
    aaDropColumns = 1,
    aaChangeColumns = 2,
    aaRenameColumns = 3,
    aaRenameTable = 4,
    aaDropConstraint = 5,
    aaAddPrimaryKey = 6,
    aaAddForeignKey = 7,
  };
  using TDVXDDLTableManipulation::TDVXDDLTableManipulation;
  void Parse() override;
  void Execute(bool open, bool& readOnly, bool requestLive) override;
  int Action() const { return action_; }

 protected:
  void Run();

  int action_ = aaAddColumns;
  std::vector<std::string> dropNames_;
  std::vector<std::string> oldNames_;
  std::vector<std::string> newNames_;
  std::string newTableName_;
  std::string constraintName_;
  bool cascade_ = false;
};

class TDVXDDLRenameTable : public TDVXDDLAlterTable {
 public:
  using TDVXDDLAlterTable::TDVXDDLAlterTable;
  void Parse() override;
};

}  // namespace dvx
