#include "engine/query/sql_ddl_table.h"

#include <limits>
#include <random>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/query_errors.h"
#include "engine/query/query_sessions.h"
#include "engine/query/sql_restructure.h"
#include "engine/query/unexpected_end.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/sql/expression.h"
#include "engine/sql/sql_errors.h"
#include "engine/tables/cursor_checks.h"
#include "engine/tables/database_data.h"
#include "engine/tables/definition_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

bool IsNameKind(const TToken& t) {
  return t.kind == tkWord || t.kind == tkQuoted || t.kind == tkBracketed || t.kind == tkKeyword;
}

int32_t RandomNumber() {
  static std::mt19937 random(std::random_device{}());
  return static_cast<int32_t>(random() % 2147483647u);
}

// A name from `base` and a random number, drawn again while it is taken.
std::string UniqueIndexName(const std::string& base, const TDVXIndexDefs& indexes, bool appendToName) {
  std::string name = base + std::to_string(RandomNumber());
  while (indexes.FindByName(name) >= 0)
    name = (appendToName ? name : base) + std::to_string(RandomNumber());
  return name;
}

bool IsStringOrBytes(int type) { return (type >= aftChar && type <= aftWideVarchar) || IsAdvancedBytesType(type); }

// The autoincrement type an integer type name selects inside AUTOINC(...).
int AutoincOf(int type) {
  switch (type) {
    case aftShortInt: return aftAutoIncShortInt;
    case aftSmallInt: return aftAutoIncSmallInt;
    case aftInteger: return aftAutoInc;
    case aftLargeInt: return aftAutoIncLargeInt;
    case aftByte: return aftAutoIncByte;
    case aftWord: return aftAutoIncWord;
    case aftCardinal: return aftAutoIncCardinal;
    default: return IsAutoincType(type) ? type : -1;
  }
}


}  // namespace

TDVXDDLTableManipulation::TDVXDDLTableManipulation(TDVXLexer& lexer, const TDVXSQLContext& context)
    : TDVXSQLCommand(lexer, context) {}

TDVXDDLTableManipulation::~TDVXDDLTableManipulation() = default;

void TDVXDDLTableManipulation::Next(int32_t code) {
  if (!lexer_.GetNextToken(t_)) RaiseUnexpectedEnd(lexer_, code);
}

void TDVXDDLTableManipulation::Fail(int32_t code, const char* message) const {
  if (AtEnd()) RaiseUnexpectedEnd(lexer_, code);
  throw EDVXException(code, message, {t_.text, t_.line, t_.column});
}

void TDVXDDLTableManipulation::FailExpected(int32_t code, const char* expected) const {
  if (AtEnd()) RaiseUnexpectedEnd(lexer_, code);
  throw EDVXException(code, kMsgQueryTokenExpected, {expected, t_.text, t_.line, t_.column});
}

bool TDVXDDLTableManipulation::IsWord(const char* word) const {
  return (t_.kind == tkWord || t_.kind == tkKeyword) && AnsiUpperCase(t_.text) == word;
}

void TDVXDDLTableManipulation::ParseTableName(int32_t code, int32_t memoryCode) {
  if (TDVXLexer::IsKeyword(t_, kwMemory)) {
    inMemory_ = true;
    Next(memoryCode);
    if (t_.kind != tkWord && t_.kind != tkBracketed && t_.kind != tkKeyword && t_.kind != tkQuoted)
      Fail(memoryCode, kMsgTableNameExpected);
  } else if (t_.kind != tkWord && t_.kind != tkBracketed && t_.kind != tkKeyword && t_.kind != tkQuoted) {
    Fail(code, kMsgTableNameExpected);
  }
  tableName_ = t_.text;
  lexer_.GetNextToken(t_);
}

