// Simulated power loss: the in-memory file system stops at the Nth write,
// sync or truncation of a commit, everything not synced is lost, and the
// database is opened again. For every N of a set of representative commits
// the file must show exactly the state before or the state after the
// commit, the checker must accept it (pages taken from the free space and
// not yet committed may be left without an owner), and the commit can be
// made again.
#include <map>

#include "engine/storage/database_checker.h"
#include "engine/storage/disk_database_storage.h"
#include "tests/engine/storage/storage_test_util.h"

namespace dvx::test {
namespace {

using TTables = std::map<std::string, std::vector<uint8_t>>;

struct TScenario {
  const char* name;
  int pageSize;
  bool encrypted;
  std::function<void(TDVXDiskDatabaseStorage&)> prepare;  // committed before the cut
  std::function<void(TDVXDiskDatabaseStorage&)> commit;   // the commit that is cut
  bool releases = false;                               // the commit frees pages
};

void SetMetadata(TDVXDiskDatabaseStorage& db, const std::string& table, size_t size, uint8_t fill) {
  auto record = db.TableRecord(table);
  ASSERT_TRUE(record.has_value());
  TDVXInternalDBFile file(db.PageManager(), DVXPageTypeIDTableMetadata);
  file.Open(record->metadataFirstPageNo, false);
  file.ReadFile(1);
  file.Content().assign(size, fill);
  file.WriteFile(1);
  db.PageManager().ApplyChanges(1);
}

class JournalPowerLossTest : public ::testing::TestWithParam<TScenario> {
 protected:
  std::unique_ptr<TDVXDiskDatabaseStorage> OpenOn(TDVXMemoryFileSystem& fs) {
    auto db = std::make_unique<TDVXDiskDatabaseStorage>("p.dvx", FastLocks(), fs);
    TDVXCryptoInfo crypto = Crypto();
    db->OpenDatabase(false, true, crypto);
    return db;
  }
  TDVXCryptoInfo Crypto() const {
    TDVXCryptoInfo crypto;
    if (GetParam().encrypted) {
      crypto.algorithm = craBlowfish;
      crypto.password = "k";
    }
    return crypto;
  }
  static TTables Tables(TDVXDiskDatabaseStorage& db) {
    TTables tables;
    for (const auto& name : db.TableNames()) {
      TDVXInternalDBFile file(db.PageManager(), DVXPageTypeIDTableMetadata);
      file.Open(db.TableRecord(name)->metadataFirstPageNo, false);
      file.ReadFile(1);
      tables[name] = file.Content();
    }
    return tables;
  }
  // Problems that are corruption: pages left without an owner and extent
  // hints that a crash may leave behind are not.
  static std::vector<std::string> Corruption(TDVXDiskDatabaseStorage& db) {
    std::vector<std::string> problems;
    for (const auto& p : TDVXDatabaseChecker(db.PageManager()).Check())
      if (p.find("belongs to no structure") == std::string::npos && p.find("GAM") == std::string::npos)
        problems.push_back(p);
    return problems;
  }

