#pragma once
// Helpers shared by the index tests: a page manager over plain memory
// (pages numbered from 0, freed numbers reused), a table in memory that
// gives the index its records, and a fixture that builds an index over
// either page manager.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/platform/memory_file.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/disk_page_manager.h"
#include "engine/tables/btree_checker.h"
#include "engine/tables/btree_index.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {

using testing::DvxCodeOf;
using testing::ThrowsDvx;
using testing::ToHex;
using ::testing::HasSubstr;

// Pages kept as plain byte vectors; new pages are zero.
class TTestMemoryPageManager : public TDVXPageManager {
 public:
  explicit TTestMemoryPageManager(int pageSize) : TDVXPageManager(pageSize, 0) { SetExclusive(true); }

  int32_t GetPageCount() override { return static_cast<int32_t>(stored_.size()); }
  void InternalAddPage(TDVXPage& page) override {
    int32_t no;
    if (!free_.empty()) {
      no = *free_.begin();
      free_.erase(free_.begin());
    } else {
      no = static_cast<int32_t>(stored_.size());
      stored_.emplace_back();
    }
    stored_[static_cast<size_t>(no)].assign(static_cast<size_t>(PageSize()), 0);
    page.SetPageNo(no);
    std::memset(Frame(page), 0, static_cast<size_t>(PageSize()));
  }
  void InternalRemovePage(int32_t pageNo) override {
    Check(pageNo);
    free_.insert(pageNo);
  }
  void InternalReadPage(TDVXPage& page) override {
    Check(page.PageNo());
    const auto& bytes = stored_[static_cast<size_t>(page.PageNo())];
    std::memcpy(Frame(page), bytes.data(), bytes.size());
  }
  void InternalWritePage(TDVXPage& page) override {
    Check(page.PageNo());
    std::memcpy(stored_[static_cast<size_t>(page.PageNo())].data(), page.Buffer(), static_cast<size_t>(PageSize()));
  }

  int LivePages() const { return static_cast<int>(stored_.size() - free_.size()); }

 private:
  void Check(int32_t pageNo) const {
    if (pageNo < 0 || static_cast<size_t>(pageNo) >= stored_.size())
      throw EDVXException(10471, "Invalid PageNo = %d", {pageNo});
  }
  std::vector<std::vector<uint8_t>> stored_;
  std::set<int32_t> free_;
};

// A table held in memory: its field definitions and records in physical
// order.
class TTestTable : public TDVXIndexTableAccess {
 public:
  using Record = std::vector<uint8_t>;

  void AddField(const std::string& name, int advancedType, int32_t size = 0) {
    fields.Add(name, advancedType, size);
    fields.RecomputeLayout();
  }
  // A record with every field NULL.
  Record NewRecord() const {
    Record r(static_cast<size_t>(fields.RecordSize()), 0);
    for (int i = 0; i < fields.Count(); ++i) SetNull(true, i, r.data());
    return r;
  }
  void SetInt(Record& r, int fieldNo, std::optional<int32_t> v) const {
    if (v)
      SetFieldData(fieldNo, fields, &*v, r.data());
    else
      SetFieldData(fieldNo, fields, nullptr, r.data());
  }
  void SetText(Record& r, int fieldNo, const char* text) const { SetFieldData(fieldNo, fields, text, r.data()); }

  TDVXRecordID Add(const Record& r) {
    TDVXRecordID id{nextPage_, nextItem_};
    if (++nextItem_ == 50) {
      nextItem_ = 0;
      ++nextPage_;
    }
    records_.emplace_back(id, r);
    return id;
  }
  void Replace(const TDVXRecordID& id, const Record& r) { Find(id)->second = r; }
  void Remove(const TDVXRecordID& id) { records_.erase(Find(id)); }
  const Record& Get(const TDVXRecordID& id) { return Find(id)->second; }

  void ForEachRecord(int32_t session,
                     const std::function<void(const TDVXRecordID& id, const uint8_t* record)>& visit) override {
    for (const auto& [id, r] : records_) visit(id, r.data());
  }
  bool ReadRecord(int32_t session, const TDVXRecordID& id, uint8_t* record) override {
    auto it = Find(id, false);
    if (it == records_.end()) return false;
    std::memcpy(record, it->second.data(), it->second.size());
    return true;
  }

  TDVXFieldDefs fields;

 private:
  std::vector<std::pair<TDVXRecordID, Record>>::iterator Find(const TDVXRecordID& id, bool must = true) {
    for (auto it = records_.begin(); it != records_.end(); ++it)
      if (it->first == id) return it;
    if (must) ADD_FAILURE() << "no record " << id.pageNo << ":" << id.itemNo;
    return records_.end();
  }
  std::vector<std::pair<TDVXRecordID, Record>> records_;
  int32_t nextPage_ = 100;
  uint16_t nextItem_ = 0;
};