void TDVXDDLTableManipulation::ParseElements() {
  if (t_.kind != tkOpen) FailExpected(kErrElementsOpen, "(");
  while (t_.kind != tkClose) {
    Next();
    if (!IsNameKind(t_)) Fail(kErrColumnName, kMsgFieldNameExpected);
    if (TDVXLexer::IsKeyword(t_, kwPrimary)) {
      ParseTablePrimaryKey();
      Next();
      if (t_.kind != tkClose && t_.kind != tkComma) Fail(kErrOptionSeparator, kMsgCloseOrComma);
    } else if (TDVXLexer::IsKeyword(t_, kwForeign)) {
      ParseForeignKey();
      if (t_.kind != tkClose && t_.kind != tkComma) Fail(kErrOptionSeparator, kMsgCloseOrComma);
    } else {
      ParseColumn(fieldDefs_.Add());
    }
  }
  lexer_.GetNextToken(t_);
}

int64_t TDVXDDLTableManipulation::ParseInteger() {
  Next(kErrIntegerOperand);
  bool negative = false;
  if (t_.kind == tkWord && (t_.text == "-" || t_.text == "+")) {
    negative = t_.text == "-";
    Next(kErrIntegerOperand);
  }
  if (t_.kind != tkInteger) Fail(kErrIntegerOperand, kMsgIntegerExpected);
  try {
    size_t used = 0;
    const std::string text = (negative ? "-" : "") + t_.text;
    const long long v = std::stoll(text, &used);
    if (used != text.size()) Fail(kErrIntegerTooBig, kMsgIntegerExpected);
    return v;
  } catch (const std::out_of_range&) {
    Fail(kErrIntegerTooBig, kMsgIntegerExpected);
  } catch (const std::invalid_argument&) {
    Fail(kErrIntegerTooBig, kMsgIntegerExpected);
  }
}

void TDVXDDLTableManipulation::ParseAutoincOptions(TSQLFieldDef& column) {
  while (true) {
    Next(kErrAutoincEnd);
    if (t_.kind == tkClose) break;
    if (t_.kind == tkComma) continue;
    if (IsWord("INCREMENT")) {
      column.increment.Set(ParseInteger());
    } else if (IsWord("INITIALVALUE")) {
      column.initialValue.Set(ParseInteger());
    } else if (IsWord("MINVALUE")) {
      column.sequenceMinimum.Set(ParseInteger());
    } else if (IsWord("MAXVALUE")) {
      column.sequenceMaximum.Set(ParseInteger());
    } else if (IsWord("NOMINVALUE")) {
      column.sequenceMinimum.Set(0);
    } else if (IsWord("NOMAXVALUE")) {
      column.sequenceMaximum.Set(std::numeric_limits<int64_t>::max());
    } else if (IsWord("CYCLED")) {
      column.cycled.Set(1);
    } else if (IsWord("NOCYCLED")) {
      column.cycled.Set(0);
    } else {
      if (column.fieldType.value != aftAutoInc)
        throw EDVXException(kErrAutoincToken, kMsgUnexpectedToken, {t_.text, t_.line, t_.column});
      const TSQLFieldType* type = FindSQLFieldType(t_.text);
      const int autoinc = type ? AutoincOf(type->advancedType) : -1;
      if (autoinc < 0)
        throw EDVXException(kErrAutoincType, "Unsupported Autoinc DataType (%s) found at line %d, column %d",
                            {t_.text, t_.line, t_.column});
      column.fieldType.Set(static_cast<uint8_t>(autoinc));
      // AUTOINC(INTEGER) stays "AUTOINC" and may still name a type.
    }
  }
  lexer_.GetNextToken(t_);
}

void TDVXDDLTableManipulation::ParseDirectionWords(TDVXIndexField& field) {
  while (true) {
    if (TDVXLexer::IsKeyword(t_, kwDesc)) field.descending = 1;
    else if (TDVXLexer::IsKeyword(t_, kwAsc)) field.descending = 0;
    else if (IsWord("NOCASE")) field.caseInsensitive = 1;
    else if (TDVXLexer::IsKeyword(t_, kwCase)) field.caseInsensitive = 0;
    else break;
    lexer_.GetNextToken(t_);
  }
}

