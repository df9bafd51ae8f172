// dvx check compares every table's records with its indexes and
// constraints: damage made by writing records or index entries past the
// table layer is reported, one line per problem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/schema/record_buffer.h"
#include "engine/storage/table_files.h"
#include "engine/tables/local_blob_stream.h"
#include "tests/tools/dvx_table_fixture.h"

namespace {

using dvxtest::RunDvx;
using namespace dvx;
using namespace dvx::test;

class DvxTableCheckTest : public dvxtest::TDvxTableTest {
 protected:
  int32_t Session() { return session_->SessionID(); }
  TDVXTableData& Table() { return cursor_->Table(); }
  // The stored image of a record.
  std::vector<uint8_t> Image(const TDVXRecordID& id) {
    std::vector<uint8_t> image(static_cast<size_t>(Table().RecordSize()), 0);
    EXPECT_TRUE(Table().ReadRecord(Session(), id, image.data()));
    return image;
  }
  // Rewrites a record without touching any index.
  void RewriteRecord(const TDVXRecordID& id, std::vector<uint8_t>& image) {
    Table().RecordManager().UpdateRecord(image.data(), id, Session());
  }
  void Commit() { db_->PageManager().ApplyChanges(Session()); }
  // Sets a record's Code past the constraint checks, keeping UQ_Code in
  // step so the constraint is the only fault, and returns the problems
  // dvx check then reports.
  std::vector<std::string> ForceCode(const TDVXRecordID& id, const int32_t* code) {
    auto old = Image(id);
    auto image = old;
    SetFieldData(kCode, Fields(), code, image.data());
    Table().IndexByName("UQ_Code")->UpdateRecord(Session(), old.data(), image.data(), id);
    RewriteRecord(id, image);
    Commit();
    Export();
    auto run = RunDvx("check " + file_);
    EXPECT_EQ(run.status, 1);
    return ProblemLines(run.out);
  }
  std::vector<std::string> ProblemLines(const std::string& out) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1)
      if (out.compare(at, 9, "problem: ") == 0) lines.push_back(out.substr(at + 9, end - at - 9));
    return lines;
  }
  static std::string RecordText(const TDVXRecordID& id) {
    return "record " + std::to_string(id.pageNo) + ":" + std::to_string(id.itemNo);
  }
};

TEST_F(DvxTableCheckTest, TablesBuiltThroughTheTableLayerAreClean) {
  CreateFilledRemedies();
  for (int i = 0; i < 300; ++i) ASSERT_THAT(Insert(100 + i, "Remedy " + std::to_string(i)), Succeeded());
  // Deletes spread over the pages leave gaps the check must not mind.
  auto ids = Walk();
  for (size_t i = 0; i < ids.size(); i += 7) {
    Seek(ids[i]);
    ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
  }
  Export();
  auto run = RunDvx("check " + file_);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.find("unowned"), std::string::npos) << "index and record pages have owners: " << run.out;
}

// Metadata that reads as definitions while the sequences and index
// definitions do not (what bytes written past the table layer, as dvx
// crashtest writes them, may look like) is listed apart, not opened.
TEST_F(DvxTableCheckTest, DefinitionsWithoutTheirStateAreListedApart) {
  CreateFilledRemedies();
  cursor_->Close();
  auto& storage = static_cast<TDVXDiskDatabaseData&>(*db_).Storage();
  TDVXTableMostUpdatedFile state(db_->PageManager());
  state.Open(storage.TableRecord(kTable)->mostUpdatedFirstPageNo);
  TDVXMemoryStream empty;
  state.WriteStream(Session(), empty);
  Commit();
  Export();
  auto run = RunDvx("check " + file_);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("table not compared with its indexes: Remedies ("), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("cannot be opened"), std::string::npos) << run.out;
}

TEST_F(DvxTableCheckTest, MissingIndexEntryIsReported) {
  CreateFilledRemedies();
  const TDVXRecordID second = Walk()[1];
  auto image = Image(second);
  Table().IndexByName("IX_Name")->DeleteRecord(Session(), image.data(), second);
  Commit();
  Export();
  auto run = RunDvx("check " + file_);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ProblemLines(run.out),
            std::vector<std::string>{"table 'Remedies': " + RecordText(second) + " has no entry in index 'IX_Name'"})
      << run.out;
}

TEST_F(DvxTableCheckTest, EntriesOfADeletedRecordPointAtNoLiveRecord) {
  CreateFilledRemedies();
  const TDVXRecordID first = Walk()[0];
  Table().RecordManager().DeleteRecord(first, Session());
  Commit();
  Export();
  auto run = RunDvx("check " + file_);
  EXPECT_EQ(run.status, 1);
  std::vector<std::string> expected;
  for (const char* index : {"PK", "UQ_Code", "IX_Name"})
    expected.push_back("table 'Remedies': index '" + std::string(index) + "': the entry of " + RecordText(first) +
                       " points at no live record");
  EXPECT_EQ(ProblemLines(run.out), expected) << run.out;
}

