// The disk record manager against an in-memory model: thousands of random
// inserts, updates and deletes of records with variable strings and BLOBs,
// committed, cancelled and reopened, compared with the model after every
// commit and checked clean at the end.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>

#include "engine/storage/compression/compressor.h"
#include "table_storage_harness.h"

namespace dvx::test {
namespace {

enum { kId, kName, kText, kPicture, kCode };

struct TModelRecord {
  int32_t id = 0;
  std::string name;  // "" is NULL
  std::optional<std::vector<uint8_t>> text, picture;
  std::string code;
};

struct TByRecordID {
  bool operator()(const TDVXRecordID& a, const TDVXRecordID& b) const { return CompareRecordIDs(a, b) < 0; }
};
using TModel = std::map<TDVXRecordID, TModelRecord, TByRecordID>;

class RecordModel : public TTableStorageFixture {
 protected:
  void SetUp() override {
    fields_.Add("Id", aftInteger);
    fields_.Add("Name", aftVarchar, 300);
    TDVXFieldDef* text = fields_.Add("Text", aftMemo);
    text->SetBlobCompressionAlgorithm(caZLIB);
    text->SetBlobCompressionMode(1);
    text->SetBlobBlockSize(700);
    fields_.Add("Picture", aftBlob);
    fields_.Add("Code", aftChar, 6);
    // Small pages and two random picks: many map entries, sampled.
    CreateTable(1024, 2);
  }

  TModelRecord RandomRecord(int32_t id) {
    TModelRecord m;
    m.id = id;
    if (rng_() % 4) m.name = std::string(rng_() % 300 + 1, static_cast<char>('A' + rng_() % 26));
    if (rng_() % 3) {
      std::string words;
      while (words.size() < rng_() % 4000) words += "Symptome bessern sich durch Wärme. ";
      m.text = std::vector<uint8_t>(words.begin(), words.end());
      if (m.text->empty()) m.text.reset();
    }
    if (rng_() % 3 == 0) m.picture = Pattern(rng_() % 6000 + 1, rng_());
    m.code = std::to_string(rng_() % 100000);
    return m;
  }

  // Fills `buffer` from the model; BLOBs are stored as new pending values
  // unless `keepBlobs` (then the buffer's current references stay).
  void Fill(std::vector<uint8_t>& buffer, const TModelRecord& m, bool keepBlobs) {
    SetInt(buffer, kId, m.id);
    SetText(buffer, kName, m.name);
    SetText(buffer, kCode, m.code);
    if (keepBlobs) return;
    if (m.text)
      SetBlob(buffer, kText, *m.text);
    else
      SetFieldData(kText, fields_, nullptr, buffer.data());
    if (m.picture)
      SetBlob(buffer, kPicture, *m.picture);
    else
      SetFieldData(kPicture, fields_, nullptr, buffer.data());
  }

  void ExpectRecord(const TDVXRecordID& id, const TModelRecord& m) {
    std::vector<uint8_t> r = Read(id);
    ASSERT_EQ(m.id, GetInt(r, kId));
    ASSERT_EQ(m.name, GetText(r, kName));
    ASSERT_EQ(m.code, GetText(r, kCode));
    ASSERT_EQ(m.text.has_value(), !IsNull(kText, r.data()));
    if (m.text) ASSERT_EQ(*m.text, GetBlob(r, kText));
    ASSERT_EQ(m.picture.has_value(), !IsNull(kPicture, r.data()));
    if (m.picture) ASSERT_EQ(*m.picture, GetBlob(r, kPicture));
  }

  void ExpectModel(const TModel& model, bool everyRecord) {
    ASSERT_EQ(static_cast<int64_t>(model.size()), rm_->RecordCount(session_));
    std::vector<TDVXRecordID> walk = Walk();
    ASSERT_EQ(model.size(), walk.size());
    size_t i = 0;
    for (const auto& [id, m] : model) {
      ASSERT_EQ(id, walk[i]);
      if (everyRecord || rng_() % 20 == 0) ExpectRecord(id, m);
      if (i % 37 == 0) ASSERT_EQ(static_cast<int64_t>(i + 1), rm_->RecordNoOf(id, session_));
      ++i;
    }
  }

  std::mt19937 rng_{20261209};
};

TEST_F(RecordModel, RandomChangesMatchTheModelThroughCommitsCancelsAndReopens) {
  TModel model, committed;
  int32_t nextId = 1;
  for (int step = 0; step < 3000; ++step) {
    const uint32_t op = rng_() % 100;
    if (op < 50 || model.size() < 5) {
      TModelRecord m = RandomRecord(nextId++);
      std::vector<uint8_t> r = NewRecord();
      Fill(r, m, false);
      TDVXRecordID id = rm_->InsertRecord(r.data(), session_);
      ASSERT_EQ(0u, model.count(id)) << "a RecordID handed out twice";
      model[id] = m;
    } else {
      auto it = model.begin();
      std::advance(it, rng_() % model.size());
      if (op < 75) {
        // Update: read the stored record, change fields, sometimes keep
        // the BLOBs as they are.
        std::vector<uint8_t> r = Read(it->first);
        TModelRecord m = RandomRecord(it->second.id);
        const bool keepBlobs = rng_() % 2 == 0;
        if (keepBlobs) {
          m.text = it->second.text;
          m.picture = it->second.picture;
        }
        Fill(r, m, keepBlobs);
        rm_->UpdateRecord(r.data(), it->first, session_);
        it->second = m;
      } else {
        rm_->DeleteRecord(it->first, session_);
        model.erase(it);
      }
    }
    if (step % 60 == 59) {
      if (rng_() % 5 == 0) {
        Cancel();
        model = committed;
      } else {
        Commit();
        committed = model;
      }
      ExpectModel(model, false);
      if (rng_() % 4 == 0) Reopen();
    }
  }
  Commit();
  Reopen();
  ExpectModel(model, true);
  EXPECT_GT(rm_->Maps().Entries().size(), 2u) << "the test should reach the random search";
  std::vector<std::string> problems = CheckFile();
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

}  // namespace
}  // namespace dvx::test