void TDVXDDLTableManipulation::ParseColumn(TSQLFieldDef& column) {
  column.name = t_.text;
  Next(kErrColumnType);
  if (t_.kind != tkWord && t_.kind != tkBracketed && t_.kind != tkKeyword)
    Fail(kErrColumnType, "Field type expected, but '%s' found at line %d, column %d");
  const TSQLFieldType* type = FindSQLFieldType(t_.text);
  if (!type) Fail(kErrUnknownColumnType, "Unknown field type '%s' at line %d, column %d");
  column.fieldType.Set(static_cast<uint8_t>(type->advancedType));
  if (IsStringOrBytes(type->advancedType)) {
    Next(kErrSizeOpen);
    if (t_.kind != tkOpen) Fail(kErrSizeOpen, kMsgOpenExpected);
    Next(kErrSizeNumber);
    if (t_.kind != tkInteger) Fail(kErrSizeNumber, "Decimal constant expected, but '%s' found at line %d, column %d");
    int64_t size = 0;
    try {
      size = std::stoll(t_.text);
    } catch (const std::exception&) {
      size = -1;
    }
    if (size < 1 || size > std::numeric_limits<int32_t>::max())
      throw EDVXException(kErrOptionRange, "%s must lie in %d to %d, but %s found at line %d, column %d",
                          {"The size", 1, std::numeric_limits<int32_t>::max(), t_.text, t_.line, t_.column});
    column.size.Set(static_cast<int32_t>(size));
    Next(kErrSizeClose);
    if (t_.kind != tkClose) Fail(kErrSizeClose, kMsgCloseOrComma);
  }
  Next();
  if (IsAutoincType(type->advancedType) && t_.kind == tkOpen) ParseAutoincOptions(column);
  // After an option that does not end on its own following token: the
  // next one must continue the element list.
  auto following = [&] {
    Next();
    if (!IsNameKind(t_) && t_.kind != tkClose && t_.kind != tkComma) Fail(kErrOptionSeparator, kMsgCloseOrComma);
  };
  auto bound = [&](TGiven<TDVXVariant>& target) {
    Next();
    bool negative = false;
    if (t_.kind == tkWord && t_.text == "-") {
      negative = true;
      Next();
    }
    TDVXVariant value(bftString);
    value.SetAsString((negative ? "-" : "") + t_.text);
    value.ConvertTo(static_cast<uint8_t>(bftSignedInt64));
    target.Set(value);
    lexer_.GetNextToken(t_);
  };
  while (!AtEnd() && t_.kind != tkClose && t_.kind != tkComma) {
    if (TDVXLexer::IsKeyword(t_, kwNot)) {
      Next(kErrNotKeyword);
      if (t_.kind != tkKeyword) Fail(kErrNotKeyword, "'NULL' expected (for NOT NULL), but '%s' found at line %d, column %d");
      if (!TDVXLexer::IsKeyword(t_, kwNull)) Fail(kErrNotNull, "'NULL' expected (for NOT NULL), but '%s' found at line %d, column %d");
      column.required.Set(1);
      following();
    } else if (TDVXLexer::IsKeyword(t_, kwNull)) {
      column.required.Set(0);
      following();
    } else if (TDVXLexer::IsKeyword(t_, kwDefault)) {
      if (column.defaultValue.given)
        throw EDVXException(kErrDefaultTwice, "default value for column '%s' declared twice", {column.name});
      Next();
      if (TDVXLexer::IsKeyword(t_, kwNull)) {
        column.defaultValue.Set(TDVXVariant(AdvancedToBaseType(column.fieldType.value)));
        lexer_.GetNextToken(t_);
      } else {
        TDVXExpression value;
        value.SetEnvironment(context_.environment);
        value.SetServices(context_.services);
        if (!value.ParseValue(lexer_) || !value.Root()) {
          lexer_.GetCurrentToken(t_);
          Fail(kErrSetValueExpected, "Expression expected, but '%s' found at line %d, column %d");
        }
        lexer_.GetCurrentToken(t_);
        const TDVXVariant* v = value.GetValue(true);
        TDVXVariant copy(v ? *v : TDVXVariant());
        const int base = AdvancedToBaseType(column.fieldType.value);
        if (!copy.IsNull() && copy.DataType() != base) copy.ConvertTo(static_cast<uint8_t>(base));
        column.defaultValue.Set(copy);
      }
    } else if (IsWord("MINVALUE")) {
      bound(column.minimumValue);
    } else if (IsWord("MAXVALUE")) {
      bound(column.maximumValue);
    } else if (IsWord("NOMINVALUE")) {
      column.minimumValue.Set(TDVXVariant(bftSignedInt64));
      lexer_.GetNextToken(t_);
    } else if (IsWord("NOMAXVALUE")) {
      column.maximumValue.Set(TDVXVariant(bftSignedInt64));
      lexer_.GetNextToken(t_);
    } else if (TDVXLexer::IsKeyword(t_, kwBlobblocksize)) {
      const int64_t v = ParseInteger();
      if (v < 1 || v > std::numeric_limits<int32_t>::max())
        throw EDVXException(kErrOptionRange, "%s must lie in %d to %d, but %s found at line %d, column %d",
                            {"BLOBBLOCKSIZE", 1, std::numeric_limits<int32_t>::max(), t_.text, t_.line, t_.column});
      column.blobBlockSize.Set(static_cast<int32_t>(v));
      following();
    } else if (TDVXLexer::IsKeyword(t_, kwBlobcompressionmode)) {
      const int64_t v = ParseInteger();
      // Only the modes that exist: 0 (none) to 9 (strongest).
      if (v < 0 || v > 9)
        throw EDVXException(kErrOptionRange, "%s must lie in %d to %d, but %s found at line %d, column %d",
                            {"BLOBCOMPRESSIONMODE", 0, 9, std::to_string(v), t_.line, t_.column});
      column.compressionMode.Set(static_cast<uint8_t>(v));
      following();
    } else if (TDVXLexer::IsKeyword(t_, kwBlobcompressionalgorithm)) {
      Next();
      const std::string name = AnsiUpperCase(t_.text);
      static const char* names[] = {"NONE", "ZLIB", "BZIP", "PPM"};
      uint8_t algorithm = 0;
      for (uint8_t i = 0; i < 4; ++i)
        if (name == names[i]) algorithm = i;
      column.compressionAlgorithm.Set(algorithm);
      following();
    } else if (TDVXLexer::IsKeyword(t_, kwPrimary)) {
      lexer_.GetNextToken(t_);
      if (TDVXLexer::IsKeyword(t_, kwKey)) lexer_.GetNextToken(t_);
      TDVXIndexField field{column.name};
      ParseDirectionWords(field);
      column.primary.Set(1);
      primaryKeyFields_.push_back(field);
    } else if (TDVXLexer::IsKeyword(t_, kwUnique)) {
      column.unique.Set(1);
      uniqueFields_.push_back(column.name);
      lexer_.GetNextToken(t_);
    } else {
      // Not an option: passed over.
      following();
    }
  }
  if (AtEnd()) RaiseUnexpectedEnd(lexer_, kErrUnexpectedEnd);
}

