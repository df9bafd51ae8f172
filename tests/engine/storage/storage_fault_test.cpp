// Fault loops: the Nth write of a database-level operation fails. Each
// failure is an engine error, the database stays usable, and the file keeps
// its structures consistent.
#include "engine/storage/database_checker.h"
#include "engine/storage/disk_database_data.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

class StorageFaultTest : public TDiskFixture {
 protected:
  // A fresh database, opened, with one table "Keep" that the faults must
  // never disturb.
  std::unique_ptr<TDVXDiskDatabaseData> OpenWithKeptTable() {
    TDVXDiskDatabaseData(kFile, FastLocks(), fs_).CreateDatabase(256, 8, 2);
    auto db = std::make_unique<TDVXDiskDatabaseData>(kFile, FastLocks(), fs_);
    TDVXCryptoInfo crypto;
    db->OpenDatabase(false, true, crypto);
    db->CreateTableFiles("Keep");
    return db;
  }

  static void ExpectConsistent(TDVXDiskDatabaseData& db, const std::string& fault) {
    for (const auto& p : TDVXDatabaseChecker(db.PageManager()).Check()) ADD_FAILURE() << fault << ": " << p;
  }

  // Enough of the faults hit the operation, and no table they touched is left.
  static void ExpectOnlyKeptTableAfter(TDVXDiskDatabaseData& db, int failures) {
    EXPECT_GT(failures, 10);
    EXPECT_EQ(db.TableNames(), std::vector<std::string>{"Keep"});
  }
};

TEST_F(StorageFaultTest, CreatingAndDroppingTablesSurvivesEveryFailedWrite) {
  auto owner = OpenWithKeptTable();
  TDVXDiskDatabaseData& db = *owner;
  int failures = 0;
  for (int n = 1; n <= 40; ++n) {
    std::string name = "T" + std::to_string(n);
    fs_.FailNthWrite(n);
    int32_t code = NativeOf([&] {
      db.CreateTableFiles(name);
      db.DropTableFiles(name);
    });
    fs_.FailNthWrite(0);
    if (code != 0) ++failures;
    ExpectConsistent(db, "write " + std::to_string(n));
    // Still usable: the table list is readable and a table can be made.
    db.CreateTableFiles("After" + std::to_string(n));
    db.DropTableFiles("After" + std::to_string(n));
    if (db.TableRecord(name)) db.DropTableFiles(name);
  }
  ExpectOnlyKeptTableAfter(db, failures);
}

TEST_F(StorageFaultTest, FailedReadsAndFlushesLeaveNothingHalfDone) {
  auto owner = OpenWithKeptTable();
  TDVXDiskDatabaseData& db = *owner;
  int failures = 0;
  for (int n = 1; n <= 40; ++n) {
    std::string name = "R" + std::to_string(n);
    fs_.FailNthRead(n);
    fs_.FailNthFlush(n % 3 + 1);
    int32_t code = NativeOf([&] {
      db.CreateTableFiles(name);
      db.RenameTable(name, name + "x");
      db.DropTableFiles(name + "x");
    });
    fs_.FailNthRead(0);
    fs_.FailNthFlush(0);
    failures += code != 0;
    ExpectConsistent(db, "read " + std::to_string(n));
    for (const auto& left : {name, name + "x"})
      if (db.TableRecord(left)) db.DropTableFiles(left);
  }
  ExpectOnlyKeptTableAfter(db, failures);
}

}  // namespace
}  // namespace dvx::test
