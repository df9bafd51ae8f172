// A record page that is not what the table's page map says (its type
// overwritten): every way of reaching its records reports the damage with
// its cause, and none ends a walk as if the table ended there.
#include "engine/tables/table_data_errors.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class DamagedRecordPageTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase(1024);
    CreateRemedies();
    OpenCursor();
    for (int32_t code = 1; code <= 200; ++code) ASSERT_THAT(Insert(code, "Name " + std::to_string(code)), Succeeded());
    // A record in the middle: its page is damaged, the pages before it
    // are not.
    cursor_->SetCurrentIndex("UQ_Code");
    const int32_t code = 120;
    SetInt(cursor_->KeyBuffer().data(), kCode, code);
    cursor_->SetKeyFieldCount(1);
    ASSERT_TRUE(cursor_->GotoKey(ctEqual));
    damaged_ = cursor_->RecordID();
    cursor_->SetCurrentIndex("");
    DamagePageType(damaged_.pageNo);
  }
  static constexpr const char* kCause = "not a record page of the table (type 119)";
  TDVXRecordID damaged_;
};

TEST_F(DamagedRecordPageTest, APhysicalWalkStopsWithTheCauseWhereThePageStands) {
  cursor_->First();
  int read = 0;
  TDVXGetRecordResult result;
  while ((result = cursor_->GetRecord(grmNext)) == grrDone) ++read;
  EXPECT_EQ(result, grrError) << "the walk must not end as if the table ended";
  EXPECT_LT(read, 200);
  EXPECT_THAT(cursor_->Table().LastReadCause(), HasSubstr(kCause));
}

TEST_F(DamagedRecordPageTest, EditingARecordOfThePageNamesTheRecordAndTheCause) {
  cursor_->SetPosition(false, false, damaged_);
  const TDVXCursorResult result = cursor_->BeginEdit();
  EXPECT_EQ(result.nativeCode, kErrLoadRecord);
  EXPECT_THAT(result.message, HasSubstr("Error - cannot load record (PageNo = " + std::to_string(damaged_.pageNo)));
  EXPECT_THAT(result.message, HasSubstr(kCause));
}

TEST_F(DamagedRecordPageTest, AnIndexIsNotBuiltOverPartOfTheRecords) {
  TDVXIndexDef index;
  index.SetObjectName("IX_Id_Code");
  index.AddColumn("Id");
  index.AddColumn("Code");
  cursor_.reset();
  TDVXLocalCursor exclusive(*session_, kTable, true);
  EXPECT_THAT([&] { exclusive.AddIndex(index); }, ThrowsDvx(kErrLoadRecord, HasSubstr(kCause)));
}

TEST_F(DamagedRecordPageTest, TheMessageNamesTheRecordTheTableAndTheCause) {
  TDVXTableData& table = cursor_->Table();
  EXPECT_THAT([&] { table.CannotLoad(damaged_, "why"); },
              ThrowsDvx(kErrLoadRecord, "Error - cannot load record (PageNo = " + std::to_string(damaged_.pageNo) +
                                            ", PageItemNo = " + std::to_string(damaged_.itemNo) +
                                            ") in table 'Remedies': why"));
}

}  // namespace
}  // namespace dvx::test
