#pragma once
// TDVXBTreeIndex: an index kept as a B+-tree of fixed-length keys in pages
// of the table's page manager. Leaves hold one entry per record (key and
// record ID), nodes one entry per child page; the pages of one level are
// chained both ways, so walking the entries in order never climbs the
// tree. The root page is allocated with the first entry and keeps its
// number for the life of the index (IndexDef().RootPageNo(), -1 while the
// index has no pages).
//
// Ordering invariant, which every change preserves and TDVXBTreeChecker
// verifies:
//  1. On every page the keys are non-decreasing (a node's entry 0 carries
//     no key that is compared).
//  2. In a node, separator i is not greater than any key below child i and
//     not smaller than any key below child i-1.
//  3. On every level, next and previous links chain the pages in key
//     order, from -1 to -1; all leaves lie on one level.
//  4. A page other than the root has entries unless it is the only page of
//     its level (then the whole index is empty).
//
// The index has no lock of its own: it is used under the table's lock,
// and its pages belong to the calling session until that session commits
// or rolls back.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/tables/btree_key_ref.h"
#include "engine/tables/btree_controller.h"
#include "engine/tables/btree_page.h"
#include "engine/tables/index.h"

namespace dvx {

class TDVXBTreeIndex : public TDVXIndex {
 public:
  TDVXBTreeIndex(TDVXIndexDef& indexDef, const TDVXFieldDefs* fields, TDVXPageManager& pageManager);

  // Builds the index over every record of the table: an empty root leaf,
  // then one insert per record. A key that leaves room for fewer than
  // four entries on a page is refused first; building a unique or primary
  // index over duplicate keys fails; a failed build leaves no pages and
  // RootPageNo -1.
  void Create(int32_t session, TDVXIndexTableAccess& table) override;
  // Frees every page, children before their node; resetting RootPageNo is
  // the caller's.
  void Drop(int32_t session) override;
  // Takes the key layout from the definitions of a stored index.
  void Open() override;
  // Takes the key layout of an index about to be created, refusing (as
  // Create does) a key that leaves room for fewer than four entries.
  void OpenForCreate();
  // Reads the neighbour of the request's record in index order. A record
  // that has vanished from the index is continued from where its key would
  // stand: forward from the first entry whose key is not below it,
  // backward from the last whose key is not above it (an entry of an equal
  // key may be met again; none is ever skipped). Moving past either end
  // gives grrBeginningPassed or grrEndPassedOrEmpty with BOF or EOF set;
  // with EOF set, moving forward stays there instead of repeating the last
  // record (and likewise BOF backward).
  TDVXIndexRecordResult GetRecord(int32_t session, TDVXIndexGetRecordRequest& request,
                                TDVXIndexTableAccess& table) override;
  std::unique_ptr<TDVXKeyPath> NewKeyPath() const override { return std::make_unique<TDVXKeyPath>(); }
  bool FindKeyPath(int32_t session, const uint8_t* record, const TDVXRecordID& id, TDVXKeyPath& path) override;
  int CompareKeyPaths(const TDVXKeyPath& a, const TDVXKeyPath& b) const override;
  // The 1-based position of the record's entry in index order, counting
  // only entries listed in `restrictTo` when it is given; -1 when the
  // entry, or its record in the list, is not there.
  int64_t GetRecNo(int32_t session, const TDVXRecordID& id, const uint8_t* record,
                   const TDVXRecordIDList* restrictTo = nullptr) override;
  // The record of the n-th entry (1-based); false when there is none.
  bool GetNthRecord(int32_t session, int64_t n, TDVXRecordID& id) override;
  // Keeps, of the listed records, the first of each key in index order.
  void RemoveDuplicateKeys(int32_t session, TDVXRecordIDList& list) override;
  std::unique_ptr<TDVXIndexScanState> NewScanState(const TDVXIndexCondition& condition) const override;
  // The next record satisfying the state's condition, walking forward
  // (direction 1) from the first entry that satisfies it or backward (-1)
  // from the last; false when the condition no longer holds or the index
  // ends. A missing state is 20077, another direction than 1 or -1 (or a
  // state of another index kind) 20078, a scan that turns around 20079.
  bool ScanNext(int32_t session, TDVXIndexScanState* state, int direction, TDVXRecordID& id) override;
  int CompareRecordKeys(const uint8_t* a, const uint8_t* b, int columns) const override;
  int ConditionDirection(int conditionType) const override;
  // About how many entries satisfy all conditions, from the positions of
  // the first and last entry of each; exact while the index is one page.
  int64_t EstimateCount(int32_t session, const std::vector<TDVXIndexCondition>& conditions) override;
  bool IsKeyFree(int32_t session, const uint8_t* record) override;
  bool IsKeyFreeForUpdate(int32_t session, const uint8_t* newRecord, const uint8_t* oldRecord) override;
  void InsertRecord(int32_t session, const uint8_t* record, const TDVXRecordID& id) override;
  void DeleteRecord(int32_t session, const uint8_t* record, const TDVXRecordID& id) override;
  void UpdateRecord(int32_t session, const uint8_t* oldRecord, const uint8_t* newRecord,
                    const TDVXRecordID& id) override;