  void SetUp() override {
    if (GetParam().encrypted) SetPageCryptoProvider(XorProvider());
  }
  // The database before the commit (image), the state before and after it,
  // and the number of writes, syncs and truncations the commit makes.
  void Prepare() {
    const TScenario& s = GetParam();
    TDVXMemoryFileSystem origin;
    TDVXDiskDatabaseStorage("p.dvx", FastLocks(), origin).CreateDatabase(s.pageSize, 8, 2, Crypto());
    {
      auto db = OpenOn(origin);
      s.prepare(*db);
      before = Tables(*db);
    }
    image = origin.Contents("p.dvx");
    TDVXMemoryFileSystem fs;
    fs.SetContents("p.dvx", image);
    auto db = OpenOn(fs);
    const int start = fs.MutationCount();
    s.commit(*db);
    mutations = fs.MutationCount() - start;
    after = Tables(*db);
  }
  std::vector<uint8_t> image;
  TTables before, after;
  int mutations = 0;
  void TearDown() override { SetPageCryptoProvider({}); }
};

TEST_P(JournalPowerLossTest, EveryCutLeavesTheStateBeforeOrAfterTheCommit) {
  const TScenario& s = GetParam();
  Prepare();
  ASSERT_NE(before, after) << "the commit changes nothing";
  ASSERT_GT(mutations, 3);
  int recovered = 0, sawBefore = 0, sawAfter = 0;
  for (int n = 1; n <= mutations + 1; ++n) {
    TDVXMemoryFileSystem fs;
    fs.SetContents("p.dvx", image);
    bool returned = false;
    {
      auto db = OpenOn(fs);
      fs.CutPowerAt(n);
      returned = !DvxErrorOf([&] { s.commit(*db); });
      // The program dies with the machine: nothing it does now reaches
      // the disk.
      DvxErrorOf([&] { db->CloseDatabase(); });
    }
    fs.Crash();
    fs.RestorePower();
    auto db = OpenOn(fs);
    recovered += db->PageManager().Recoveries();
    TTables now = Tables(*db);
    EXPECT_TRUE(now == before || now == after) << s.name << ", cut at " << n;
    sawBefore += now == before;
    sawAfter += now == after;
    for (const auto& p : Corruption(*db)) ADD_FAILURE() << s.name << ", cut at " << n << ": " << p;
    // The database goes on: the commit can be made again.
    if (now == before) s.commit(*db);
    EXPECT_EQ(Tables(*db), after) << s.name << ", cut at " << n;
  }
  EXPECT_GT(recovered, 0) << "no cut fell between the journal and the commit point";
  EXPECT_GT(sawBefore, 0);
  // The emptied journal header is synced only by commits that release
  // pages; after the others a power loss undoes the last commit.
  if (s.releases) EXPECT_GT(sawAfter, 0);
}

// A program that is killed (not a machine losing power) loses nothing it
// wrote: the file holds what the commit wrote up to that instant, and the
// next open plays the journal back or finds the commit complete.
TEST_P(JournalPowerLossTest, AKilledProgramLeavesTheStateBeforeOrAfterTheCommit) {
  const TScenario& s = GetParam();
  Prepare();
  for (int n = 1; n <= mutations + 1; ++n) {
    TDVXMemoryFileSystem fs;
    fs.SetContents("p.dvx", image);
    bool returned = false;
    {
      auto db = OpenOn(fs);
      fs.CutPowerAt(n);
      returned = !DvxErrorOf([&] { s.commit(*db); });
      DvxErrorOf([&] { db->CloseDatabase(); });
    }
    fs.RestorePower();
    auto db = OpenOn(fs);
    TTables now = Tables(*db);
    if (returned)
      EXPECT_EQ(now, after) << s.name << ", killed at " << n;
    else
      EXPECT_TRUE(now == before || now == after) << s.name << ", killed at " << n;
    for (const auto& p : Corruption(*db)) ADD_FAILURE() << s.name << ", killed at " << n << ": " << p;
  }
}

const TScenario kScenarios[] = {
    {"create", 512, false, [](TDVXDiskDatabaseStorage& db) { db.CreateTableFiles("Keep"); },
     [](TDVXDiskDatabaseStorage& db) { db.CreateTableFiles("New"); }},
    {"grow past a PFS page", 128, false,
     [](TDVXDiskDatabaseStorage& db) {
       db.CreateTableFiles("Big");
       SetMetadata(db, "Big", 59000, 1);  // a few pages short of the second PFS page
     },
     [](TDVXDiskDatabaseStorage& db) { SetMetadata(db, "Big", 64000, 2); }},
    {"drop", 512, false,
     [](TDVXDiskDatabaseStorage& db) {
       db.CreateTableFiles("Keep");
       db.CreateTableFiles("Gone");
       SetMetadata(db, "Gone", 3000, 3);
     },
     [](TDVXDiskDatabaseStorage& db) { db.DropTableFiles("Gone"); }, true},
    {"shrink", 256, false,
     [](TDVXDiskDatabaseStorage& db) {
       db.CreateTableFiles("Small");
       SetMetadata(db, "Small", 5000, 4);
     },
     [](TDVXDiskDatabaseStorage& db) { SetMetadata(db, "Small", 10, 5); }, true},
    {"rename", 512, false, [](TDVXDiskDatabaseStorage& db) { db.CreateTableFiles("Old"); },
     [](TDVXDiskDatabaseStorage& db) { db.RenameTable("Old", "Young"); }},
    {"encrypted", 512, true,
     [](TDVXDiskDatabaseStorage& db) {
       db.CreateTableFiles("Keep");
       SetMetadata(db, "Keep", 700, 6);
     },
     [](TDVXDiskDatabaseStorage& db) { SetMetadata(db, "Keep", 1500, 7); }},
};

INSTANTIATE_TEST_SUITE_P(Commits, JournalPowerLossTest, ::testing::ValuesIn(kScenarios), [](const auto& info) {
  std::string name = info.param.name;
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

}  // namespace
}  // namespace dvx::test