void TDVXDDLTableManipulation::ParseTablePrimaryKey() {
  Next();
  if (TDVXLexer::IsKeyword(t_, kwKey)) Next();
  if (t_.kind != tkOpen) {
    primaryKeyName_ = t_.text;
    Next(kErrPrimaryOpen);
    if (t_.kind != tkOpen) Fail(kErrPrimaryOpen, kMsgOpenExpected);
  }
  while (true) {
    Next(kErrPrimaryColumn);
    if (t_.kind != tkWord && t_.kind != tkBracketed && t_.kind != tkKeyword) Fail(kErrPrimaryColumn, kMsgFieldNameExpected);
    TDVXIndexField field{t_.text};
    Next(kErrPrimarySeparator);
    ParseDirectionWords(field);
    primaryKeyFields_.push_back(field);
    if (t_.kind == tkClose) break;
    if (t_.kind != tkComma) Fail(kErrPrimarySeparator, kMsgCloseOrComma);
  }
}

void TDVXDDLTableManipulation::ParseForeignKey() {
  TDVXSQLForeignKey key;
  Next(kErrForeignKeyWord);
  if (!TDVXLexer::IsKeyword(t_, kwKey)) FailExpected(kErrForeignKeyWord, "KEY");
  Next(kErrForeignOpen);
  if (t_.kind != tkOpen) {
    key.name = t_.text;
    Next(kErrForeignOpen);
    if (t_.kind != tkOpen) Fail(kErrForeignOpen, kMsgOpenExpected);
  }
  while (true) {
    Next(kErrForeignColumn);
    if (t_.kind != tkWord && t_.kind != tkBracketed) Fail(kErrForeignColumn, kMsgFieldNameExpected);
    key.columns.push_back(t_.text);
    Next(kErrForeignSeparator);
    if (t_.kind == tkClose) break;
    if (t_.kind != tkComma) Fail(kErrForeignSeparator, kMsgCloseOrComma);
  }
  Next(kErrForeignReferences);
  if (!TDVXLexer::IsKeyword(t_, kwReferences)) FailExpected(kErrForeignReferences, "REFERENCES");
  Next(kErrForeignTable);
  if (t_.kind != tkWord && t_.kind != tkBracketed) Fail(kErrForeignTable, kMsgTableNameExpected);
  key.referencedTable = t_.text;
  lexer_.GetNextToken(t_);
  if (TDVXLexer::IsKeyword(t_, kwMatch)) {
    Next(kErrForeignMatch);
    if (TDVXLexer::IsKeyword(t_, kwFull)) key.matchType = 1;
    else if (TDVXLexer::IsKeyword(t_, kwPartial)) key.matchType = 2;
    else FailExpected(kErrForeignMatch, "FULL or PARTIAL");
    lexer_.GetNextToken(t_);
  }
  int first = -1;
  for (int clause = 0; clause < 2 && TDVXLexer::IsKeyword(t_, kwOn); ++clause) {
    const int32_t code = clause == 0 ? kErrForeignOn : kErrForeignSecondOn;
    Next(code);
    int which;
    if (TDVXLexer::IsKeyword(t_, kwUpdate)) which = 0;
    else if (TDVXLexer::IsKeyword(t_, kwDelete)) which = 1;
    else FailExpected(code, "UPDATE or DELETE");
    if (which == first) FailExpected(kErrForeignSecondOn, which == 0 ? "DELETE" : "UPDATE");
    first = which;
    Next(kErrForeignAction);
    uint8_t action;
    if (TDVXLexer::IsKeyword(t_, kwCascade)) {
      action = 1;
    } else if (TDVXLexer::IsKeyword(t_, kwSet)) {
      Next(kErrForeignSet);
      if (TDVXLexer::IsKeyword(t_, kwNull)) action = 2;
      else if (TDVXLexer::IsKeyword(t_, kwDefault)) action = 3;
      else FailExpected(kErrForeignSet, "NULL or DEFAULT");
    } else if (TDVXLexer::IsKeyword(t_, kwNo)) {
      Next(kErrForeignNo);
      if (!TDVXLexer::IsKeyword(t_, kwAction)) FailExpected(kErrForeignNo, "ACTION");
      action = 4;
    } else {
      FailExpected(kErrForeignAction, "CASCADE or SET or NO");
    }
    (which == 0 ? key.updateAction : key.deleteAction) = action;
    lexer_.GetNextToken(t_);
  }
  foreignKeys_.push_back(std::move(key));
}