  // Positions along key paths, for cursors and scans.
  bool First(int32_t session, TDVXKeyPath& path);
  bool Last(int32_t session, TDVXKeyPath& path);
  // One entry forward or back; false at the end (the path is then left as
  // it was). An empty path is 20068 / 20069; a level without the
  // neighbouring page it needs is 20070.
  bool MoveNext(int32_t session, TDVXKeyPath& path);
  bool MovePrior(int32_t session, TDVXKeyPath& path);
  // The first (forward) or last (backward) entry whose key satisfies the
  // condition for `key` over the first `columns` columns.
  bool FindByCondition(int32_t session, int conditionType, const uint8_t* key, int columns, bool forward,
                       TDVXKeyPath& path);
  bool FindEntry(int32_t session, const uint8_t* key, const TDVXRecordID& id, TDVXKeyPath& path);
  TDVXRecordID RecordIDAt(int32_t session, const TDVXKeyPath& path);
  TDVXKey KeyAt(int32_t session, const TDVXKeyPath& path);

  // Key operations for callers that hold keys rather than records.
  void InsertKey(int32_t session, const uint8_t* key, const TDVXRecordID& id);
  bool DeleteKey(int32_t session, const uint8_t* key, const TDVXRecordID& id);

  bool IsOpen() const { return keyRef_ != nullptr; }
  // 30945 before Create or Open.
  const TDVXBTreeKeyRef& KeyRef() const;
  TDVXBTreeContext Context(int32_t session) const { return TDVXBTreeContext{pageManager_, session, KeyRef()}; }
  int32_t RootPageNo() const { return indexDef_.RootPageNo(); }
  // Raised by every change of the tree: a position kept between calls is
  // looked up again when it moved.
  uint64_t ChangeCount() const { return changeCount_; }

 private:
  void MakeKeyRef(int32_t nilCode);
  void CheckKeyFits(int32_t code, const char* verb) const;
  bool KeyExists(int32_t session, const uint8_t* key);
  bool SeekBound(int32_t session, TDVXKeyBound bound, const uint8_t* key, int columns, TDVXKeyPath& path);
  // Settles a leaf position at or behind its page's end onto the next
  // entry; false when there is none.
  bool SettleForward(int32_t session, TDVXKeyPath& path);
  // Moves to the entry before the path's position; false when there is
  // none.
  bool StepBack(int32_t session, TDVXKeyPath& path);
  // The last entry whose key is not above (`orEqual`), respectively below,
  // `key`.
  bool SeekLastBefore(int32_t session, const uint8_t* key, int columns, bool orEqual, TDVXKeyPath& path);
  void CheckCondition(int conditionType, int columns) const;
  uint64_t LeafWalkLimit();

  // Where the last GetRecord left a session: its leaf entry, and what the
  // tree and the file were then. The next GetRecord from that record steps
  // within the leaf instead of descending from the root, after checking
  // that nothing moved and that the entry still holds the record's key and
  // ID; any doubt descends as before.
  struct TWalkPosition {
    bool valid = false;
    int32_t session = 0;
    TDVXRecordID id;
    int32_t leafPageNo = -1;
    int entryNo = 0;
    uint64_t changeCount = 0;
    int32_t stateCounter = 0;
    uint64_t generation = 0;
  };
  // The leaf neighbour of the remembered entry, when the request continues
  // from it; false when the tree must be searched.
  bool StepFromWalkPosition(int32_t session, const TDVXIndexGetRecordRequest& request, bool forward,
                            TDVXKeyPath& path);
  void RememberWalkPosition(int32_t session, const TDVXRecordID& id, const TDVXKeyPath& path);

  std::unique_ptr<TDVXBTreeKeyRef> keyRef_;
  uint64_t changeCount_ = 0;
  TWalkPosition walk_;
};

}  // namespace dvx
