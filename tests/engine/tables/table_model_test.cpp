// The table layer against an in-memory model: thousands of random inserts,
// updates and deletes with NULLs, duplicate keys, explicit and drawn
// autoincrement values, inside and outside transactions, with writes of
// the file failing at random. After every step the record count, the
// records in physical order and in the order of every index agree with the
// model; at the end, and now and then on the way, the file is reopened.
#include <map>
#include <random>

#include "tests/engine/tables/table_test_support.h"

namespace dvx::test {
namespace {

struct TModelRecord {
  int32_t id = 0;
  std::optional<int32_t> code;
  std::string name;  // "" is NULL
  bool operator==(const TModelRecord&) const = default;
};

struct TByRecordID {
  bool operator()(const TDVXRecordID& a, const TDVXRecordID& b) const { return CompareRecordIDs(a, b) < 0; }
};
using TModel = std::map<TDVXRecordID, TModelRecord, TByRecordID>;

class TableModelTest : public TTableFixture {
 protected:
  TModelRecord Current() { return {*GetInt(kId), GetInt(kCode), GetText(kName)}; }

  std::string RandomName() {
    static const char* kNames[] = {"arnica", "Arnica", "ARNICA", "Belladonna", "bryonia", "Calendula", "",
                                   "Hepar sulfuris", "Ignatia", "Nux vomica", "pulsatilla", "Sulfur"};
    std::string name = kNames[rng_() % 12];
    if (!name.empty() && rng_() % 3 == 0) name += " " + std::to_string(rng_() % 50);
    return name;
  }
  std::optional<int32_t> RandomCode() {
    if (rng_() % 25 == 0) return std::nullopt;
    return static_cast<int32_t>(rng_() % 400);
  }
  bool CodeTaken(const TModel& model, std::optional<int32_t> code, const TDVXRecordID* except = nullptr) {
    for (auto& [id, r] : model)
      if (r.code == code && (!except || !(id == *except))) return true;
    return false;
  }

  // One random operation; the model changes only when it succeeded.
  void Step(TModel& model) {
    const int what = model.empty() ? 0 : static_cast<int>(rng_() % 10);
    if (what < 5) {
      TModelRecord r{0, RandomCode(), RandomName()};
      std::optional<int32_t> explicitID;
      if (rng_() % 10 == 0 && !model.empty())
        explicitID = std::next(model.begin(), static_cast<long>(rng_() % model.size()))->second.id;  // taken
      else if (rng_() % 10 == 0)
        explicitID = -static_cast<int32_t>(rng_() % 1000) - 1;
      bool idTaken = false;
      for (auto& [id, m] : model) idTaken = idTaken || (explicitID && m.id == *explicitID);
      const bool refused = !r.code || CodeTaken(model, r.code) || idTaken;
      const TDVXCursorResult result = Insert(r.code, r.name, explicitID);
      if (refused) {
        ASSERT_FALSE(result.ok()) << "an insert that breaks a constraint was accepted";
        ASSERT_TRUE(result.code == 30026 || result.code == 30320 || result.code == 30319 || faults_) << result.code;
        ++refused_;
        return;
      }
      if (!result.ok()) {
        ASSERT_TRUE(faults_) << result.message;
        ++failed_;
        return;
      }
      r.id = explicitID ? *explicitID : ++lastAutoinc_;
      ASSERT_EQ(GetInt(kId), r.id);
      model[cursor_->RecordID()] = r;
    } else {
      auto it = std::next(model.begin(), static_cast<long>(rng_() % model.size()));
      Seek(it->first);
      ASSERT_EQ(Current(), it->second);
      if (what < 8) {
        TModelRecord r = it->second;
        if (rng_() % 2) r.code = RandomCode();
        if (rng_() % 2) r.name = RandomName();
        SetInt(kCode, r.code);
        SetText(kName, r.name);
        const bool refused = !r.code || CodeTaken(model, r.code, &it->first);
        const TDVXCursorResult result = cursor_->UpdateRecord();
        if (refused) {
          ASSERT_FALSE(result.ok());
          return;
        }
        if (!result.ok()) {
          ASSERT_TRUE(faults_) << result.message;
          ++failed_;
          return;
        }
        it->second = r;
      } else {
        const TDVXCursorResult result = cursor_->DeleteRecord();
        if (!result.ok()) {
          ASSERT_TRUE(faults_) << result.message;
          ++failed_;
          return;
        }
        model.erase(it);
      }
    }
  }