TDVXLocalSession& TDVXDDLTableManipulation::DefinitionSession(bool memoryAlone) {
  const bool inMemory = inMemory_ || (!memoryAlone && context_.environment.inMemory);
  TDVXLocalSession& session = context_.sessions->SessionFor(context_.environment.databaseName, inMemory);
  RequireNoTransaction(session, kErrDefinitionInTransaction);
  return session;
}

void TDVXDDLTableManipulation::AddKeyIndexes(TDVXIndexDefs& indexes, bool primary, bool unique) const {
  if (primary && !primaryKeyFields_.empty()) {
    std::string name = primaryKeyName_;
    if (name.empty()) {
      std::string base = "C_PK";
      for (const TDVXIndexField& f : primaryKeyFields_) base += "$" + f.fieldName;
      name = UniqueIndexName(base, indexes, true);
    }
    // The direction and case words are kept with the columns; the key is
    // defined from the names alone.
    TDVXIndexDef* index = indexes.Add(name);
    for (const TDVXIndexField& f : primaryKeyFields_) index->AddColumn(f.fieldName);
    index->SetPrimary(true);
  }
  if (unique)
    for (const std::string& column : uniqueFields_) {
      TDVXIndexDef* index = indexes.Add(UniqueIndexName("C_Unique$" + column, indexes, false));
      index->AddColumn(column);
      index->SetUnique(true);
    }
}

