#include "engine/tables/btree_index.h"

#include "engine/core/exception.h"
#include "engine/tables/btree_controller.h"
#include "engine/tables/index_errors.h"

namespace dvx {

TDVXBTreeIndex::TDVXBTreeIndex(TDVXIndexDef& indexDef, const TDVXFieldDefs* fields, TDVXPageManager& pageManager)
    : TDVXIndex(indexDef, fields, pageManager) {}

const TDVXBTreeKeyRef& TDVXBTreeIndex::KeyRef() const {
  if (!keyRef_) throw EDVXException(kErrIndexNotOpen, "Index '%s' is not open", {indexDef_.ObjectName()});
  return *keyRef_;
}

void TDVXBTreeIndex::MakeKeyRef(int32_t nilCode) {
  if (!fields_) throw EDVXException(nilCode, kTextPointerIsNil);
  keyRef_ = std::make_unique<TDVXBTreeKeyRef>(indexDef_, *fields_);
}

void TDVXBTreeIndex::CheckKeyFits(int32_t code, const char* verb) const {
  // Fewer than four entries a page would leave splits with halves of one
  // entry or none, so such a key is refused outright. Node entries are
  // smaller than leaf entries, so the leaf decides.
  const int keyLength = KeyRef().KeyLength();
  const int64_t needed = 4 * static_cast<int64_t>(keyLength + TDVXRecordID::kSize) + btree_layout::kHeaderSize;
  if (needed > pageManager_.PageSize())
    throw EDVXException(code,
                        "Cannot %s index '%s': a key of %d bytes leaves room for fewer than 4 entries on a page of "
                        "%d bytes",
                        {verb, indexDef_.ObjectName(), keyLength, pageManager_.PageSize()});
}

void TDVXBTreeIndex::Open() {
  MakeKeyRef(kErrIndexOpenNoFields);
  CheckKeyFits(kErrIndexKeyTooLongOpen, "open");
}

void TDVXBTreeIndex::OpenForCreate() {
  MakeKeyRef(kErrIndexCreateNoFields);
  CheckKeyFits(kErrIndexKeyTooLong, "create");
}

void TDVXBTreeIndex::Create(int32_t session, TDVXIndexTableAccess& table) {
  OpenForCreate();
  const TDVXBTreeContext context = Context(session);
  {
    TDVXBTreePage root = TDVXBTreePage::Allocate(context, true, true);
    indexDef_.SetRootPageNo(root.PageNo());
  }
  ++changeCount_;
  const bool unique = indexDef_.Unique() || indexDef_.Primary();
  try {
    table.ForEachRecord(session, [&](const TDVXRecordID& id, const uint8_t* record) {
      TDVXKey key = KeyRef().MakeKey(record);
      if (unique && KeyExists(session, key.data()))
        throw EDVXException(kErrIndexDuplicateKey, "Cannot create unique index '%s'. Duplicate key found",
                            {indexDef_.ObjectName()});
      InsertKey(session, key.data(), id);
    });
  } catch (...) {
    try {
      Drop(session);
    } catch (const EDVXException&) {
      // The build's own error is the one reported; pages the drop could not
      // free stay in the session's change set, which the failed operation
      // discards.
    }
    indexDef_.SetRootPageNo(-1);
    throw;
  }
}

void TDVXBTreeIndex::Drop(int32_t session) {
  if (RootPageNo() == -1) return;
  const TDVXBTreeContext context = Context(session);
  TDVXBTreePage root(context, RootPageNo());
  root.Controller().FreeSubtree(root, 0);
  ++changeCount_;
}

void TDVXBTreeIndex::InsertKey(int32_t session, const uint8_t* key, const TDVXRecordID& id) {
  const TDVXBTreeContext context = Context(session);
  if (RootPageNo() == -1) {
    CheckKeyFits(kErrIndexKeyTooLong, "create");
    TDVXBTreePage root = TDVXBTreePage::Allocate(context, true, true);
    indexDef_.SetRootPageNo(root.PageNo());
  }
  ++changeCount_;
  TDVXBTreePage root(context, RootPageNo());
  if (!root.IsRoot()) RaiseTreeCorrupt("the root page " + std::to_string(root.PageNo()) + " has no root flag");
  // The root splits in place, so nothing comes back up from it.
  root.Controller().Insert(root, key, id, 0);
}

bool TDVXBTreeIndex::DeleteKey(int32_t session, const uint8_t* key, const TDVXRecordID& id) {
  if (RootPageNo() == -1) return false;
  const TDVXBTreeContext context = Context(session);
  TDVXBTreePage root(context, RootPageNo());
  if (!root.IsRoot()) RaiseTreeCorrupt("the root page " + std::to_string(root.PageNo()) + " has no root flag");
  // The root never merges; a boundary key that reaches it has no
  // separator left of (or right of) the whole tree to go to.
  TDVXDeleteResult result = root.Controller().Delete(root, key, id, 0);
  if (result.found) ++changeCount_;
  return result.found;
}

void TDVXBTreeIndex::InsertRecord(int32_t session, const uint8_t* record, const TDVXRecordID& id) {
  TDVXKey key = KeyRef().MakeKey(record);
  InsertKey(session, key.data(), id);
}

void TDVXBTreeIndex::DeleteRecord(int32_t session, const uint8_t* record, const TDVXRecordID& id) {
  TDVXKey key = KeyRef().MakeKey(record);
  if (!DeleteKey(session, key.data(), id))
    throw EDVXException(kErrIndexEntryNotFound, "Index error: cannot delete entry. Entry not found");
}

void TDVXBTreeIndex::UpdateRecord(int32_t session, const uint8_t* oldRecord, const uint8_t* newRecord,
                                  const TDVXRecordID& id) {
  TDVXKey oldKey = KeyRef().MakeKey(oldRecord), newKey = KeyRef().MakeKey(newRecord);
  if (KeyRef().Compare(oldKey.data(), newKey.data()) == 0) return;
  if (!DeleteKey(session, oldKey.data(), id))
    throw EDVXException(kErrIndexEntryNotFound, "Index error: cannot delete entry. Entry not found");
  InsertKey(session, newKey.data(), id);
}

bool TDVXBTreeIndex::KeyExists(int32_t session, const uint8_t* key) {
  TDVXKeyPath path;
  return FindByCondition(session, ctEqual, key, KeyRef().ColumnCount(), true, path);
}

bool TDVXBTreeIndex::IsKeyFree(int32_t session, const uint8_t* record) {
  if (!(indexDef_.Unique() || indexDef_.Primary()) || RootPageNo() == -1) return true;
  TDVXKey key = KeyRef().MakeKey(record);
  return !KeyExists(session, key.data());
}

bool TDVXBTreeIndex::IsKeyFreeForUpdate(int32_t session, const uint8_t* newRecord, const uint8_t* oldRecord) {
  TDVXKey newKey = KeyRef().MakeKey(newRecord), oldKey = KeyRef().MakeKey(oldRecord);
  if (KeyRef().Compare(newKey.data(), oldKey.data()) == 0) return true;
  return IsKeyFree(session, newRecord);
}

bool TDVXBTreeIndex::FindEntry(int32_t session, const uint8_t* key, const TDVXRecordID& id, TDVXKeyPath& path) {
  path.Clear();
  if (RootPageNo() == -1) return false;
  const TDVXBTreeContext context = Context(session);
  TDVXBTreePage root(context, RootPageNo());
  return root.Controller().FindEntry(root, key, id, path, 0);
}

bool TDVXBTreeIndex::FindKeyPath(int32_t session, const uint8_t* record, const TDVXRecordID& id,
                                 TDVXKeyPath& path) {
  TDVXKey key = KeyRef().MakeKey(record);
  return FindEntry(session, key.data(), id, path);
}

int TDVXBTreeIndex::CompareKeyPaths(const TDVXKeyPath& a, const TDVXKeyPath& b) const {
  if (a.Depth() != b.Depth()) throw EDVXException(kErrKeyPathDepths, kTextInvalidKeyPath);
  for (int level = 0; level < a.Depth(); ++level) {
    const TDVXKeyPathLevel &x = a.Level(level), &y = b.Level(level);
    if (x.pageNo != y.pageNo) throw EDVXException(kErrKeyPathPages, kTextInvalidKeyPath);
    if (x.entryNo != y.entryNo) return x.entryNo < y.entryNo ? -1 : 1;
  }
  return 0;
}

int TDVXBTreeIndex::CompareRecordKeys(const uint8_t* a, const uint8_t* b, int columns) const {
  TDVXKey x = KeyRef().MakeKey(a), y = KeyRef().MakeKey(b);
  return KeyRef().Compare(x.data(), y.data(), columns);
}

int TDVXBTreeIndex::ConditionDirection(int conditionType) const {
  switch (conditionType) {
    case ctGreater:
    case ctGreaterOrEqual:
      return -1;
    case ctLess:
    case ctLessOrEqual:
      return 1;
    default:
      return 0;
  }
}

}  // namespace dvx
