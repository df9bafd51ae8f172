// A second session of the same program reading a table while another
// session's transaction has changed it: it sees the committed records, in
// index order and in physical order, with the committed count, until the
// transaction commits; after a rollback nothing of the change remains.
#include <set>

#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

class TransactionIsolationTest : public TTableFixture {
 protected:
  static constexpr int kCommitted = 20;

  void SetUp() override {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    for (int i = 1; i <= kCommitted; ++i) ASSERT_THAT(Insert(100 + i, "Name" + std::to_string(i)), Succeeded());
    other_ = std::make_unique<TDVXLocalSession>(*db_);
    reader_ = std::make_unique<TDVXLocalCursor>(*other_, kTable);
    reader_->Open();
  }
  void TearDown() override {
    reader_.reset();
    other_.reset();
  }

  // The codes the reading session sees in the order of `index` ("" for
  // physical order).
  std::set<int32_t> CodesSeen(const std::string& index, size_t& steps) {
    reader_->SetCurrentIndex(index);
    std::set<int32_t> codes;
    steps = 0;
    reader_->First();
    while (reader_->GetRecord(grmNext) == grrDone) {
      ++steps;
      int32_t code = 0;
      EXPECT_TRUE(GetFieldData(kCode, reader_->Fields(), &code, reader_->Record()));
      codes.insert(code);
    }
    return codes;
  }
  void ExpectReaderSees(const std::set<int32_t>& expected) {
    for (const char* index : {"PK", "UQ_Code", "IX_Name", ""}) {
      size_t steps = 0;
      std::set<int32_t> seen;
      ASSERT_NO_THROW(seen = CodesSeen(index, steps)) << "order '" << index << "'";
      EXPECT_EQ(seen, expected) << "order '" << index << "'";
      EXPECT_EQ(steps, expected.size()) << "order '" << index << "'";
    }
    EXPECT_EQ(reader_->GetRecordCount(), static_cast<int64_t>(expected.size()));
  }
  static std::set<int32_t> Committed() {
    std::set<int32_t> codes;
    for (int i = 1; i <= kCommitted; ++i) codes.insert(100 + i);
    return codes;
  }
  void DeleteCode(int32_t code) {
    cursor_->SetCurrentIndex("UQ_Code");
    cursor_->First();
    while (cursor_->GetRecord(grmNext) == grrDone)
      if (GetInt(kCode) == code) {
        ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
        return;
      }
    FAIL() << "no record with code " << code;
  }

  std::unique_ptr<TDVXLocalSession> other_;
  std::unique_ptr<TDVXLocalCursor> reader_;
};

TEST_F(TransactionIsolationTest, ADeleteInAnOpenTransactionStaysInvisibleUntilItsCommit) {
  session_->StartTransaction();
  DeleteCode(105);
  EXPECT_EQ(cursor_->GetRecordCount(), kCommitted - 1) << "the transaction sees its own change";
  ExpectReaderSees(Committed());
  EXPECT_EQ(cursor_->GetRecordCount(), kCommitted - 1) << "the other session's reads changed nothing here";
  session_->Commit(false);
  std::set<int32_t> after = Committed();
  after.erase(105);
  ExpectReaderSees(after);
  ExpectIndexesValid();
}

TEST_F(TransactionIsolationTest, AnInsertInAnOpenTransactionStaysInvisibleAndARollbackDropsIt) {
  session_->StartTransaction();
  for (int i = 0; i < 30; ++i) ASSERT_THAT(Insert(500 + i, "Late" + std::to_string(i)), Succeeded());
  ExpectReaderSees(Committed());
  EXPECT_EQ(cursor_->GetRecordCount(), kCommitted + 30);
  ASSERT_THAT(Insert(600, "Last"), Succeeded()) << "the transaction goes on after the other session read";
  session_->Rollback();
  ExpectReaderSees(Committed());
  EXPECT_EQ(cursor_->GetRecordCount(), kCommitted);
  ExpectIndexesValid();
  EXPECT_THAT(FileProblems(), ::testing::IsEmpty());
}

// Enough records that the transaction splits index pages and its roots and
// takes new record pages: none of them is the other session's to see.
TEST_F(TransactionIsolationTest, ATransactionThatGrowsEveryIndexStaysInvisibleUntilItsCommit) {
  session_->StartTransaction();
  std::set<int32_t> after = Committed();
  for (int i = 0; i < 1500; ++i) {
    ASSERT_THAT(Insert(1000 + i, "Grown" + std::to_string(i * 7919 % 1500)), Succeeded());
    after.insert(1000 + i);
  }
  ExpectReaderSees(Committed());
  session_->Commit(false);
  ExpectReaderSees(after);
  ExpectIndexesValid();
}

TEST_F(TransactionIsolationTest, AnInsertSeenAfterItsCommitByTheOtherSession) {
  session_->StartTransaction();
  ASSERT_THAT(Insert(700, "Zeta"), Succeeded());
  ExpectReaderSees(Committed());
  session_->Commit(false);
  std::set<int32_t> after = Committed();
  after.insert(700);
  ExpectReaderSees(after);
}

}  // namespace
}  // namespace dvx::test