void TDVXDDLTableManipulation::AddForeignKeys(TDVXConstraintDefs& constraints) const {
  for (const TDVXSQLForeignKey& key : foreignKeys_) {
    TDVXConstraintDefForeignKey* fk = constraints.AddForeignKey();
    fk->SetObjectName(key.name);
    fk->Table().name = key.referencedTable;
    fk->SetMatchType(key.matchType);
    fk->SetDeleteAction(key.deleteAction);
    fk->SetUpdateAction(key.updateAction);
    for (const std::string& c : key.columns) fk->AddColumn(c);
  }
}

// --- CREATE TABLE -----------------------------------------------------------------

void TDVXDDLCreateTable::Parse() {
  Next();  // TABLE
  Next(kErrCreateBlank);
  ParseTableName(kErrDdlTableName, kErrDdlMemoryTableName);
  ParseElements();
  if (!AtEnd()) Fail(kErrDdlTrailing, kMsgUnexpectedToken);
}

void TDVXDDLCreateTable::Execute(bool, bool& readOnly, bool) {
  readOnly = true;
  TDVXLocalSession& session = DefinitionSession();
  if (session.Database().TableExists(tableName_))
    throw EDVXException(kErrCreateExists, "Cannot create table. Table '%s' already exists", {tableName_});
  try {
    TDVXFieldDefs fields;
    TDVXIndexDefs indexes;
    TDVXConstraintDefs constraints;
    for (int i = 0; i < fieldDefs_.Count(); ++i) {
      const TSQLFieldDef& column = fieldDefs_.Items(i);
      TDVXFieldDef* field = fields.Add(column.name, column.fieldType.value, column.size.value);
      ApplyColumnDefinition(column, *field, constraints);
    }
    AddKeyIndexes(indexes, true, true);
    TDVXLocalCursor creator(session, tableName_);
    creator.CreateTable(fields, indexes, constraints);
    // Foreign keys are added to the new table one by one: that also gives
    // the referenced table the actions (CASCADE, SET NULL, ...) a key made
    // with the table alone would lack. A key that fails takes the new
    // table with it.
    TDVXConstraintDefs keys;
    AddForeignKeys(keys);
    try {
      for (int i = 0; i < keys.Count(); ++i)
        TDVXLocalCursor(session, tableName_, true)
            .AddForeignKey(static_cast<const TDVXConstraintDefForeignKey&>(*keys.Items(i)));
    } catch (const EDVXException&) {
      try {
        TDVXLocalCursor(session, tableName_, true).DeleteTable(true);
      } catch (const EDVXException&) {
        // The error reported is the key's.
      }
      throw;
    }
  } catch (const EDVXException& e) {
    throw EDVXException(kErrCreateFailed, "Error creating table: '%s'", {e.Message()});
  }
}

// --- DROP TABLE ---------------------------------------------------------------------

void TDVXDDLDropTable::Parse() {
  Next();  // TABLE
  Next(kErrDropBlank);
  ParseTableName(kErrDdlTableName, kErrDdlMemoryTableName);
  if (TDVXLexer::IsKeyword(t_, kwCascade)) {
    cascade_ = true;
    lexer_.GetNextToken(t_);
  } else if (TDVXLexer::IsKeyword(t_, kwRestrict)) {
    lexer_.GetNextToken(t_);
  }
  if (!AtEnd()) Fail(kErrDdlTrailing, kMsgUnexpectedToken);
}

void TDVXDDLDropTable::Execute(bool, bool& readOnly, bool) {
  readOnly = true;
  TDVXLocalSession& session = DefinitionSession();
  try {
    RecoverTableRebuild(session, tableName_);
    if (!session.Database().TableExists(tableName_)) return;
    TDVXLocalCursor cursor(session, tableName_, true);
    cursor.DeleteTable(cascade_);
  } catch (const EDVXException& e) {
    throw EDVXException(kErrDropFailed, "Error dropping table: '%s'", {e.Message()});
  }
}

