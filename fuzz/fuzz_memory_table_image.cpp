// A saved in-memory table is read back from any stream a user hands the
// engine: the input is an image. Loading it must end in a table or in the
// engine's exception; a table that loads is walked whole (every record and
// BLOB value read), saved again and must load again with the same records,
// and no pending BLOB value may be left behind either way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/stream.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/memory_table_image.h"

namespace {

// Reads every record and every BLOB value; the number of records walked.
int64_t Walk(dvx::TDVXMemoryRecordManager& records) {
  const dvx::TDVXFieldDefs& fields = records.Fields();
  std::vector<uint8_t> buffer(static_cast<size_t>(records.RecordSize()));
  dvx::TDVXGetRecordRequest request;
  request.buffer = buffer.data();
  request.mode = dvx::grmNext;
  request.first = true;
  int64_t n = 0;
  while (records.GetRecord(request) == dvx::grrDone) {
    ++n;
    for (int i = 0; i < fields.Count(); ++i) {
      if (!dvx::IsBlobType(fields.Items(i)->BaseFieldType())) continue;
      auto value = records.OpenBlob(i, buffer.data(), 1u << 20);
      std::vector<uint8_t> bytes(static_cast<size_t>(std::min<uint64_t>(value->Size(), 1u << 20)));
      // A stored form that does not decode is the exception, not a crash.
      value->Read(bytes.data(), bytes.size());
    }
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const size_t pending = dvx::PendingBlobCount();
  dvx::TDVXMemoryStream stream(std::vector<uint8_t>(data, data + size));
  std::unique_ptr<dvx::TDVXLoadedMemoryTable> table;
  dvx::TDVXMemoryTableImageHead head;
  try {
    head = dvx::ReadMemoryTableImageHead(stream);
    table = dvx::ReadMemoryTableImageBody(stream, head);
  } catch (const dvx::EDVXException&) {
  }
  if (dvx::PendingBlobCount() != pending) std::abort();
  if (!table) return 0;
  int64_t walked = 0;
  try {
    walked = Walk(*table->records);
  } catch (const dvx::EDVXException&) {
    return 0;
  }
  if (walked != table->records->RecordCount(0)) std::abort();
  // What loaded saves and loads again.
  dvx::TDVXMemoryStream again;
  dvx::TDVXMemoryTableParts parts{table->sequences.get(), table->fields.get(),     table->constraints.get(),
                                  table->indexes.get(),   table->indexPages.get(), table->records.get()};
  try {
    dvx::SaveMemoryTableImage(again, head.tableName, head.objectIDCounter, parts);
  } catch (const dvx::EDVXException&) {
    // Definitions that loaded but cannot be written (a value the writer
    // refuses) end here.
    return 0;
  }
  again.SetPosition(0);
  dvx::TDVXMemoryTableImageHead head2 = dvx::ReadMemoryTableImageHead(again);
  auto back = dvx::ReadMemoryTableImageBody(again, head2);
  if (back->records->RecordCount(0) != walked) std::abort();
  return 0;
}