// An index over a TTestTable, kept in a memory or a disk page manager.
class TBTreeFixture : public ::testing::Test {
 protected:
  static constexpr int32_t kSession = 1;
  using Record = TTestTable::Record;

  void UseMemoryPages(int pageSize) {
    auto pm = std::make_unique<TTestMemoryPageManager>(pageSize);
    memory_ = pm.get();
    pm_ = std::move(pm);
  }
  void UseDiskPages(int pageSize) {
    auto pm = std::make_unique<TDVXDiskPageManager>(TDVXLockParams{3, 1}, fs_);
    pm->CreateDatabaseFile("btree.dvx", pageSize, 8);
    pm->ApplyChanges(-2);
    memory_ = nullptr;
    pm_ = std::move(pm);
  }
  // The index over the given columns; the table's fields must exist.
  TDVXBTreeIndex& MakeIndex(std::vector<TDVXIndexColumn> columns, bool unique = false) {
    def_ = TDVXIndexDef();
    def_.SetObjectName("IX");
    for (auto& c : columns) def_.AddColumn(c.fieldName, c.descending, c.caseInsensitive);
    def_.SetUnique(unique);
    index_ = std::make_unique<TDVXBTreeIndex>(def_, &table_.fields, *pm_);
    index_->Open();
    return *index_;
  }
  // One INTEGER column "K".
  TDVXBTreeIndex& MakeIntIndex(int pageSize, bool descending = false, bool unique = false) {
    UseMemoryPages(pageSize);
    table_.AddField("K", aftInteger);
    return MakeIndex({{"K", descending, false}}, unique);
  }

  Record IntRecord(std::optional<int32_t> v) {
    Record r = table_.NewRecord();
    table_.SetInt(r, 0, v);
    return r;
  }
  // Adds the record to the table and its entry to the index.
  TDVXRecordID Insert(const Record& r) {
    TDVXRecordID id = table_.Add(r);
    index_->InsertRecord(kSession, r.data(), id);
    return id;
  }
  TDVXRecordID InsertInt(std::optional<int32_t> v) { return Insert(IntRecord(v)); }
  void Delete(const TDVXRecordID& id) {
    index_->DeleteRecord(kSession, table_.Get(id).data(), id);
    table_.Remove(id);
  }

  // Every entry in index order, walked along the path.
  std::vector<std::pair<TDVXKey, TDVXRecordID>> Entries() {
    std::vector<std::pair<TDVXKey, TDVXRecordID>> entries;
    TDVXKeyPath path;
    for (bool more = index_->First(kSession, path); more; more = index_->MoveNext(kSession, path))
      entries.emplace_back(index_->KeyAt(kSession, path), index_->RecordIDAt(kSession, path));
    return entries;
  }
  std::vector<TDVXRecordID> RecordOrder() {
    std::vector<TDVXRecordID> ids;
    for (auto& e : Entries()) ids.push_back(e.second);
    return ids;
  }
  // The INTEGER key of an entry of MakeIntIndex; nullopt for NULL.
  static std::optional<int32_t> IntOf(const TDVXKey& key) {
    if (key.at(0)) return std::nullopt;
    return GetI32(key.data() + 1);
  }

  TDVXBTreeCheckReport Check() { return TDVXBTreeChecker(*index_, kSession).Check(); }
  void ExpectValid() {
    auto report = Check();
    EXPECT_TRUE(report.Ok()) << ::testing::PrintToString(report.problems);
  }
  std::vector<uint8_t> PageImage(int32_t pageNo) {
    TDVXPageRef ref(*pm_, pm_->GetPage(kSession, pageNo));
    return std::vector<uint8_t>(ref->Buffer(), ref->Buffer() + pm_->PageSize());
  }
  // Changes bytes of a page as a damaged file would hold them.
  void Patch(int32_t pageNo, size_t offset, const std::vector<uint8_t>& bytes) {
    TDVXPageRef ref(*pm_, pm_->GetPage(kSession, pageNo));
    ref->SetDirty();
    std::memcpy(ref->WritableBuffer() + offset, bytes.data(), bytes.size());
  }

  TDVXMemoryFileSystem fs_;
  std::unique_ptr<TDVXPageManager> pm_;
  TTestMemoryPageManager* memory_ = nullptr;
  TTestTable table_;
  TDVXIndexDef def_;
  std::unique_ptr<TDVXBTreeIndex> index_;
};

}  // namespace dvx::test