  void ExpectAgrees(const TModel& model) {
    ASSERT_EQ(cursor_->GetRecordCount(), static_cast<int64_t>(model.size()));
    cursor_->SetCurrentIndex("");
    std::vector<TDVXRecordID> physical = Walk();
    ASSERT_EQ(physical.size(), model.size());
    for (const TDVXRecordID& id : physical) {
      Seek(id);
      auto it = model.find(id);
      ASSERT_NE(it, model.end());
      ASSERT_EQ(Current(), it->second);
    }
    for (const char* index : {"PK", "UQ_Code", "IX_Name"}) {
      cursor_->SetCurrentIndex(index);
      std::vector<TDVXRecordID> ordered = Walk();
      ASSERT_EQ(ordered.size(), model.size()) << index;
      TDVXIndex& ix = *cursor_->Table().IndexByName(index);
      std::vector<uint8_t> previous;
      for (const TDVXRecordID& id : ordered) {
        ASSERT_TRUE(model.count(id)) << index;
        Seek(id);
        std::vector<uint8_t> record(cursor_->Record(), cursor_->Record() + Fields().RecordSize());
        if (!previous.empty()) {
          ASSERT_LE(ix.CompareRecordKeys(previous.data(), record.data(), 1), 0) << index;
        }
        previous = record;
      }
    }
    cursor_->SetCurrentIndex("");
  }

  std::mt19937 rng_{20240611};
  int32_t lastAutoinc_ = 0;
  bool faults_ = false;
  int refused_ = 0;
  int failed_ = 0;
};

TEST_F(TableModelTest, RandomOperationsWithFaultsAndTransactionsAgreeWithModel) {
  CreateDatabase(1024);
  CreateRemedies();
  OpenCursor();
  TModel model;
  for (int step = 0; step < 4000; ++step) {
    const bool transaction = rng_() % 12 == 0;
    TModel before = model;
    const int32_t autoincBefore = lastAutoinc_;
    if (transaction) session_->StartTransaction();
    const int ops = transaction ? 1 + static_cast<int>(rng_() % 12) : 1;
    for (int op = 0; op < ops; ++op) {
      faults_ = rng_() % 6 == 0;
      if (faults_) fs_.FailNthWrite(1 + static_cast<int>(rng_() % 30));
      Step(model);
      if (::testing::Test::HasFatalFailure()) FAIL() << "step " << step;
      fs_.FailNthWrite(0);
    }
    if (transaction) {
      if (rng_() % 3 == 0) {
        session_->Rollback();
        model = before;
        lastAutoinc_ = autoincBefore;
      } else {
        faults_ = rng_() % 4 == 0;
        if (faults_) fs_.FailNthWrite(1 + static_cast<int>(rng_() % 20));
        auto error = DvxErrorOf([&] { session_->Commit(); });
        fs_.FailNthWrite(0);
        if (error) {
          ASSERT_TRUE(faults_) << error->what();
          model = before;
          lastAutoinc_ = autoincBefore;
        }
      }
    }
    ASSERT_FALSE(session_->PageManager().HasChanges(session_->SessionID())) << "step " << step;
    if (step % 25 == 0 || transaction) {
      ExpectAgrees(model);
      if (::testing::Test::HasFatalFailure()) FAIL() << "step " << step;
    }
    if (step % 800 == 799) {
      Reopen();
      ExpectAgrees(model);
      ExpectIndexesValid();
    }
  }
  Reopen();
  ExpectAgrees(model);
  ExpectIndexesValid();
  // The run reached the cases it is about.
  EXPECT_GT(model.size(), 50u);
  EXPECT_GT(refused_, 100);
  EXPECT_GT(failed_, 60);
}

}  // namespace
}  // namespace dvx::test