// --- ALTER TABLE and RENAME TABLE ------------------------------------------------------

void TDVXDDLAlterTable::Parse() {
  Next();  // TABLE
  Next(kErrAlterBlank);
  ParseTableName(kErrDdlTableName, kErrDdlMemoryTableName);
  const char* expected = "ADD, DROP or ALTER keyword expected, but '%s' found at line %d, column %d";
  if (t_.kind != tkKeyword) Fail(kErrAlterAction, expected);
  // Names from the current token on, separated by ",".
  auto names = [&] {
    while (true) {
      if (t_.kind != tkWord && t_.kind != tkQuoted && t_.kind != tkBracketed) Fail(kErrDropColumnName, kMsgFieldNameExpected);
      dropNames_.push_back(t_.text);
      if (!lexer_.GetNextToken(t_) || t_.kind != tkComma) break;
      Next(kErrDropColumnToken);
    }
  };
  if (TDVXLexer::IsKeyword(t_, kwAdd)) {
    Next();
    if (TDVXLexer::IsKeyword(t_, kwPrimary)) {
      action_ = aaAddPrimaryKey;
      ParseTablePrimaryKey();
      lexer_.GetNextToken(t_);
    } else if (TDVXLexer::IsKeyword(t_, kwForeign)) {
      action_ = aaAddForeignKey;
      ParseForeignKey();
    } else {
      action_ = aaAddColumns;
      if (TDVXLexer::IsKeyword(t_, kwColumn)) Next();
      ParseElements();
    }
  } else if (TDVXLexer::IsKeyword(t_, kwAlter) || TDVXLexer::IsKeyword(t_, kwModify)) {
    action_ = aaChangeColumns;
    const bool alter = TDVXLexer::IsKeyword(t_, kwAlter);
    Next();
    if (alter && TDVXLexer::IsKeyword(t_, kwColumn)) Next();
    ParseElements();
  } else if (TDVXLexer::IsKeyword(t_, kwDrop)) {
    Next();
    if (TDVXLexer::IsKeyword(t_, kwConstraint)) {
      action_ = aaDropConstraint;
      Next(kErrConstraintName);
      if (t_.kind != tkWord && t_.kind != tkQuoted && t_.kind != tkBracketed)
        Fail(kErrConstraintName, "Constraint name expected, but '%s' found at line %d, column %d");
      constraintName_ = t_.text;
      if (lexer_.GetNextToken(t_)) {
        if (TDVXLexer::IsKeyword(t_, kwCascade)) cascade_ = true;
        else if (!TDVXLexer::IsKeyword(t_, kwRestrict)) FailExpected(kErrConstraintMode, "CASCADE or RESTRICT");
        lexer_.GetNextToken(t_);
      }
    } else {
      action_ = aaDropColumns;
      if (TDVXLexer::IsKeyword(t_, kwColumn)) Next(kErrDropColumnName);
      if (t_.kind == tkOpen) {
        Next(kErrDropColumnName);
        names();
        if (t_.kind != tkClose) Fail(kErrDropColumnToken, kMsgUnexpectedToken);
        lexer_.GetNextToken(t_);
      } else {
        names();
      }
    }
  } else if (TDVXLexer::IsKeyword(t_, kwRename)) {
    Next();
    if (TDVXLexer::IsKeyword(t_, kwTo)) {
      action_ = aaRenameTable;
      Next();
      newTableName_ = t_.text;
      lexer_.GetNextToken(t_);
    } else {
      action_ = aaRenameColumns;
      if (TDVXLexer::IsKeyword(t_, kwColumn)) Next();
      oldNames_.push_back(t_.text);
      Next(kErrRenameColumnTo);
      if (!TDVXLexer::IsKeyword(t_, kwTo)) FailExpected(kErrRenameColumnTo, "TO");
      Next();
      newNames_.push_back(t_.text);
      lexer_.GetNextToken(t_);
    }
  } else {
    Fail(kErrAlterActionWord, expected);
  }
  // Tokens after a complete action would be lost silently: refused.
  if (!AtEnd()) Fail(kErrDdlTrailing, kMsgUnexpectedToken);
}

