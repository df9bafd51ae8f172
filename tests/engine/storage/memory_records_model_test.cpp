// The record managers of in-memory and temporary tables against an
// in-memory model: thousands of random inserts, updates and (in-memory
// tables) deletes of records with variable strings and BLOBs, every record
// compared with the model at intervals and at the end, walked in RecordID
// order with its record numbers.
#include <map>
#include <optional>
#include <random>

#include "tests/engine/storage/memory_records_harness.h"

namespace dvx::test {
namespace {

struct TModelRecord {
  int32_t id = 0;
  std::string name;  // "" is NULL
  std::optional<std::vector<uint8_t>> text, picture;
};

struct TByRecordID {
  bool operator()(const TDVXRecordID& a, const TDVXRecordID& b) const {
    return TDVXTemporaryRecordManager::NumberOfRecordID(a) < TDVXTemporaryRecordManager::NumberOfRecordID(b);
  }
};
using TModel = std::map<TDVXRecordID, TModelRecord, TByRecordID>;

enum class TKind { Memory, Temporary };

class MemoryRecordsModel : public TMemoryRecordsFixture, public ::testing::WithParamInterface<TKind> {
 protected:
  void SetUp() override {
    TMemoryRecordsFixture::SetUp();
    if (GetParam() == TKind::Memory)
      MakeMemory(7);
    else
      MakeTemporary(300, 5, 40);
  }

  TModelRecord RandomRecord(int32_t id) {
    TModelRecord m;
    m.id = id;
    if (rng_() % 4) m.name = std::string(rng_() % 300 + 1, static_cast<char>('A' + rng_() % 26));
    if (rng_() % 3) {
      std::string words;
      while (words.size() < rng_() % 3000 + 1) words += "Beschwerden schlimmer nachts. ";
      m.text = std::vector<uint8_t>(words.begin(), words.end());
    }
    if (rng_() % 3 == 0) m.picture = Pattern(rng_() % 4000 + 1, static_cast<uint8_t>(rng_()));
    return m;
  }

  // Fills the buffer; BLOB fields are left as read unless `newBlobs`.
  void Fill(std::vector<uint8_t>& buffer, const TModelRecord& m, bool newBlobs) {
    SetInt(buffer, kId, m.id);
    SetText(buffer, kName, m.name);
    if (!newBlobs) return;
    for (auto [field, value] : {std::pair{kText, &m.text}, std::pair{kPicture, &m.picture}}) {
      if (*value)
        SetBlob(buffer, field, **value);
      else
        SetFieldData(field, fields_, nullptr, buffer.data());
    }
  }

  void Expect(const TDVXRecordID& id, const TModelRecord& m) {
    std::vector<uint8_t> r = Read(id);
    ASSERT_EQ(GetInt(r, kId), m.id);
    ASSERT_EQ(GetText(r, kName), m.name);
    ASSERT_EQ(GetBlob(r, kText), m.text.value_or(std::vector<uint8_t>{}));
    ASSERT_EQ(GetBlob(r, kPicture), m.picture.value_or(std::vector<uint8_t>{}));
  }

  void CheckAll(const TModel& model) {
    ASSERT_EQ(Records().RecordCount(session_), static_cast<int64_t>(model.size()));
    std::vector<TDVXRecordID> walked = Walk();
    ASSERT_EQ(walked.size(), model.size());
    size_t k = 0;
    for (const auto& [id, m] : model) {
      ASSERT_EQ(walked[k], id);
      ASSERT_EQ(Records().RecordNoOf(id, session_), static_cast<int64_t>(k + 1));
      ASSERT_EQ(Records().RecordIDOf(static_cast<int64_t>(k + 1), session_), id);
      Expect(id, m);
      ++k;
    }
    size_t blobs = 0;
    for (const auto& [id, m] : model) blobs += (m.text ? 1 : 0) + (m.picture ? 1 : 0);
    ASSERT_EQ(StoredBlobs(), blobs);
  }

  std::mt19937 rng_{20261209};
};

TEST_P(MemoryRecordsModel, RandomChangesMatchTheModel) {
  const bool deletes = GetParam() == TKind::Memory;
  const size_t pendingBefore = PendingBlobCount();
  TModel model;
  int32_t nextId = 1;
  for (int step = 0; step < 2500; ++step) {
    const int action = static_cast<int>(rng_() % 10);
    if (action < 5 || model.empty()) {
      TModelRecord m = RandomRecord(nextId++);
      std::vector<uint8_t> r = NewRecord();
      Fill(r, m, true);
      const TDVXRecordID id = Records().InsertRecord(r.data(), session_);
      ASSERT_TRUE(model.empty() || TByRecordID()(model.rbegin()->first, id)) << "RecordIDs rise";
      model[id] = m;
    } else {
      auto it = model.begin();
      std::advance(it, static_cast<ptrdiff_t>(rng_() % model.size()));
      if (action < 8 || !deletes) {
        // Half the updates keep the BLOBs the record has.
        const bool newBlobs = rng_() % 2;
        TModelRecord m = RandomRecord(it->second.id);
        if (!newBlobs) {
          m.text = it->second.text;
          m.picture = it->second.picture;
        }
        std::vector<uint8_t> r = Read(it->first);
        Fill(r, m, newBlobs);
        Records().UpdateRecord(r.data(), it->first, session_);
        it->second = m;
      } else {
        Records().DeleteRecord(it->first, session_);
        model.erase(it);
      }
    }
    if (step % 500 == 499) {
      CheckAll(model);
      if (HasFatalFailure()) return;
    }
  }
  CheckAll(model);
  EXPECT_EQ(PendingBlobCount(), pendingBefore);
  if (GetParam() == TKind::Temporary) {
    EXPECT_TRUE(temporary_->HasFile());
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, MemoryRecordsModel, ::testing::Values(TKind::Memory, TKind::Temporary),
                         [](const auto& info) { return info.param == TKind::Memory ? "Memory" : "Temporary"; });

}  // namespace
}  // namespace dvx::test