TEST_F(DvxTableCheckTest, EntryWithAnotherKeyThanItsRecordIsReported) {
  CreateFilledRemedies();
  const TDVXRecordID third = Walk()[2];
  auto image = Image(third);
  SetFieldData(kName, Fields(), "Zinnia", image.data());
  RewriteRecord(third, image);
  Commit();
  Export();
  auto run = RunDvx("check " + file_);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ProblemLines(run.out),
            std::vector<std::string>{"table 'Remedies': index 'IX_Name': the entry of " + RecordText(third) +
                                     " holds another key than the record's fields give"})
      << run.out;
}

TEST_F(DvxTableCheckTest, NullInANotNullFieldIsReported) {
  CreateFilledRemedies();
  const TDVXRecordID first = Walk()[0];
  const auto problems = ForceCode(first, nullptr);
  ASSERT_EQ(problems.size(), 1u) << ::testing::PrintToString(problems);
  EXPECT_EQ(problems[0].rfind("table 'Remedies': " + RecordText(first) + ": field 'Code' is NULL against NOT NULL "
                              "constraint '",
                              0),
            0u)
      << problems[0];
}

TEST_F(DvxTableCheckTest, DuplicateUniqueKeyIsReported) {
  CreateFilledRemedies();
  const auto ids = Walk();
  const int32_t code = 10;  // the first record's
  const auto problems = ForceCode(ids[2], &code);
  ASSERT_EQ(problems.size(), 1u) << ::testing::PrintToString(problems);
  EXPECT_NE(problems[0].find(RecordText(ids[0]) + " and " + RecordText(ids[2]) + " share the key of unique constraint '"),
            std::string::npos)
      << problems[0];
}

TEST_F(DvxTableCheckTest, DamagedIndexPageIsReportedAndNotCompared) {
  CreateFilledRemedies();
  const int32_t root = Table().IndexByName("PK")->IndexDef().RootPageNo();
  Export();
  auto bytes = dvxtest::ReadAll(file_);
  const size_t pageStart = 298 + static_cast<size_t>(root) * 1024;
  ASSERT_LT(pageStart + 1024, bytes.size() + 1);
  std::fill(bytes.begin() + static_cast<ptrdiff_t>(pageStart), bytes.begin() + static_cast<ptrdiff_t>(pageStart + 64),
            0xEE);
  dvxtest::WriteAll(file_, bytes);
  auto run = RunDvx("check " + file_);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("problem: table 'Remedies': index 'PK': page " + std::to_string(root)), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("index 'PK' is not compared with the records"), std::string::npos) << run.out;
}

// A bit flipped inside a compressed BLOB value leaves every page, item and
// reference sound; only reading the value finds it. dvx check reads every
// value, and dvx dump stops on it instead of printing its size.
TEST_F(DvxTableCheckTest, DamageInsideACompressedBlobValueIsFoundByCheckAndDump) {
  CreateDatabase();
  CreateNotes(true);
  cursor_ = std::make_unique<TDVXLocalCursor>(*session_, kNotes);
  cursor_->Open();
  std::vector<uint8_t> picture(20000);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>((i * 7) % 251 ^ (i / 97));
  cursor_->NewRecord();
  const int32_t id = 1;
  SetFieldData(kNoteId, cursor_->Fields(), &id, cursor_->Record());
  {
    auto stream = cursor_->OpenBLOB(kBlobModeWrite, kNotePicture);
    ASSERT_EQ(stream->Write(picture.data(), picture.size()), picture.size());
    cursor_->CloseBLOB(kNotePicture);
  }
  ASSERT_THAT(cursor_->Post(true), Succeeded());
  cursor_->First();
  ASSERT_EQ(cursor_->GetRecord(grmNext), grrDone);
  const TDVXRecordID value = TDVXRecordID::Decode(cursor_->Record() + Fields().Items(kNotePicture)->MemoryOffset());
  Export();
  ASSERT_EQ(RunDvx("check " + file_).status, 0);
  auto bytes = dvxtest::ReadAll(file_);
  const size_t at = 298 + static_cast<size_t>(value.pageNo) * 1024 + 400;
  ASSERT_LT(at, bytes.size());
  bytes[at] ^= 0x10;
  dvxtest::WriteAll(file_, bytes);
  auto check = RunDvx("check " + file_);
  EXPECT_EQ(check.status, 1) << check.out;
  const std::vector<std::string> problems = ProblemLines(check.out);
  ASSERT_EQ(problems.size(), 1u) << check.out;
  EXPECT_THAT(problems[0], ::testing::StartsWith("table 'Notes': record "));
  EXPECT_THAT(problems[0], ::testing::HasSubstr(": the value of field 'Picture' cannot be read ("));
  auto dump = RunDvx("dump " + file_ + " Notes");
  EXPECT_EQ(dump.status, 1) << dump.out;
  EXPECT_NE(dump.out.find("dvx: record 1, field 'Picture': "), std::string::npos) << dump.out;
  EXPECT_EQ(dump.out.find("<20000 bytes>"), std::string::npos) << dump.out;
}

}  // namespace
