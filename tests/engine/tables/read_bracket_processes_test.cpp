// Two programs on one table: what the other program commits between two
// operations of a cursor is seen by the next operation, and never within
// one (a walk over the records holds its lock S and its read bracket from
// its first record to its last, so the other program's change waits).
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "engine/tables/cursor_walk.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class ReadBracketProcessesTest : public ::testing::Test {
 protected:
  static constexpr const char* kTable = "Remedies";

  void SetUp() override {
    char pattern[] = "/tmp/dvx_table_brackets_XXXXXX";
    dir_ = mkdtemp(pattern);
    file_ = dir_ + "/db.dvx";
    {
      TDVXDiskDatabaseData db(file_, TDVXLockParams{3, 1});
      db.CreateDatabase(1024, 8, 4);
      TDVXCryptoInfo crypto;
      db.OpenDatabase(false, true, crypto);
      TDVXLocalSession session(db);
      TDVXFieldDefs fields;
      fields.Add("Id", aftAutoIncInteger);
      fields.Add("Code", aftInteger);
      fields.Add("Name", aftVarchar, 40);
      TDVXIndexDefs indexes;
      TDVXIndexDef* pk = indexes.Add("PK");
      pk->AddColumn("Id");
      pk->SetPrimary(true);
      TDVXIndexDef* code = indexes.Add("UQ_Code");
      code->AddColumn("Code");
      code->SetUnique(true);
      db.CreateTable(session, kTable, fields, indexes, TDVXConstraintDefs());
      TDVXLocalCursor cursor(session, kTable);
      cursor.Open();
      for (int32_t c = 10; c <= 50; c += 10) ASSERT_TRUE(Insert(cursor, c, "n" + std::to_string(c)).ok());
      cursor.Close();
    }
    ASSERT_EQ(pipe(toChild_), 0);
    ASSERT_EQ(pipe(fromChild_), 0);
    child_ = fork();
    ASSERT_GE(child_, 0);
    if (child_ == 0) {
      RunOtherProgram();
      _exit(0);
    }
  }
  void TearDown() override {
    if (child_ > 0) {
      Request("q", 0, "");
      waitpid(child_, nullptr, 0);
    }
    for (int fd : {toChild_[0], toChild_[1], fromChild_[0], fromChild_[1]}) close(fd);
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  static TDVXCursorResult Insert(TDVXLocalCursor& cursor, int32_t code, const std::string& name) {
    cursor.NewRecord();
    SetFieldData(kCode, cursor.Fields(), &code, cursor.Record());
    SetFieldData(kName, cursor.Fields(), name.c_str(), cursor.Record());
    return cursor.InsertRecord();
  }
  static int32_t CodeOf(const TDVXFieldDefs& fields, const uint8_t* record) {
    int32_t code = 0;
    GetFieldData(kCode, fields, &code, record);
    return code;
  }
  static std::string NameOf(const TDVXFieldDefs& fields, const uint8_t* record) {
    char name[41] = {};
    GetFieldData(kName, fields, name, record);
    return name;
  }

  // The other program, on its own shared open: "r" renames the record of a
  // code, "i" inserts one; each answers 'y' when its change was committed.
  void RunOtherProgram() {
    try {
      TDVXDiskDatabaseData db(file_, TDVXLockParams{3, 1});
      TDVXCryptoInfo crypto;
      db.OpenDatabase(false, false, crypto);
      TDVXLocalSession session(db);
      TDVXLocalCursor cursor(session, kTable);
      cursor.Open();
      for (;;) {
        char kind = 0;
        int32_t code = 0;
        char name[41] = {};
        if (read(toChild_[0], &kind, 1) != 1 || kind == 'q') break;
        if (read(toChild_[0], &code, 4) != 4 || read(toChild_[0], name, 40) != 40) break;
        char answer = 'n';
        try {
          if (kind == 'i') {
            answer = Insert(cursor, code, name).ok() ? 'y' : 'n';
          } else {
            cursor.First();
            while (cursor.GetRecord(grmNext) == grrDone && CodeOf(cursor.Fields(), cursor.Record()) != code) {
            }
            if (!cursor.Eof()) {
              SetFieldData(kName, cursor.Fields(), name, cursor.Record());
              answer = cursor.UpdateRecord().ok() ? 'y' : 'n';
            }
          }
        } catch (const EDVXException&) {
        }
        (void)!write(fromChild_[1], &answer, 1);
      }
      cursor.Close();
    } catch (...) {
      _exit(1);
    }
  }
  bool Request(const char* kind, int32_t code, const std::string& name) {
    char text[40] = {};
    name.copy(text, sizeof text - 1);
    if (write(toChild_[1], kind, 1) != 1) return false;
    if (kind[0] == 'q') return true;
    if (write(toChild_[1], &code, 4) != 4 || write(toChild_[1], text, 40) != 40) return false;
    char answer = 0;
    return read(fromChild_[0], &answer, 1) == 1 && answer == 'y';
  }
  bool OtherProgramRenames(int32_t code, const std::string& name) { return Request("r", code, name); }
  bool OtherProgramInserts(int32_t code, const std::string& name) { return Request("i", code, name); }

  struct TReader {
    explicit TReader(const std::string& file) : db(file, TDVXLockParams{3, 1}) {
      TDVXCryptoInfo crypto;
      db.OpenDatabase(false, false, crypto);
      session = std::make_unique<TDVXLocalSession>(db);
      cursor = std::make_unique<TDVXLocalCursor>(*session, kTable);
      cursor->Open();
    }
    ~TReader() { cursor->Close(); }
    std::string Name() { return NameOf(cursor->Fields(), cursor->Record()); }
    int32_t Code() { return CodeOf(cursor->Fields(), cursor->Record()); }
    TDVXDiskDatabaseData db;
    std::unique_ptr<TDVXLocalSession> session;
    std::unique_ptr<TDVXLocalCursor> cursor;
  };

  std::string dir_, file_;
  int toChild_[2] = {-1, -1};
  int fromChild_[2] = {-1, -1};
  pid_t child_ = -1;
};

