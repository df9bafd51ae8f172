// GenerateSQL: the exact script of a small table, its parts by option,
// and INSERT statements that the engine's own lexer reads back into the
// values that were stored.
#include <gtest/gtest.h>

#include "engine/sql/blob_text_codec.h"
#include "engine/sql/lexer.h"
#include "engine/tables/local_blob_stream.h"
#include "engine/values/day_number.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

enum { kSId, kSName, kSPrice, kSBorn, kSSeen, kSActive, kSPhoto };

class CursorGenerateSQLTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    TDVXFieldDefs fields;
    fields.Add("Id", aftAutoIncInteger);
    fields.Add("Name", aftVarchar, 20)->SetDefaultValue(TDVXStoredValue::FromAnsi("it's"));
    fields.Add("Price", aftDouble);
    fields.Add("Born", aftDate);
    fields.Add("Seen", aftDateTime);
    fields.Add("Active", aftBoolean);
    fields.Add("Photo", aftBlob);
    TDVXIndexDefs indexes;
    TDVXIndexDef* pk = indexes.Add("PK_Stock");
    pk->AddColumn("Id");
    pk->SetPrimary(true);
    TDVXIndexDef* name = indexes.Add("UQ_Name");
    name->AddColumn("Name", false, true);
    name->SetUnique(true);
    indexes.Add("IX_Price")->AddColumn("Price", true);
    TDVXConstraintDefs constraints;
    constraints.AddNotNull()->SetFieldName("Name");
    db_->CreateTable(*session_, "Stock", fields, indexes, constraints);
    cursor_ = std::make_unique<TDVXLocalCursor>(*session_, "Stock");
    cursor_->Open();
    int32_t born = 0, seen[2] = {0, 0};
    ASSERT_TRUE(EncodeDayNumber(2024, 1, 31, born));
    seen[0] = born;
    ASSERT_TRUE(EncodeTimeMs(13, 45, 7, 250, seen[1]));
    const double price1 = 2.5, price2 = -0.125;
    const int16_t yes = -1, no = 0;
    cursor_->NewRecord();
    SetText(kSName, "O'Brien");
    SetFieldData(kSPrice, Fields(), &price1, cursor_->Record());
    SetFieldData(kSBorn, Fields(), &born, cursor_->Record());
    SetFieldData(kSSeen, Fields(), seen, cursor_->Record());
    SetFieldData(kSActive, Fields(), &yes, cursor_->Record());
    auto photo = cursor_->OpenBLOB(kBlobModeWrite, kSPhoto);
    photo->Write("\x00\xAB\x10", 3);
    cursor_->CloseBLOB(kSPhoto);
    ASSERT_THAT(cursor_->Post(true), Succeeded());
    cursor_->NewRecord();
    SetText(kSName, "Plain");
    SetFieldData(kSPrice, Fields(), &price2, cursor_->Record());
    SetFieldData(kSActive, Fields(), &no, cursor_->Record());
    ASSERT_THAT(cursor_->Post(true), Succeeded());
  }
  std::string Script(bool create, bool indexes, bool data, bool quote = false) {
    TDVXLocalCursor::TSQLScriptOptions options;
    options.withCreate = create;
    options.withIndexes = indexes;
    options.withData = data;
    options.quoteNames = quote;
    return cursor_->GenerateSQL(options);
  }
  static constexpr const char* kCreate =
      "CREATE TABLE Stock (Id AUTOINCINTEGER, Name STRING(20) NOT NULL DEFAULT 'it''s', Price FLOAT, Born DATE, "
      "Seen DATETIME, Active LOGICAL, Photo BLOB, PRIMARY KEY PK_Stock (Id));\r\n";
  static constexpr const char* kIndexes =
      "CREATE UNIQUE INDEX UQ_Name ON Stock (Name NOCASE);\r\n"
      "CREATE INDEX IX_Price ON Stock (Price DESC);\r\n";
  static constexpr const char* kData =
      "INSERT INTO Stock (Id, Name, Price, Born, Seen, Active, Photo) VALUES (1, 'O''Brien', 2.5, "
      "TODATE('2024-01-31', 'YYYY-MM-DD'), TODATE('2024-01-31 13:45:07.250', 'YYYY-MM-DD HH24:NN:SS.ZZZ'), TRUE, "
      "TOBLOB('00AB10', HEX));\r\n"
      "INSERT INTO Stock (Id, Name, Price, Born, Seen, Active, Photo) VALUES (2, 'Plain', -0.125, NULL, NULL, FALSE, "
      "NULL);\r\n";
};

