// RepairTable: the table is rebuilt under its own name with every
// readable record, its indexes and its constraints; damaged records are
// left out with a log line; a repair that cannot finish leaves the old
// table as it was and no new one behind.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "engine/storage/page_types.h"
#include "engine/tables/local_blob_stream.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CursorRepairTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
  }
  using TRow = std::tuple<int32_t, int32_t, std::string>;
  std::set<TRow> Rows() {
    std::set<TRow> rows;
    cursor_->First();
    while (cursor_->GetRecord(grmNext) == grrDone) rows.insert({*GetInt(kId), *GetInt(kCode), GetText(kName)});
    return rows;
  }
  bool Repair(const std::string& table, std::string& log) {
    cursor_.reset();
    TDVXLocalCursor repairer(*session_, table, true);
    return repairer.RepairTable(log);
  }
  std::vector<std::string> TableNames() { return db_->TableNames(); }
};

TEST_F(CursorRepairTest, NeedsACursorMadeForExclusiveUse) {
  std::string log;
  TDVXLocalCursor shared(*session_, kTable);
  EXPECT_THAT([&] { shared.RepairTable(log); },
              ThrowsDvx(11165, "Error - table 'Remedies' is not opened in exclusive mode"));
  session_->StartTransaction();
  TDVXLocalCursor exclusive(*session_, kTable, true);
  EXPECT_THAT([&] { exclusive.RepairTable(log); },
              ThrowsDvx(11167, "Cannot perform this operation inside a transaction"));
  session_->Rollback();
  EXPECT_TRUE(log.empty());
}

TEST_F(CursorRepairTest, AMissingTableIsNotRepaired) {
  std::string log;
  EXPECT_FALSE(Repair("Ghost", log));
  EXPECT_THAT(log, HasSubstr("Table not found, table name = Ghost"));
  EXPECT_THAT(TableNames(), ElementsAre(kTable));
}

TEST_F(CursorRepairTest, KeepsEveryRecordIndexAndConstraint) {
  for (int i = 0; i < 60; ++i) ASSERT_THAT(Insert(1000 - i, "Remedy " + std::to_string(i % 7)), Succeeded());
  const std::set<TRow> before = Rows();
  std::string log;
  ASSERT_TRUE(Repair(kTable, log)) << log;
  EXPECT_EQ(log, "");
  EXPECT_THAT(TableNames(), ElementsAre(kTable)) << "the new table took the old one's name";
  OpenCursor();
  EXPECT_EQ(Rows(), before);
  TDVXTableData& table = cursor_->Table();
  ASSERT_EQ(table.IndexCount(), 3);
  ExpectIndexesValid();
  EXPECT_TRUE(table.IndexManager().IndexDefs().Items(0)->Primary());
  auto insertRecord = [&](std::optional<int32_t> code) {
    cursor_->NewRecord();
    SetInt(kCode, code);
    return cursor_->InsertRecord();
  };
  EXPECT_EQ(insertRecord(1000).code, 30320) << "UQ_Code still holds";
  EXPECT_EQ(insertRecord(std::nullopt).code, 30026) << "NOT NULL still holds";
  ASSERT_THAT(Insert(5, "After"), Succeeded());
  EXPECT_EQ(GetInt(kId), 61) << "the sequence goes on where it stood";
  Reopen();
  EXPECT_EQ(Rows().size(), 61u);
  ExpectIndexesValid();
}

TEST_F(CursorRepairTest, ARecordWhoseBlobCannotBeReadIsSkippedWithALogLine) {
  CreateNotes();
  cursor_ = std::make_unique<TDVXLocalCursor>(*session_, kNotes);
  cursor_->Open();
  std::vector<TDVXRecordID> ids;
  for (int32_t id = 1; id <= 5; ++id) {
    cursor_->NewRecord();
    SetInt(kNoteId, id);
    auto stream = cursor_->OpenBLOB(kBlobModeWrite, kNotePicture);
    const auto picture = Pattern(900, static_cast<uint32_t>(id));
    stream->Write(picture.data(), picture.size());
    cursor_->CloseBLOB(kNotePicture);
    ASSERT_THAT(cursor_->Post(true), Succeeded());
    ids.push_back(cursor_->RecordID());
  }
  // The third note's picture lies alone on a page (900 bytes fill it).
  Seek(ids[2]);
  const TDVXRecordID picture = TDVXRecordID::Decode(cursor_->Record() + Fields().Items(kNotePicture)->MemoryOffset());
  cursor_.reset();
  DamagePageType(picture.pageNo);
  std::string log;
  ASSERT_TRUE(Repair(kNotes, log)) << log;
  EXPECT_EQ(log.rfind("Error - cannot load record (PageNo = " + std::to_string(ids[2].pageNo) +
                          ", PageItemNo = " + std::to_string(ids[2].itemNo) + ") in table 'Notes': ",
                      0),
            0u)
      << log;
  EXPECT_THAT(log, HasSubstr("invalid page type = 119"));
  EXPECT_EQ(log.find("\r\n"), log.size() - 2) << "one line";
  cursor_ = std::make_unique<TDVXLocalCursor>(*session_, kNotes);
  cursor_->Open();
  std::vector<int32_t> kept;
  cursor_->First();
  while (cursor_->GetRecord(grmNext) == grrDone) {
    kept.push_back(*GetInt(kNoteId));
    auto stream = cursor_->OpenBLOB(kBlobModeRead, kNotePicture);
    EXPECT_EQ(ReadAll(*stream), Pattern(900, static_cast<uint32_t>(kept.back())));
    cursor_->CloseBLOB(kNotePicture);
  }
  std::sort(kept.begin(), kept.end());
  EXPECT_THAT(kept, ElementsAre(1, 2, 4, 5));
}

// A record rewritten past the table layer with another record's Code: the
// new table's unique index refuses it, so the repair stops before the old
// table is touched.
TEST_F(CursorRepairTest, AFailedCopyLeavesTheOldTableAndRemovesTheNewOne) {
  for (int i = 0; i < 5; ++i) ASSERT_THAT(Insert(10 + i, "Remedy"), Succeeded());
  const std::vector<TDVXRecordID> ids = Walk();
  std::vector<uint8_t> image(static_cast<size_t>(cursor_->Table().RecordSize()), 0);
  ASSERT_TRUE(cursor_->Table().ReadRecord(session_->SessionID(), ids[3], image.data()));
  SetInt(image.data(), kCode, 10);
  cursor_->Table().RecordManager().UpdateRecord(image.data(), ids[3], session_->SessionID());
  db_->PageManager().ApplyChanges(session_->SessionID());
  const std::set<TRow> before = Rows();
  std::string log;
  EXPECT_FALSE(Repair(kTable, log));
  EXPECT_THAT(log, HasSubstr("Error - repair table failed. Cannot copy records into table: Remedies_REPAIRED_"));
  EXPECT_THAT(log, HasSubstr("Constraint unique 'UQ_Code' violated. Duplicate found."));
  EXPECT_THAT(TableNames(), ElementsAre(kTable));
  OpenCursor();
  EXPECT_EQ(Rows(), before);
}

}  // namespace
}  // namespace dvx::test
