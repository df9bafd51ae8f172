#include "engine/tables/table_checker.h"

#include <algorithm>
#include <unordered_map>

#include "engine/core/exception.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/btree_checker.h"
#include "engine/tables/btree_index.h"
#include "engine/tables/record_id_list.h"
#include "engine/tables/table_read_scope.h"

namespace dvx {

namespace {

std::string RecordText(const TDVXRecordID& id) {
  return "record " + std::to_string(id.pageNo) + ":" + std::to_string(id.itemNo);
}

}  // namespace

// The key one index gives one record.
struct TDVXTableChecker::TKeyed {
  TDVXRecordID id;
  TDVXKey key;
};

void TDVXTableChecker::Problem(const std::string& text) {
  if (report_.problems.size() < kMaxProblems)
    report_.problems.push_back("table '" + table_.TableName() + "': " + text);
  else
    ++dropped_;
}

TDVXTableCheckReport TDVXTableChecker::Check() {
  report_ = TDVXTableCheckReport();
  dropped_ = 0;
  const TDVXFieldDefs& fields = table_.Fields();
  const TDVXConstraintDefs& constraints = table_.ConstraintManager().ConstraintDefs();

  // The fields no record may leave NULL, with the constraint that says so.
  std::vector<std::pair<int, std::string>> notNull;
  for (int i = 0; i < constraints.Count(); ++i) {
    const TDVXConstraintDef& c = *constraints.Items(i);
    if (c.ConstraintType() == ctNotNull) {
      const auto& n = static_cast<const TDVXConstraintDefNotNull&>(c);
      const int fieldNo = fields.FindByID(n.FieldID());
      if (fieldNo < 0) Problem("NOT NULL constraint '" + c.ObjectName() + "' names no field of the table");
      else notNull.emplace_back(fieldNo, "NOT NULL constraint '" + c.ObjectName() + "'");
    } else if (c.ConstraintType() == ctPrimaryKey) {
      for (const TDVXNamedRef& column : static_cast<const TDVXConstraintDefUnique&>(c).Columns()) {
        const int fieldNo = fields.FindByID(column.id);
        if (fieldNo < 0) Problem("primary key '" + c.ObjectName() + "' names no field of the table");
        else notNull.emplace_back(fieldNo, "primary key '" + c.ObjectName() + "'");
      }
    }
  }

  // One pass over the records: their keys in every index, and NULLs where
  // none may be.
  std::vector<std::vector<TKeyed>> keys(static_cast<size_t>(table_.IndexCount()));
  try {
    table_.ForEachRecord(session_, [&](const TDVXRecordID& id, const uint8_t* record) {
      ++report_.recordCount;
      for (int i = 0; i < table_.IndexCount(); ++i)
        if (auto* btree = dynamic_cast<TDVXBTreeIndex*>(&table_.Index(i)))
          keys[static_cast<size_t>(i)].push_back({id, btree->KeyRef().MakeKey(record)});
      for (const auto& [fieldNo, rule] : notNull)
        if (IsNull(fieldNo, record))
          Problem(RecordText(id) + ": field '" + fields.Items(fieldNo)->ObjectName() + "' is NULL against " + rule);
      CheckValues(id, record);
    });
  } catch (const EDVXException& e) {
    Problem("the records cannot all be read (" + e.Message() + "); indexes and constraints are not compared");
    return report_;
  }

  for (int i = 0; i < table_.IndexCount(); ++i) CheckIndexEntries(i, keys[static_cast<size_t>(i)]);
  for (int i = 0; i < constraints.Count(); ++i) {
    const TDVXConstraintDef& c = *constraints.Items(i);
    if (c.ConstraintType() == ctPrimaryKey || c.ConstraintType() == ctUnique)
      CheckUnique(static_cast<const TDVXConstraintDefUnique&>(c), keys);
  }
  if (dropped_ > 0) report_.problems.push_back("table '" + table_.TableName() + "': " + std::to_string(dropped_) +
                                               " more problem(s) not listed");
  return report_;
}

void TDVXTableChecker::CheckValues(const TDVXRecordID& id, const uint8_t* record) {
  // Every BLOB, memo and picture value is read to its end: its block
  // headers, checksums and decompression are checked only by a read, and
  // damage there changes data although every page around it is sound.
  const TDVXFieldDefs& fields = table_.Fields();
  if (!fields.HasBlobOrVarStringFields()) return;
  if (piece_.empty()) piece_.resize(65536);
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& field = *fields.Items(i);
    if (!IsBlobType(field.BaseFieldType()) || IsNull(i, record)) continue;
    try {
      TDVXTableReadScope read(table_, session_);
      std::unique_ptr<TDVXBlobValueStream> stream = table_.OpenBlobValue(session_, i, record);
      stream->SetPosition(0);
      while (const uint64_t remaining = stream->Remaining()) {
        const size_t n = remaining < piece_.size() ? static_cast<size_t>(remaining) : piece_.size();
        stream->ReadExact(piece_.data(), n, "BLOB value");
      }
    } catch (const EDVXException& e) {
      Problem(RecordText(id) + ": the value of field '" + field.ObjectName() + "' cannot be read (" + e.Message() + ")");
    }
  }
}

