// The cursor's visible fields (projection), field access by visible field
// number, field values, the index serving an order, and new records.
#include <cstring>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/values/field_types.h"
#include "engine/values/value_slot.h"
#include "engine/values/variant.h"
#include "engine/tables/cursor_field_errors.h"
#include "engine/tables/cursor_row_source.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_read_scope.h"

namespace dvx {

// --- the cursor's record for expressions ------------------------------------------

const TDVXFieldDefs& TDVXCursorRowSource::RowFieldDefs() const { return cursor_.Fields(); }

const uint8_t* TDVXCursorRowSource::RowBuffer() const { return cursor_.Record(); }

int TDVXCursorRowSource::FindSecondaryFieldName(std::string_view name) const {
  for (int i = 0; i < cursor_.VisibleFieldCount(); ++i)
    if (SameName(cursor_.VisibleFieldName(i), name)) return cursor_.VisibleFieldNo(i);
  return -1;
}

void TDVXCursorRowSource::ReadBlobFieldValue(int fieldNo, const uint8_t* buffer, TDVXVariant& value) const {
  ReadWholeBlob(cursor_, fieldNo, buffer ? buffer : cursor_.Record(), value);
}

void ReadWholeBlob(TDVXLocalCursor& cursor, int fieldNo, const uint8_t* record, TDVXVariant& value) {
  TDVXTableData& table = cursor.Table();
  const TDVXFieldDef& field = *table.Fields().Items(fieldNo);
  const uint8_t type = static_cast<uint8_t>(field.BaseFieldType());
  value.Clear(type);
  if (IsNull(fieldNo, record)) return;
  std::vector<uint8_t> bytes;
  {
    TDVXTableReadScope scope(table, cursor.SessionID());
    std::unique_ptr<TDVXBlobValueStream> stream = table.OpenBlobValue(cursor.SessionID(), fieldNo, record);
    bytes.resize(static_cast<size_t>(stream->Size()));
    stream->SetPosition(0);
    size_t done = 0;
    while (done < bytes.size()) {
      const size_t n = stream->Read(bytes.data() + done, bytes.size() - done);
      if (n == 0) break;
      done += n;
    }
    bytes.resize(done);
  }
  // Callers read text values as zero-terminated characters.
  bytes.insert(bytes.end(), type == bftWideMemo ? 2 : 1, 0);
  value.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, type);
}

// --- projection -----------------------------------------------------------------------

void TDVXLocalCursor::SetProjection(const std::vector<std::string>& fieldNames,
                                    const std::vector<std::string>& aliases) {
  const TDVXFieldDefs& fields = Fields();
  if (fieldNames.size() != aliases.size())
    throw EDVXException(kErrProjectionLengths, "Error - different lists length. L1 = %d, L2 = %d",
                        {static_cast<int32_t>(fieldNames.size()), static_cast<int32_t>(aliases.size())});
  if (fieldNames.empty())
    throw EDVXException(kErrProjectionEmpty, "No fields were specified while setting projection");
  std::vector<TVisibleField> visible;
  for (size_t i = 0; i < fieldNames.size(); ++i) {
    const int fieldNo = fields.FindByName(fieldNames[i]);
    if (fieldNo < 0) throw EDVXException(kErrProjectionField, "Cannot find field %s", {fieldNames[i]});
    visible.push_back({fieldNo, aliases[i].empty() ? fields.Items(fieldNo)->ObjectName() : aliases[i]});
  }
  visibleFields_ = std::move(visible);
}

int TDVXLocalCursor::VisibleFieldCount() const {
  if (!table_) return 0;
  return visibleFields_.empty() ? Fields().Count() : static_cast<int>(visibleFields_.size());
}

int TDVXLocalCursor::VisibleFieldNo(int fieldNo) const {
  return visibleFields_.empty() ? fieldNo : visibleFields_.at(static_cast<size_t>(fieldNo)).fieldNo;
}

std::string TDVXLocalCursor::VisibleFieldName(int fieldNo) const {
  if (visibleFields_.empty()) return Fields().Items(fieldNo)->ObjectName();
  return visibleFields_.at(static_cast<size_t>(fieldNo)).name;
}

// --- field access -----------------------------------------------------------------------

bool TDVXLocalCursor::GetFieldData(int fieldNo, void* dest) const {
  const int count = VisibleFieldCount();
  if (fieldNo < 0 || fieldNo >= count || !table_)
    throw EDVXException(kErrGetFieldNo, "Invalid field number - FieldNo = %d, FieldCount = %d", {fieldNo, count});
  return ::dvx::GetFieldData(VisibleFieldNo(fieldNo), Fields(), dest, Record());
}

void TDVXLocalCursor::SetFieldData(int fieldNo, const void* source) {
  const int count = VisibleFieldCount();
  if (fieldNo < 0 || fieldNo >= count || !table_)
    throw EDVXException(kErrSetFieldNo, "Invalid field number - FieldNo = %d, FieldCount = %d", {fieldNo, count});
  ::dvx::SetFieldData(VisibleFieldNo(fieldNo), Fields(), source, Record());
}

void TDVXLocalCursor::GetFieldValue(int fieldNo, TDVXVariant& value) {
  const int count = VisibleFieldCount();
  if (fieldNo < 0 || fieldNo >= count || !table_)
    throw EDVXException(kErrGetFieldNo, "Invalid field number - FieldNo = %d, FieldCount = %d", {fieldNo, count});
  const int tableFieldNo = VisibleFieldNo(fieldNo);
  const TDVXFieldDef& field = *Fields().Items(tableFieldNo);
  const int type = field.BaseFieldType();
  if (IsBlobType(type)) return ReadWholeBlob(*this, tableFieldNo, Record(), value);
  value.Clear(static_cast<uint8_t>(type));
  if (IsNull(tableFieldNo, Record())) return;
  ReadFieldSlot(value, type, Record() + field.MemoryOffset(), field.MemoryDataSize(), false);
}

// --- indexes and new records ----------------------------------------------------------

std::string TDVXLocalCursor::FindIndexByFields(const std::vector<std::string>& fieldNames,
                                               const std::vector<std::string>& directions,
                                               const std::vector<std::string>& cases) {
  TDVXTableData& table = Table();
  const int32_t id = table.IndexManager().IndexDefs().FindByColumns(fieldNames, directions, cases);
  if (id == -1) return "";
  TDVXIndex* index = table.IndexByID(id);
  if (!index) throw EDVXException(kErrIndexByID, "Cannot find index by ID = %d", {id});
  return index->IndexDef().ObjectName();
}

void TDVXLocalCursor::InitRecord(uint8_t* buffer, bool applyDefaults) {
  TDVXTableData& table = Table();
  const TDVXFieldDefs& fields = table.Fields();
  // Only the cursor's own buffer can hold pending values of its own.
  if (buffer == Record()) DiscardPendingBlobs(fields, buffer);
  std::memset(buffer, 0, static_cast<size_t>(table.RecordSize()));
  for (int i = 0; i < fields.Count(); ++i) SetNull(true, i, buffer);
  // The autoincrement values are taken now, not by the insert: a record
  // given up before it is posted has still used its number.
  if (applyDefaults && !temporaryMode_) table.ApplyDefaults(*this, buffer, true);
}

}  // namespace dvx
