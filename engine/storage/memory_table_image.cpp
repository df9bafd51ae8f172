#include "engine/storage/memory_table_image.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/coded_stream_items.h"
#include "engine/storage/compression/compressor.h"
#include "engine/storage/data_item.h"
#include "engine/storage/memory_storage_errors.h"

namespace dvx {
namespace {

constexpr size_t kBlobHeaderSize = 20;
constexpr size_t kMaxNameLength = 255;
// A body larger than this is not an in-memory table's.
constexpr uint64_t kMaxBodySize = uint64_t{1} << 40;

[[noreturn]] void Invalid(const char* what, int64_t value) {
  throw EDVXException(kErrImageInvalid, "Invalid in-memory table image: %s = %d", {std::string(what), value});
}

[[noreturn]] void BadVersion(int32_t code, double version) {
  throw EDVXException(code, "Invalid version number = %f. Should be %f", {version, kMemoryTableImageVersion});
}

double GetDouble(const uint8_t* in) {
  const uint64_t bits = GetU64(in);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void PutDouble(uint8_t* out, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU64(out, bits);
}

bool HasBlobFields(const TDVXFieldDefs& fields) {
  for (int i = 0; i < fields.Count(); ++i)
    if (IsBlobType(fields.Items(i)->BaseFieldType())) return true;
  return false;
}

void WriteRecords(TDVXStream& body, TDVXMemoryRecordManager& records) {
  const TDVXFieldDefs& fields = records.Fields();
  const bool blobs = HasBlobFields(fields);
  const int32_t code = blobs ? kErrImageWriteBlobRecord : kErrImageWriteRecord;
  const size_t size = static_cast<size_t>(records.RecordSize());
  std::vector<uint8_t> buffer(size);
  for (int32_t slot = records.NextUsedSlot(0); slot != -1; slot = records.NextUsedSlot(slot + 1)) {
    std::memcpy(buffer.data(), records.Record(slot), size);
    // The values follow the buffer in field order; each slot is given its
    // value's position before the buffer is written.
    std::vector<const TDVXMemoryBlobStore::TValue*> values;
    uint64_t position = body.Position() + size;
    for (int i = 0; blobs && i < fields.Count(); ++i) {
      const TDVXFieldDef& f = *fields.Items(i);
      if (!IsBlobType(f.BaseFieldType()) || IsNull(i, buffer.data())) continue;
      const TDVXMemoryBlobStore::TValue& value =
          records.Blobs().Get(TDVXMemoryBlobStore::SlotID(buffer.data() + f.MemoryOffset()));
      PutU64(buffer.data() + f.MemoryOffset(), position);
      position += kBlobHeaderSize + value.storedSize;
      values.push_back(&value);
    }
    body.WriteBuffer(buffer.data(), size, code);
    for (const TDVXMemoryBlobStore::TValue* value : values) {
      uint8_t header[kBlobHeaderSize];
      TDVXItemHeader{value->word0, value->uncompressedSize, value->storedSize}.Encode(header);
      body.WriteBuffer(header, kBlobHeaderSize, kErrImageWriteBlobHeader);
      body.WriteBuffer(value->stored.get(), value->storedSize, kErrImageWriteBlobData);
    }
  }
}

void WriteBody(TDVXStream& body, const TDVXMemoryTableParts& parts, int64_t recordCount) {
  parts.sequences->SaveToStream(body, parts.fields->FieldDefs());
  parts.fields->SaveToStream(body);
  parts.constraints->ConstraintDefs().SaveToStream(body);
  parts.indexes->IndexDefs().SaveToStream(body);
  parts.indexPages->SaveToStream(body);
  if (recordCount == 0) return;
  parts.records->SaveToStream(body);
  WriteRecords(body, *parts.records);
}

// One record from the body: the buffer, then its BLOB values as pending
// values of the buffer. On a failure no pending value is left.
void ReadRecord(TDVXStream& body, const TDVXFieldDefs& fields, uint8_t* buffer, size_t size) {
  body.ReadBuffer(buffer, size, kErrImageReadRecord);
  // First every slot is made safe: strings end in a terminator and BLOB
  // slots hold nothing from outside, so a failure below can release the
  // buffer's pending values without touching a foreign handle.
  std::vector<std::pair<int, uint64_t>> positions;
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    uint8_t* slot = buffer + f.MemoryOffset();
    const int base = f.BaseFieldType();
    if (IsFixedStringType(base) && !IsNull(i, buffer)) {
      const size_t unit = IsWideType(base) ? 2 : 1;
      if (static_cast<size_t>(f.MemoryDataSize()) >= unit)
        std::memset(slot + f.MemoryDataSize() - unit, 0, unit);
    }
    if (!IsBlobType(base)) continue;
    if (!IsNull(i, buffer)) positions.emplace_back(i, GetU64(slot));
    std::memset(slot, 0, 8);
    SetNull(true, i, buffer);
  }
  try {
    for (const auto& [i, position] : positions) {
      if (position != body.Position())
        throw EDVXException(kErrImageBlobSeek, "Cannot set stream position to %d. Position = %d, Size = %d",
                            {static_cast<int64_t>(std::min<uint64_t>(position, INT64_MAX)),
                             static_cast<int64_t>(body.Position()), static_cast<int64_t>(body.Size())});
      uint8_t header[kBlobHeaderSize];
      body.ReadBuffer(header, kBlobHeaderSize, kErrImageReadBlobHeader);
      const TDVXItemHeader item = TDVXItemHeader::Decode(header);
      CheckAvailable(body, item.storedSize, kErrImageReadBlobData);
      TDVXMemoryStream stored;
      stored.SetSize(item.storedSize);
      body.ReadBuffer(stored.Bytes().data(), static_cast<size_t>(item.storedSize), kErrImageReadBlobData);
      TDVXPendingBlobHeader pending{};
      PutI32(pending.data(), item.word0);
      PutU64(pending.data() + 4, item.uncompressedSize);
      StoreBlobValue(i, fields, buffer, pending, stored);
    }
  } catch (...) {
    DiscardPendingBlobs(fields, buffer);
    throw;
  }
}

void ReadBody(TDVXStream& body, const TDVXMemoryTableImageHead& head, TDVXLoadedMemoryTable& table,
              int32_t tableID) {
  table.sequences->LoadFromStream(body);
  table.fields->LoadFromStream(body);
  table.constraints->ConstraintDefs().LoadFromStream(body);
  table.indexes->IndexDefs().LoadFromStream(body);
  table.indexPages->LoadFromStream(body);
  const TDVXFieldDefs& fields = table.fields->FieldDefs();
  table.hasBlobFields = HasBlobFields(fields);
  table.info.tableID = tableID;
  table.info.tableName = head.tableName;
  table.info.fields = &fields;
  table.records = std::make_unique<TDVXMemoryRecordManager>(table.info);
  const int64_t count = head.header.recordCount;
  if (count == 0) return;
  table.records->LoadState(body, count);
  const size_t size = static_cast<size_t>(table.records->RecordSize());
  // Every record's buffer must be there before any is read.
  CheckAvailable(body, static_cast<uint64_t>(count) * size, kErrImageReadRecord);
  std::vector<uint8_t> buffer(size);
  for (int64_t n = 0; n < count; ++n) {
    ReadRecord(body, fields, buffer.data(), size);
    try {
      table.records->AppendRecord(buffer.data());
    } catch (...) {
      DiscardPendingBlobs(fields, buffer.data());
      throw;
    }
    // The pending values passed to the manager; the buffer names none.
    std::fill(buffer.begin(), buffer.end(), 0);
  }
  table.records->FinishLoad();
}

}  // namespace

void TDVXMemoryTableImageHeader::Encode(uint8_t* out) const {
  std::memset(out, 0, kSize);
  std::memcpy(out, kSignature, 4);
  PutDouble(out + 4, formatVersion);
  PutI64(out + 12, recordCount);
  PutU64(out + 20, bodySize);
  PutU32(out + 36, compressedSize);
  out[40] = algorithm;
  out[41] = mode;
  out[42] = nameLength;
}

TDVXMemoryTableImageHeader TDVXMemoryTableImageHeader::Decode(const uint8_t* in) {
  if (std::memcmp(in, kSignature, 4) != 0)
    throw EDVXException(kErrImageSignature, "Invalid signature = %s. Should be %s",
                        {std::string(reinterpret_cast<const char*>(in), 4), std::string(kSignature)});
  TDVXMemoryTableImageHeader h;
  h.formatVersion = GetDouble(in + 4);
  // Written so that a version that is not a number fails the first check.
  if (!(h.formatVersion <= 4.2001)) BadVersion(kErrImageVersionNewer, h.formatVersion);
  if (h.formatVersion < 1.0001) BadVersion(kErrImageVersionOld, h.formatVersion);
  if (h.formatVersion < 1.010001) BadVersion(kErrImageVersion101, h.formatVersion);
  if (h.formatVersion < 1.020001) BadVersion(kErrImageVersion102, h.formatVersion);
  h.recordCount = GetI64(in + 12);
  h.bodySize = GetU64(in + 20);
  h.compressedSize = GetU32(in + 36);
  h.algorithm = in[40];
  h.mode = in[41];
  h.nameLength = in[42];
  if (h.recordCount < 0 || h.recordCount > std::numeric_limits<int32_t>::max())
    Invalid("record count", h.recordCount);
  return h;
}

TDVXLoadedMemoryTable::TDVXLoadedMemoryTable()
    : sequences(std::make_unique<TDVXBaseSequenceManager>()),
      fields(std::make_unique<TDVXBaseFieldManager>(*sequences)),
      constraints(std::make_unique<TDVXBaseConstraintManager>()),
      indexes(std::make_unique<TDVXBaseIndexManager>()),
      indexPages(std::make_unique<TDVXMemoryPageManager>()) {}

// The record manager goes before the fields it points at.
TDVXLoadedMemoryTable::~TDVXLoadedMemoryTable() { records.reset(); }

void SaveMemoryTableImage(TDVXStream& stream, const std::string& tableName, int64_t objectIDCounter,
                          const TDVXMemoryTableParts& parts, uint8_t algorithm, uint32_t headerValue36,
                          uint8_t mode) {
  if (tableName.size() > kMaxNameLength)
    throw EDVXException(kErrImageNameTooLong, "Cannot save table '%s': its name has %d characters, at most 255 fit",
                        {tableName, static_cast<int64_t>(tableName.size())});
  TDVXMemoryTableImageHeader header;
  header.recordCount = parts.records->RecordCount(0);
  header.compressedSize = headerValue36;
  header.algorithm = algorithm;
  header.mode = mode == 0 ? 1 : mode;
  header.nameLength = static_cast<uint8_t>(tableName.size());
  const uint64_t start = stream.Position();
  uint8_t bytes[TDVXMemoryTableImageHeader::kSize];
  header.Encode(bytes);
  stream.WriteBuffer(bytes, sizeof bytes, kErrImageWriteHeader);
  stream.WriteBuffer(tableName.data(), tableName.size(), kErrImageWriteName);
  WriteCodedU64(stream, static_cast<uint64_t>(objectIDCounter), kErrImageWriteCounter);
  if (algorithm == caNone) {
    WriteBody(stream, parts, header.recordCount);
  } else {
    TDVXMemoryStream body;
    WriteBody(body, parts, header.recordCount);
    const std::vector<uint8_t> packed = CompressBuffer(algorithm, header.mode, body.Bytes());
    if (packed.size() > std::numeric_limits<uint32_t>::max())
      Invalid("compressed body size", static_cast<int64_t>(packed.size()));
    header.compressedSize = static_cast<uint32_t>(packed.size());
    header.bodySize = body.Size();
    stream.WriteBuffer(packed.data(), packed.size(), kErrImageWriteBody);
    header.Encode(bytes);
  }
  // The header again, with what is known now.
  const uint64_t end = stream.Position();
  if (start > stream.Size())
    throw EDVXException(kErrImageSeekBack, "Cannot set stream position to %d. Position = %d, Size = %d",
                        {static_cast<int64_t>(start), static_cast<int64_t>(end), static_cast<int64_t>(stream.Size())});
  stream.SetPosition(start);
  stream.WriteBuffer(bytes, sizeof bytes, kErrImageWriteHeader);
  stream.SetPosition(end);
}

TDVXMemoryTableImageHead ReadMemoryTableImageHead(TDVXStream& stream) {
  uint8_t bytes[TDVXMemoryTableImageHeader::kSize];
  stream.ReadBuffer(bytes, sizeof bytes, kErrImageReadHeader);
  TDVXMemoryTableImageHead head;
  head.header = TDVXMemoryTableImageHeader::Decode(bytes);
  head.tableName.resize(head.header.nameLength);
  stream.ReadBuffer(head.tableName.data(), head.tableName.size(), kErrImageReadName);
  head.objectIDCounter = static_cast<int64_t>(ReadCodedU64(stream, kErrImageReadCounter));
  return head;
}

std::unique_ptr<TDVXLoadedMemoryTable> ReadMemoryTableImageBody(TDVXStream& stream,
                                                                 const TDVXMemoryTableImageHead& head,
                                                                 int32_t tableID) {
  auto table = std::make_unique<TDVXLoadedMemoryTable>();
  const TDVXMemoryTableImageHeader& header = head.header;
  if (header.algorithm == caNone) {
    ReadBody(stream, head, *table, tableID);
    return table;
  }
  // The body's size is needed to decompress it; the decompressors grow
  // their output only as the data asks, and fail past the announced size.
  if (header.bodySize > kMaxBodySize) Invalid("body size", static_cast<int64_t>(header.bodySize));
  CheckAvailable(stream, header.compressedSize, kErrImageReadBody);
  std::vector<uint8_t> packed(header.compressedSize);
  stream.ReadBuffer(packed.data(), packed.size(), kErrImageReadBody);
  TDVXMemoryStream body(DecompressBuffer(header.algorithm, packed, static_cast<size_t>(header.bodySize)));
  ReadBody(body, head, *table, tableID);
  return table;
}

}  // namespace dvx