TEST_F(CursorGenerateSQLTest, TheScriptOfASmallTableIsExact) {
  EXPECT_EQ(Script(true, true, true), std::string(kCreate) + kIndexes + kData);
}

TEST_F(CursorGenerateSQLTest, EachPartComesOnlyWhenAskedFor) {
  EXPECT_EQ(Script(true, false, false), kCreate);
  EXPECT_EQ(Script(false, true, false), kIndexes);
  EXPECT_EQ(Script(false, false, true), kData);
  EXPECT_EQ(Script(false, false, false), "");
  const std::string quoted = Script(true, true, false, true);
  EXPECT_EQ(quoted.rfind("CREATE TABLE [Stock] ([Id] AUTOINCINTEGER, [Name] STRING(20) NOT NULL", 0), 0u) << quoted;
  EXPECT_THAT(quoted, HasSubstr("PRIMARY KEY [PK_Stock] ([Id]));"));
  EXPECT_THAT(quoted, HasSubstr("CREATE INDEX [IX_Price] ON [Stock] ([Price] DESC);"));
}

// The values of one INSERT statement as the lexer hands them back: the
// text of numbers (with their sign), strings and TRUE/FALSE, the text of a
// TODATE, the decoded bytes of a TOBLOB, "<null>" for NULL.
std::vector<std::string> ValuesOf(TDVXLexer& lexer) {
  std::vector<std::string> values;
  TToken t;
  lexer.GetCurrentToken(t);
  while (!(t.kind == tkKeyword && t.text == "VALUES")) EXPECT_TRUE(lexer.GetNextToken(t));
  EXPECT_TRUE(lexer.GetNextToken(t));
  EXPECT_EQ(t.kind, tkOpen);
  while (lexer.GetNextToken(t) && t.kind != tkClose) {
    if (t.kind == tkComma) continue;
    std::string sign;
    if (t.kind == tkWord && t.text == "-") {
      sign = "-";
      lexer.GetNextToken(t);
    }
    if (t.kind == tkInteger || t.kind == tkReal || t.kind == tkQuoted) {
      values.push_back(sign + t.text);
    } else if (t.kind == tkKeyword && (t.text == "TRUE" || t.text == "FALSE")) {
      values.push_back(t.text);
    } else if (t.kind == tkKeyword && t.text == "NULL") {
      values.push_back("<null>");
    } else if (t.kind == tkKeyword && (t.text == "TODATE" || t.text == "TOBLOB")) {
      const bool blob = t.text == "TOBLOB";
      TToken open, text, comma, format, close;
      lexer.GetNextToken(open);
      lexer.GetNextToken(text);
      lexer.GetNextToken(comma);
      lexer.GetNextToken(format);
      lexer.GetNextToken(close);
      EXPECT_EQ(open.kind, tkOpen);
      EXPECT_EQ(text.kind, tkQuoted);
      EXPECT_EQ(close.kind, tkClose);
      std::vector<uint8_t> bytes;
      if (blob) {
        EXPECT_TRUE(DecodeHex(text.text, bytes)) << text.text;
      }
      values.push_back(blob ? std::string(bytes.begin(), bytes.end()) : text.text);
    } else {
      ADD_FAILURE() << "unexpected token '" << t.text << "'";
    }
  }
  return values;
}

TEST_F(CursorGenerateSQLTest, InsertStatementsTokeniseBackIntoTheStoredValues) {
  TDVXLexer lexer(Script(true, true, true), nullptr);
  std::vector<std::vector<std::string>> rows;
  int statements = 0;
  while (lexer.NextStatement()) {
    ++statements;
    TToken first;
    ASSERT_TRUE(lexer.GetCurrentToken(first));
    if (first.text == "INSERT") rows.push_back(ValuesOf(lexer));
  }
  EXPECT_EQ(statements, 5);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "O'Brien", "2.5", "2024-01-31", "2024-01-31 13:45:07.250", "TRUE",
                                               std::string("\x00\xAB\x10", 3)}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "Plain", "-0.125", "<null>", "<null>", "FALSE", "<null>"}));
}

}  // namespace
}  // namespace dvx::test