TEST_F(ReadBracketProcessesTest, TheNextReadSeesARecordTheOtherProgramChanged) {
  TReader reader(file_);
  ASSERT_EQ(reader.cursor->GetRecord(grmNext), grrDone);
  EXPECT_EQ(reader.Name(), "n10");
  ASSERT_TRUE(OtherProgramRenames(10, "ten"));
  ASSERT_EQ(reader.cursor->GetRecord(grmCurrent), grrDone);
  EXPECT_EQ(reader.Name(), "ten");
  ASSERT_TRUE(OtherProgramRenames(10, "zehn"));
  ASSERT_EQ(reader.cursor->GetRecord(grmCurrent), grrDone);
  EXPECT_EQ(reader.Name(), "zehn");
}

TEST_F(ReadBracketProcessesTest, TheNextKeySearchAndCountSeeARecordTheOtherProgramInserted) {
  TReader reader(file_);
  reader.cursor->SetCurrentIndex("UQ_Code");
  EXPECT_EQ(reader.cursor->GetRecordCount(), 5);
  ASSERT_TRUE(OtherProgramInserts(60, "n60"));
  EXPECT_EQ(reader.cursor->GetRecordCount(), 6);
  const int32_t key = 60;
  SetFieldData(kCode, reader.cursor->Fields(), &key, reader.cursor->KeyBuffer().data());
  reader.cursor->SetKeyFieldCount(1);
  ASSERT_TRUE(reader.cursor->GotoKey(ctEqual));
  EXPECT_EQ(reader.Name(), "n60");
  reader.cursor->Last();
  ASSERT_EQ(reader.cursor->GetRecord(grmPrior), grrDone);
  EXPECT_EQ(reader.Code(), 60);
}

// The filter asks the other program to rename the record the walk ends on
// while the walk is under way: refused, and the walk reads the record as
// it was; once the walk is over the rename goes through and the next read
// sees it.
TEST_F(ReadBracketProcessesTest, AWalkNeverSeesAChangeTheOtherProgramTriesWithinIt) {
  TReader reader(file_);
  TDVXLocalCursor& cursor = *reader.cursor;
  ASSERT_EQ(cursor.GetRecord(grmNext), grrDone);
  const TDVXRecordID first = cursor.RecordID();
  bool armed = false;
  int asked = 0;
  bool renamed = false;
  cursor.SetRecordFilter([&](const uint8_t* record) {
    if (armed && asked++ == 0) renamed = OtherProgramRenames(50, "fifty");
    const int32_t code = CodeOf(cursor.Fields(), record);
    return code == 10 || code == 50;
  });
  EXPECT_EQ(cursor.GetRecordCount(), 2);
  // From a place the cursor did not land on itself, the walk goes record
  // by record through the table.
  cursor.SetPosition(false, false, first);
  armed = true;
  ASSERT_EQ(cursor.GetRecord(grmNext), grrDone);
  EXPECT_GT(asked, 1);
  EXPECT_FALSE(renamed);
  EXPECT_EQ(reader.Code(), 50);
  EXPECT_EQ(reader.Name(), "n50");
  ASSERT_TRUE(OtherProgramRenames(50, "fifty"));
  ASSERT_EQ(cursor.GetRecord(grmCurrent), grrDone);
  EXPECT_EQ(reader.Name(), "fifty");
}

// A walk the caller opens over several reads of the cursor (a scan, the rows
// of a window) is one read: the other program's change waits for its end,
// every record of it is read as the walk began, and the first read after it
// sees the change.
TEST_F(ReadBracketProcessesTest, ACursorWalkOverSeveralReadsKeepsOtherProgramsChangesOutUntilItEnds) {
  TReader reader(file_);
  TDVXLocalCursor& cursor = *reader.cursor;
  {
    TDVXCursorWalk walk(cursor);
    ASSERT_EQ(cursor.GetRecord(grmNext), grrDone);
    EXPECT_EQ(reader.Name(), "n10");
    EXPECT_FALSE(OtherProgramRenames(20, "twenty"));
    EXPECT_FALSE(OtherProgramInserts(60, "n60"));
    std::vector<int32_t> codes;
    while (cursor.GetRecord(grmNext) == grrDone) codes.push_back(reader.Code());
    EXPECT_EQ(codes, (std::vector<int32_t>{20, 30, 40, 50}));
    ASSERT_EQ(cursor.GetRecord(grmPrior), grrDone);
    EXPECT_EQ(reader.Code(), 50);
  }
  ASSERT_TRUE(OtherProgramRenames(20, "twenty"));
  ASSERT_TRUE(OtherProgramInserts(60, "n60"));
  cursor.First();
  std::vector<std::string> names;
  while (cursor.GetRecord(grmNext) == grrDone) names.push_back(reader.Name());
  EXPECT_EQ(names, (std::vector<std::string>{"n10", "twenty", "n30", "n40", "n50", "n60"}));
}

}  // namespace
}  // namespace dvx::test
