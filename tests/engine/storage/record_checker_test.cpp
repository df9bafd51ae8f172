// The record checker: a sound table has no problems; damaged record pages,
// maps, items and references are each reported, and no damage makes the
// check itself fail.
#include <gtest/gtest.h>

#include <random>

#include "engine/storage/compression/compressor.h"
#include "table_storage_harness.h"

namespace dvx::test {
namespace {

using ::testing::ContainsRegex;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

enum { kId, kName, kPicture };

class RecordChecks : public TTableStorageFixture {
 protected:
  void SetUp() override {
    fields_.Add("Id", aftInteger);
    fields_.Add("Name", aftVarchar, 100);
    fields_.Add("Picture", aftGraphic);
    CreateTable();
    for (int32_t i = 0; i < 30; ++i) {
      std::vector<uint8_t> r = NewRecord();
      SetInt(r, kId, i);
      SetText(r, kName, "Remedy " + std::to_string(i));
      if (i % 3 == 0) SetBlob(r, kPicture, Pattern(i == 0 ? 9000 : 200, static_cast<uint32_t>(i)));
      ids_.push_back(rm_->InsertRecord(r.data(), session_));
    }
    Commit();
  }
  // The byte position of a record's field in its page image.
  size_t FieldAt(const TDVXRecordID& id, int field) {
    return kPageHeaderSize + static_cast<size_t>(rm_->Layout().SlotOffset(id.itemNo)) +
           static_cast<size_t>(fields_.Items(field)->DiskOffset());
  }
  void Damage(int32_t pageNo, const std::function<void(std::vector<uint8_t>&)>& change) {
    std::vector<uint8_t> page = FilePage(pageNo);
    change(page);
    WriteFilePage(pageNo, page);
  }
  // Problems that mention `text`.
  ::testing::Matcher<std::vector<std::string>> Mentions(const std::string& text) {
    return Contains(HasSubstr(text));
  }
  std::vector<TDVXRecordID> ids_;
};

TEST_F(RecordChecks, ASoundTableHasNoProblems) {
  std::vector<std::string> problems = CheckFile();
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

TEST_F(RecordChecks, ASlotBitmapDisagreeingWithThePageValueIsReported) {
  Damage(ids_[0].pageNo, [&](std::vector<uint8_t>& p) { p[kPageHeaderSize] |= 0x02; });  // frees slot 1
  EXPECT_THAT(CheckFile(), Mentions("used slots"));
}

TEST_F(RecordChecks, ARecordCountOtherThanThePagesIsReported) {
  TDVXTablePFSMapFile file(PM());
  file.Open(table_.pfsMapFirstPageNo);
  file.Load(session_);
  file.State().entries[0].recordCount += 3;
  file.Save(session_);
  Commit();
  EXPECT_THAT(CheckFile(), Mentions("counts 33 records but its record pages hold 30"));
}

TEST_F(RecordChecks, AReferenceToAMissingItemAndTheItemNoLongerNamedAreReported) {
  Damage(ids_[4].pageNo, [&](std::vector<uint8_t>& p) { WriteU16(p, FieldAt(ids_[4], kName) + 4, 77); });
  std::vector<std::string> problems = CheckFile();
  EXPECT_THAT(problems, Mentions("field Name -> item"));
  EXPECT_THAT(problems, Mentions("is named by no record"));
}

TEST_F(RecordChecks, TwoReferencesToOneItemAreReported) {
  Damage(ids_[5].pageNo, [&](std::vector<uint8_t>& p) {
    std::copy_n(p.begin() + static_cast<ptrdiff_t>(FieldAt(ids_[4], kName)), 6,
                p.begin() + static_cast<ptrdiff_t>(FieldAt(ids_[5], kName)));
  });
  EXPECT_THAT(CheckFile(), Mentions("is named by more than one reference"));
}

TEST_F(RecordChecks, ADirectoryOutsideItsPageAndAWrongFreeSpaceAreReported) {
  std::vector<uint8_t> page = FilePage(ids_[0].pageNo);
  const TDVXRecordID name = TDVXRecordID::Decode(page.data() + FieldAt(ids_[0], kName));
  const size_t end = static_cast<size_t>(PM().PageSize());
  Damage(name.pageNo, [&](std::vector<uint8_t>& p) { WriteU16(p, end - 4, 4000); });
  EXPECT_THAT(CheckFile(), Mentions("lies outside the page's items"));
}

TEST_F(RecordChecks, APageValueOtherThanTheFreeSpaceIsReported) {
  std::vector<uint8_t> page = FilePage(ids_[0].pageNo);
  const TDVXRecordID name = TDVXRecordID::Decode(page.data() + FieldAt(ids_[0], kName));
  const int coverage = rm_->Maps().Coverage();
  const int32_t pfs = rm_->Maps().Entries()[static_cast<size_t>(name.pageNo / coverage)].pfsPageNo;
  Damage(pfs, [&](std::vector<uint8_t>& p) { WriteU16(p, kPageHeaderSize + 2 * static_cast<size_t>(name.pageNo % coverage), 5); });
  EXPECT_THAT(CheckFile(), Mentions("free bytes but PageValue 5"));
}

TEST_F(RecordChecks, ABrokenLargeItemChainIsReported) {
  const TDVXRecordID picture = TDVXRecordID::Decode(FilePage(ids_[0].pageNo).data() + FieldAt(ids_[0], kPicture));
  Damage(picture.pageNo, [&](std::vector<uint8_t>& p) { WriteI32(p, 10, -1); });
  std::vector<std::string> problems = CheckFile();
  EXPECT_THAT(problems, Mentions("its chain has 1 pages, not 3"));
  EXPECT_THAT(problems, Mentions("belongs to no item a record names"));
}

TEST_F(RecordChecks, AnItemNoRecordNamesIsReported) {
  rm_->Items().WriteItem(session_, tpkBlobs, {0, 10, 0}, Pattern(10));
  rm_->Maps().Save(session_);
  Commit();
  EXPECT_THAT(CheckFile(), Mentions("is named by no record"));
}

TEST_F(RecordChecks, ATablePFSPageOfAnotherTypeIsReported) {
  const int32_t pfs = rm_->Maps().Entries()[0].pfsPageNo;
  Damage(pfs, [&](std::vector<uint8_t>& p) { WriteU16(p, 8, PageTypeIDTableRows); });
  EXPECT_THAT(CheckFile(), Mentions("is not a table PFS page of the table"));
}

TEST_F(RecordChecks, APageOfAnotherOwnerIsReported) {
  Damage(ids_[10].pageNo, [&](std::vector<uint8_t>& p) { WriteI32(p, 22, 999); });
  EXPECT_THAT(CheckFile(), Mentions("belongs to owner 999"));
}

TEST_F(RecordChecks, DefinitionsThatCannotBeReadAreReported) {
  TDVXTableMetadataFile file(PM());
  file.Open(table_.metadataFirstPageNo);
  file.WriteStream(session_, TDVXMemoryStream(std::vector<uint8_t>{1, 0, 0, 0, 9}));
  Commit();
  EXPECT_THAT(CheckFile(), Mentions("its definitions cannot be read"));
}

// Missing definitions matter only where there are records to read them
// for: a table whose files exist but hold no definitions yet is sound, and
// the table with records is reported once its definitions are gone.
TEST_F(RecordChecks, EmptyDefinitionsAreAProblemOnlyBesideRecords) {
  db_->CreateTableFiles("NoDefinitionsYet");
  EXPECT_THAT(CheckFile(), IsEmpty());
  TDVXTableMetadataFile file(PM());
  file.Open(table_.metadataFirstPageNo);
  file.WriteStream(session_, TDVXMemoryStream());
  Commit();
  EXPECT_THAT(CheckFile(), ElementsAre(HasSubstr("table 'Remedies': it has no field definitions")));
}

// Random bytes of random table pages changed: the check always finishes
// with its list of problems.
TEST_F(RecordChecks, RandomDamageIsReportedNeverThrown) {
  std::mt19937 rng(3);
  const int32_t pageCount = PM().GetPageCount();
  int reported = 0;
  for (int round = 0; round < 40; ++round) {
    const int32_t pageNo = 10 + static_cast<int32_t>(rng() % static_cast<uint32_t>(pageCount - 10));
    std::vector<uint8_t> original = FilePage(pageNo);
    Damage(pageNo, [&](std::vector<uint8_t>& p) {
      for (int k = 0; k < 6; ++k) p[rng() % p.size()] = static_cast<uint8_t>(rng());
    });
    std::vector<std::string> problems;
    EXPECT_EQ(0, DvxCodeOf([&] { problems = CheckFile(); })) << "page " << pageNo;
    reported += !problems.empty();
    WriteFilePage(pageNo, original);
  }
  EXPECT_GT(reported, 10);
  EXPECT_TRUE(CheckFile().empty());
}

}  // namespace
}  // namespace dvx::test
