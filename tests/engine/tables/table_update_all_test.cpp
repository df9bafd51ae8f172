// UpdateAll: every record of the set changes, or none does.
#include "tests/engine/sql/sql_test_support.h"
#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

using testing::Int;
using testing::Str;

class UpdateAllTest : public TTableFixture {
 protected:
  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    for (int i = 1; i <= 12; ++i) ASSERT_THAT(Insert(i * 10, "R" + std::to_string(i)), Succeeded());
  }
  // "Code:Name" of every record in physical order.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (const TDVXRecordID& id : Walk()) {
      Seek(id);
      rows.push_back(std::to_string(GetInt(kCode).value_or(-1)) + ":" + GetText(kName));
    }
    return rows;
  }
};

TEST_F(UpdateAllTest, SetsTheFieldsOfEveryRecordAndKeepsTheIndexes) {
  cursor_->SetCurrentIndex("IX_Name");
  cursor_->First();
  ASSERT_EQ(grrDone, cursor_->GetRecord(grmNext));
  const TDVXRecordID at = cursor_->RecordID();
  cursor_->Table().UpdateAll(*cursor_, {"Name"}, {Str("Same")});
  // The cursor keeps its record and shows its new value.
  EXPECT_EQ(cursor_->RecordID(), at);
  EXPECT_EQ(GetText(kName), "Same");
  cursor_->SetCurrentIndex("");
  for (const std::string& row : Rows()) EXPECT_THAT(row, ::testing::EndsWith(":Same"));
  ExpectIndexesValid();
  Reopen();
  EXPECT_EQ(Rows().size(), 12u);
  ExpectIndexesValid();
}

TEST_F(UpdateAllTest, NamesAndCountsAreCheckedBeforeAnythingChanges) {
  const std::vector<std::string> before = Rows();
  TDVXTableData& table = cursor_->Table();
  EXPECT_THAT([&] { table.UpdateAll(*cursor_, {"Name", "Nope"}, {Str("x"), Int(1)}); },
              ThrowsDvx(30972, "Cannot find field Nope in table Remedies"));
  EXPECT_THAT([&] { table.UpdateAll(*cursor_, {"Name", "Code"}, {Str("x")}); },
              ThrowsDvx(30973, "Invalid item number - ItemNo = 2, ItemCount = 1"));
  EXPECT_EQ(Rows(), before);
}

TEST_F(UpdateAllTest, AViolationAtAnyRecordLeavesEveryRecordAsItWas) {
  const std::vector<std::string> before = Rows();
  TDVXTableData& table = cursor_->Table();
  // The second record to take Code 5 breaks the unique key.
  EXPECT_THAT([&] { table.UpdateAll(*cursor_, {"Name", "Code"}, {Str("x"), Int(5)}); }, ThrowsDvx(30320));
  EXPECT_THAT([&] { table.UpdateAll(*cursor_, {"Code"}, {TDVXVariant(bftSignedInt32)}); }, ThrowsDvx(30026));
  EXPECT_EQ(Rows(), before);
  EXPECT_FALSE(session_->PageManager().HasChanges(session_->SessionID()));
  ExpectIndexesValid();
}

TEST_F(UpdateAllTest, InsideATransactionAFailureLeavesTheTransactionAsItWas) {
  session_->StartTransaction();
  ASSERT_THAT(Insert(999, "InTransaction"), Succeeded());
  const std::vector<std::string> before = Rows();
  EXPECT_THAT([&] { cursor_->Table().UpdateAll(*cursor_, {"Code"}, {Int(7)}); }, ThrowsDvx(30320));
  EXPECT_EQ(Rows(), before);
  ExpectIndexesValid();
  session_->Commit();
  EXPECT_EQ(Rows(), before);
  Reopen();
  EXPECT_EQ(Rows(), before);
}

}  // namespace
}  // namespace dvx::test
