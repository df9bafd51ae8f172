#include "engine/storage/table_list_file.h"
#include "engine/storage/storage_errors.h"
#include "engine/storage/owner_ids.h"

#include <climits>
#include <cstring>

#include "engine/core/exception.h"
#include "engine/core/locale.h"

namespace dvx {
namespace {
constexpr size_t kMaxNameLength = 255;
}  // namespace

void TDVXTableListRecord::Encode(uint8_t* out) const {
  std::memset(out, 0, kTableListRecordSize);
  size_t length = std::min(tableName.size(), kMaxNameLength);
  out[0] = static_cast<uint8_t>(length);
  std::memcpy(out + 1, tableName.data(), length);
  PutI32(out + kTableIDOffset, tableID);
  PutI32(out + kMetadataFirstPageOffset, metadataFirstPageNo);
  PutI32(out + kMostUpdatedFirstPageOffset, mostUpdatedFirstPageNo);
  PutI32(out + kPFSMapFirstPageOffset, pfsMapFirstPageNo);
  PutI32(out + kLocksFirstPageOffset, locksFirstPageNo);
  out[kReservedFlagOffset] = reservedFlag;
}

TDVXTableListRecord TDVXTableListRecord::Decode(const uint8_t* in) {
  TDVXTableListRecord r;
  // The length byte can say at most 255, which the 256-byte field holds.
  r.tableName.assign(reinterpret_cast<const char*>(in + 1), in[0]);
  r.tableID = GetI32(in + kTableIDOffset);
  r.metadataFirstPageNo = GetI32(in + kMetadataFirstPageOffset);
  r.mostUpdatedFirstPageNo = GetI32(in + kMostUpdatedFirstPageOffset);
  r.pfsMapFirstPageNo = GetI32(in + kPFSMapFirstPageOffset);
  r.locksFirstPageNo = GetI32(in + kLocksFirstPageOffset);
  r.reservedFlag = in[kReservedFlagOffset];
  return r;
}

TDVXTableListFile::TDVXTableListFile(TDVXPageManager& pageManager)
    : file_(pageManager, PageTypeIDTableList, false) {}

int32_t TDVXTableListFile::Create() {
  file_.Create(kSystemSessionID, kOwnerTableList);
  file_.Open(file_.FirstPageNo(), false);
  records_.clear();
  return file_.FirstPageNo();
}

void TDVXTableListFile::Open(int32_t firstPageNo) {
  file_.Open(firstPageNo, false);
  records_.clear();
}

void TDVXTableListFile::Reread() {
  file_.ReadFile(kSystemSessionID);
  const auto& content = file_.Content();
  if (content.size() % kTableListRecordSize != 0)
    throw EDVXException(kErrTableListStructure, "Invalid structure of TableListFile. File size = %d, record size = %d",
                        {static_cast<int64_t>(content.size()), kTableListRecordSize});
  records_.clear();
  for (size_t at = 0; at < content.size(); at += kTableListRecordSize)
    records_.push_back(TDVXTableListRecord::Decode(content.data() + at));
}

void TDVXTableListFile::WriteBack() {
  auto& content = file_.Content();
  content.assign(records_.size() * kTableListRecordSize, 0);
  for (size_t i = 0; i < records_.size(); ++i) records_[i].Encode(content.data() + i * kTableListRecordSize);
  if (records_.empty())
    file_.EmptyFile(kSystemSessionID);
  else
    file_.WriteFile(kSystemSessionID);
}

bool TDVXTableListFile::Exists(const std::string& name) { return GetRecord(name).has_value(); }

int32_t TDVXTableListFile::Add(const TDVXTableListRecord& record) {
  Reread();
  for (const auto& r : records_)
    if (SameName(r.tableName, record.tableName))
      throw EDVXException(kErrTableExists, "Cannot create table. Table '%s' already exists", {record.tableName});
  records_.push_back(record);
  if (records_.back().tableName.size() > kMaxNameLength) records_.back().tableName.resize(kMaxNameLength);
  WriteBack();
  return static_cast<int32_t>(records_.size());
}

void TDVXTableListFile::Delete(const std::string& name) {
  Reread();
  for (auto it = records_.begin(); it != records_.end(); ++it)
    if (SameName(it->tableName, name)) {
      records_.erase(it);
      WriteBack();
      return;
    }
  throw EDVXException(kErrTableNotFound, "Table '%s' is not found", {name});
}

void TDVXTableListFile::Rename(const std::string& oldName, const std::string& newName) {
  Reread();
  bool found = false;
  for (auto& r : records_)
    if (SameName(r.tableName, oldName)) {
      r.tableName = newName.substr(0, kMaxNameLength);
      found = true;
    }
  if (!found) throw EDVXException(kErrTableNotFound, "Table '%s' is not found", {oldName});
  WriteBack();
}

std::vector<std::string> TDVXTableListFile::ListNames() {
  Reread();
  std::vector<std::string> names;
  for (const auto& r : records_) names.push_back(r.tableName);
  return names;
}

// TableIDs stay unique after deletions: the next one is above every ID in
// use as well as above the record count, so a new table never shares its
// pages' OwnerID with a living one.
int32_t TDVXTableListFile::NextTableID() {
  Reread();
  int32_t next = static_cast<int32_t>(records_.size()) + 1;
  for (const auto& r : records_)
    if (r.tableID >= next && r.tableID < INT32_MAX) next = r.tableID + 1;
  return next;
}

std::optional<TDVXTableListRecord> TDVXTableListFile::GetRecord(const std::string& name) {
  Reread();
  for (const auto& r : records_)
    if (SameName(r.tableName, name)) return r;
  return std::nullopt;
}

const std::vector<TDVXTableListRecord>& TDVXTableListFile::Records() {
  Reread();
  return records_;
}

}  // namespace dvx
