// Fault loops: the Nth write, read or flush of a database-level operation
// fails. Each failure is an engine error that leaves the file as it was
// before the operation (every page in use, the bitmaps and the header but
// for its StateCounter), the database stays usable, and the same operation
// succeeds once the faults stop.
#include <map>

#include "engine/storage/database_checker.h"
#include "engine/storage/disk_database_storage.h"
#include "engine/storage/free_space_layout.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

constexpr int kPageSize = 256;

// What a failed operation must not change: the header without the
// StateCounter (which a failed commit may raise, so that other programs
// reread) and the bytes of every page whose PFS bit is set. Free pages may
// keep whatever a failed operation wrote there.
struct TFileState {
  std::vector<uint8_t> header;
  std::map<int32_t, std::vector<uint8_t>> usedPages;

  static TFileState Of(const std::vector<uint8_t>& bytes) {
    TFileState state;
    state.header.assign(bytes.begin(), bytes.begin() + 298);
    WriteI32(state.header, 22, 0);
    const int32_t pageCount = ReadI32(bytes, 18);
    TDVXFreeSpaceLayout layout(kPageSize, ReadU16(bytes, 16));
    auto page = [&](int64_t no) { return bytes.begin() + 298 + no * kPageSize; };
    for (int64_t no = 0; no < pageCount; ++no) {
      int64_t pfs = layout.PFSPageOf(no);
      std::vector<uint8_t> bitmap(page(pfs), page(pfs + 1));
      if (BitmapBit(bitmap.data() + kPageHeaderSize, no - pfs))
        state.usedPages[static_cast<int32_t>(no)].assign(page(no), page(no + 1));
    }
    return state;
  }
  bool operator==(const TFileState&) const = default;
};

class StorageFaultTest : public TDiskFixture {
 protected:
  // A fresh database, opened, with one table "Keep" that the faults must
  // never disturb.
  void SetUp() override {
    TDVXDiskDatabaseStorage(kFile, FastLocks(), fs_).CreateDatabase(kPageSize, 8, 2);
    db_ = std::make_unique<TDVXDiskDatabaseStorage>(kFile, FastLocks(), fs_);
    TDVXCryptoInfo crypto;
    db_->OpenDatabase(false, true, crypto);
    db_->CreateTableFiles("Keep");
  }

  void ExpectConsistent(const std::string& fault) {
    for (const auto& p : TDVXDatabaseChecker(db_->PageManager()).Check()) ADD_FAILURE() << fault << ": " << p;
  }

  // Runs `prepare` and then `operation` with the Nth I/O call failing, for
  // N from 1 until the operation has run through untouched five times in a
  // row (the fault fell past its I/O). Each failed run must leave the file
  // as `prepare` left it and the checker content; the operation then runs
  // again without faults and must succeed; `undo` takes it back. Returns
  // the number of failed runs.
  int FaultLoop(const std::function<void()>& prepare, const std::function<void(int)>& operation,
                const std::function<void(int)>& undo) {
    int failures = 0, cleanRuns = 0;
    for (int n = 1; n <= 300 && cleanRuns < 5; ++n) {
      prepare();
      TFileState before = TFileState::Of(Bytes());
      SetFault(n);
      auto error = DvxErrorOf([&] { operation(n); });
      SetFault(0);
      if (!error) {
        ++cleanRuns;
        undo(n);
        continue;
      }
      cleanRuns = 0;
      ++failures;
      EXPECT_EQ(TFileState::Of(Bytes()), before) << "fault " << n << ": " << error->what();
      ExpectConsistent("fault " + std::to_string(n));
      EXPECT_NO_THROW(operation(n)) << "fault " << n;
      undo(n);
    }
    EXPECT_EQ(cleanRuns, 5) << "the operation never ran without a fault";
    return failures;
  }

  std::function<void(int)> SetFault = [](int) {};
  std::unique_ptr<TDVXDiskDatabaseStorage> db_;
};

TEST_F(StorageFaultTest, FailedWritesLeaveTheFileAsItWasAndTheRetrySucceeds) {
  SetFault = [&](int n) { fs_.FailNthWrite(n); };
  int creates = FaultLoop([] {}, [&](int n) { db_->CreateTableFiles("T" + std::to_string(n)); },
                          [&](int n) { db_->DropTableFiles("T" + std::to_string(n)); });
  EXPECT_GT(creates, 5);
  // A write fault in a drop's or a rename's commit is met by the commit's
  // second attempt; what fails is reported with the file unchanged.
  FaultLoop([&] { db_->CreateTableFiles("D"); }, [&](int) { db_->DropTableFiles("D"); }, [](int) {});
  FaultLoop([] {}, [&](int) { db_->RenameTable("Keep", "Kept"); }, [&](int) { db_->RenameTable("Kept", "Keep"); });
  EXPECT_EQ(db_->TableNames(), std::vector<std::string>{"Keep"});
  ExpectConsistent("after the loops");
}

TEST_F(StorageFaultTest, FailedReadsLeaveTheFileAsItWasAndTheRetrySucceeds) {
  SetFault = [&](int n) { fs_.FailNthRead(n); };
  int creates = FaultLoop([] {}, [&](int n) { db_->CreateTableFiles("R" + std::to_string(n)); },
                          [&](int n) { db_->DropTableFiles("R" + std::to_string(n)); });
  EXPECT_GT(creates, 5);
  int drops = FaultLoop([&] { db_->CreateTableFiles("D"); }, [&](int) { db_->DropTableFiles("D"); }, [](int) {});
  EXPECT_GT(drops, 1);
  EXPECT_EQ(db_->TableNames(), std::vector<std::string>{"Keep"});
}

// A flush fails after the commit: the change is in the file and reported as
// an error; the file stays consistent.
TEST_F(StorageFaultTest, FailedFlushesAreReportedAndLeaveAConsistentFile) {
  for (int n = 1; n <= 4; ++n) {
    std::string name = "F" + std::to_string(n);
    fs_.FailNthFlush(n);
    auto error = DvxErrorOf([&] { db_->CreateTableFiles(name); });
    fs_.FailNthFlush(0);
    if (error) {
      // The journal's sync or the database's.
      EXPECT_TRUE(error->NativeError() == 30379 || error->NativeError() == 10486) << error->what();
    }
    ExpectConsistent("flush " + std::to_string(n));
    if (db_->TableRecord(name)) db_->DropTableFiles(name);
  }
  EXPECT_EQ(db_->TableNames(), std::vector<std::string>{"Keep"});
}

}  // namespace
}  // namespace dvx::test