void TDVXDDLAlterTable::Execute(bool, bool& readOnly, bool) {
  readOnly = true;
  try {
    Run();
  } catch (const EDVXException& e) {
    throw EDVXException(kErrAlterFailed, "Error altering teble: '%s'", {e.Message()});
  }
}

void TDVXDDLAlterTable::Run() {
  TDVXLocalSession& session = DefinitionSession();
  RecoverTableRebuild(session, tableName_);
  switch (action_) {
    case aaRenameColumns: {
      for (size_t i = 0; i < oldNames_.size(); ++i)
        TDVXLocalCursor(session, tableName_, true).RenameField(oldNames_[i], newNames_[i]);
      return;
    }
    case aaRenameTable: TDVXLocalCursor(session, tableName_, true).RenameTable(newTableName_); return;
    case aaDropConstraint:
      TDVXLocalCursor(session, tableName_, true).DeleteConstraint(constraintName_, false, cascade_);
      return;
    case aaAddForeignKey: {
      TDVXConstraintDefs constraints;
      AddForeignKeys(constraints);
      for (int i = 0; i < constraints.Count(); ++i)
        TDVXLocalCursor(session, tableName_, true)
            .AddForeignKey(static_cast<const TDVXConstraintDefForeignKey&>(*constraints.Items(i)));
      return;
    }
    default: break;
  }
  TDVXFieldDefs fields;
  TDVXIndexDefs indexes;
  TDVXConstraintDefs constraints;
  ReadTableDefinitions(session, tableName_, fields, indexes, constraints);
  switch (action_) {
    case aaAddColumns:
      for (int i = 0; i < fieldDefs_.Count(); ++i) {
        const TSQLFieldDef& column = fieldDefs_.Items(i);
        if (fields.FindByName(column.name) >= 0)
          throw EDVXException(kErrAddColumnExists, "Field by name '%s' already exists", {column.name});
        TDVXFieldDef* field = fields.Add(column.name, column.fieldType.value, column.size.value);
        ApplyColumnDefinition(column, *field, constraints);
      }
      AddKeyIndexes(indexes, false, true);
      break;
    case aaDropColumns:
      for (const std::string& name : dropNames_) {
        const int at = fields.FindByName(name);
        if (at < 0) throw EDVXException(kErrDropColumnMissing, "Field '%s' not found", {name});
        const std::string fieldName = fields.Items(at)->ObjectName();
        fields.Delete(at);
        for (int i = constraints.Count() - 1; i >= 0; --i)
          if (SameName(static_cast<const TDVXConstraintDefNotNull&>(*constraints.Items(i)).FieldName(), fieldName))
            constraints.Delete(i);
      }
      break;
    case aaChangeColumns:
      for (int i = 0; i < fieldDefs_.Count(); ++i) {
        const TSQLFieldDef& column = fieldDefs_.Items(i);
        const int at = fields.FindByName(column.name);
        if (at < 0) throw EDVXException(kErrAlterColumnMissing, "Field '%s' not found", {column.name});
        ApplyColumnDefinition(column, *fields.Items(at), constraints);
      }
      break;
    case aaAddPrimaryKey: AddKeyIndexes(indexes, true, false); break;
    default: break;
  }
  try {
    RebuildTable(session, tableName_, fields, indexes, constraints);
  } catch (const EDVXException& e) {
    throw EDVXException(kErrRestructure, "Restructure table error: '%s'", {e.Message()});
  }
}

void TDVXDDLRenameTable::Parse() {
  // RENAME [TABLE]
  lexer_.GetNextToken(t_);
  if (TDVXLexer::IsKeyword(t_, kwTable)) lexer_.GetNextToken(t_);
  if (AtEnd()) throw EDVXException(kErrRenameBlank, kMsgBlankCommand);
  ParseTableName(kErrDdlTableName, kErrDdlMemoryTableName);
  if (!TDVXLexer::IsKeyword(t_, kwTo)) FailExpected(kErrRenameTo, "TO");
  Next();
  newTableName_ = t_.text;
  action_ = aaRenameTable;
  lexer_.GetNextToken(t_);
  if (!AtEnd()) Fail(kErrDdlTrailing, kMsgUnexpectedToken);
}

}  // namespace dvx