void TDVXTableChecker::CheckIndexEntries(int indexNo, std::vector<TKeyed>& keys) {
  auto* btree = dynamic_cast<TDVXBTreeIndex*>(&table_.Index(indexNo));
  const std::string name = "index '" + table_.Index(indexNo).IndexDef().ObjectName() + "'";
  if (!btree) return;
  const TDVXBTreeCheckReport structure = TDVXBTreeChecker(*btree, session_).Check();
  for (int32_t page : structure.pages) report_.indexPages.emplace(page, name + " of table '" + table_.TableName() + "'");
  for (const std::string& p : structure.problems) Problem(name + ": " + p);
  if (!structure.Ok()) {
    Problem(name + " is not compared with the records: its structure is damaged");
    return;
  }

  std::unordered_map<TDVXRecordID, size_t, TDVXRecordIDHash> byID;
  for (size_t k = 0; k < keys.size(); ++k) byID.emplace(keys[k].id, k);
  std::vector<bool> found(keys.size(), false);
  const TDVXBTreeKeyRef& keyRef = btree->KeyRef();
  TDVXKeyPath path;
  try {
    // The structure check counted the entries; a walk longer than that
    // would be a chain the check did not see, so it stops there.
    int64_t steps = 0;
    for (bool more = btree->First(session_, path); more && steps < structure.entryCount;
         more = btree->MoveNext(session_, path), ++steps) {
      const TDVXRecordID id = btree->RecordIDAt(session_, path);
      auto it = byID.find(id);
      if (it == byID.end()) {
        Problem(name + ": the entry of " + RecordText(id) + " points at no live record");
        continue;
      }
      found[it->second] = true;
      if (keyRef.Compare(btree->KeyAt(session_, path).data(), keys[it->second].key.data()) != 0)
        Problem(name + ": the entry of " + RecordText(id) + " holds another key than the record's fields give");
    }
  } catch (const EDVXException& e) {
    Problem(name + ": its entries cannot be walked (" + e.Message() + ")");
    return;
  }
  for (size_t k = 0; k < keys.size(); ++k)
    if (!found[k]) Problem(RecordText(keys[k].id) + " has no entry in " + name);
}

void TDVXTableChecker::CheckUnique(const TDVXConstraintDefUnique& constraint,
                                   const std::vector<std::vector<TKeyed>>& keys) {
  const std::string kind = constraint.ConstraintType() == ctPrimaryKey ? "primary key" : "unique constraint";
  const std::string name = kind + " '" + constraint.ObjectName() + "'";
  int indexNo = -1;
  for (int i = 0; i < table_.IndexCount(); ++i)
    if (table_.Index(i).IndexDef().ObjectID() == constraint.Pairs()[2].id) indexNo = i;
  auto* btree = indexNo < 0 ? nullptr : dynamic_cast<TDVXBTreeIndex*>(&table_.Index(indexNo));
  if (!btree) {
    Problem(name + " has no index of the table behind it");
    return;
  }
  const TDVXBTreeKeyRef& keyRef = btree->KeyRef();
  std::vector<const TKeyed*> sorted;
  for (const TKeyed& k : keys[static_cast<size_t>(indexNo)]) sorted.push_back(&k);
  std::stable_sort(sorted.begin(), sorted.end(), [&](const TKeyed* a, const TKeyed* b) {
    return keyRef.Compare(a->key.data(), b->key.data()) < 0;
  });
  for (size_t k = 1; k < sorted.size(); ++k)
    if (keyRef.Compare(sorted[k - 1]->key.data(), sorted[k]->key.data()) == 0)
      Problem(RecordText(sorted[k - 1]->id) + " and " + RecordText(sorted[k]->id) + " share the key of " + name);
}

}  // namespace dvx
