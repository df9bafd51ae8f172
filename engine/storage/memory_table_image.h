#pragma once
// The saved image of an in-memory table: its definitions, its index pages
// and its records with their BLOB values, in one stream.
//
// Header (43 bytes), then the name and the counter:
//   0       4  signature "DVS1"
//   4       8  FormatVersion, IEEE double (written as 4.2)
//   12      8  record count, signed 64-bit (at most 2^31 - 1 when loaded)
//   20      8  body size before compression (compressed bodies; 0 otherwise)
//   28      8  reserved, 0
//   36      4  compressed size of the body (compressed bodies; otherwise
//              the value the saver was given)
//   40      1  compression algorithm of the body (0 none)
//   41      1  compression mode (0 is written as 1)
//   42      1  length n of the table name
//   43      n  table name
//   43 + n  8  the database's object-identifier counter
//   51 + n  …  body, compressed whole when the algorithm is not 0
//
// Body:
//   sequence definitions, field definitions, constraint definitions,
//   index definitions (their collections' stream forms), the index page
//   manager's stream form; when the record count is above 0 the record
//   manager's state (TDVXMemoryRecordManager) and every record in slot
//   order: its memory record buffer, in which the slot of each non-null
//   BLOB field holds the 64-bit position (in the body's stream) of the
//   field's saved value, followed by those values in field order, each a
//   20-byte header (Word0, 4; UncompressedSize, 8; StoredSize, 8) and
//   StoredSize bytes of stored form.
//
// Loading reads an image as hostile input: every count, size and position
// is checked before anything is allocated for it, a BLOB value must lie
// exactly where the next one is due, and the records must fill exactly the
// slots the saved bitmap names; anything else is an EDVXException and
// leaves no part of the table behind.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/stream.h"
#include "engine/schema/table_managers.h"
#include "engine/storage/memory_page_manager.h"
#include "engine/storage/memory_record_manager.h"

namespace dvx {

constexpr double kMemoryTableImageVersion = 4.2;

struct TDVXMemoryTableImageHeader {
  static constexpr size_t kSize = 43;
  static constexpr char kSignature[5] = "DVS1";

  double formatVersion = kMemoryTableImageVersion;
  int64_t recordCount = 0;
  uint64_t bodySize = 0;
  uint32_t compressedSize = 0;
  uint8_t algorithm = 0;
  uint8_t mode = 1;
  uint8_t nameLength = 0;

  void Encode(uint8_t* out) const;
  // Checks the signature and the version.
  static TDVXMemoryTableImageHeader Decode(const uint8_t* in);
};

// The parts of an in-memory table its image holds (borrowed).
struct TDVXMemoryTableParts {
  TDVXBaseSequenceManager* sequences = nullptr;
  TDVXBaseFieldManager* fields = nullptr;
  TDVXBaseConstraintManager* constraints = nullptr;
  TDVXBaseIndexManager* indexes = nullptr;
  TDVXMemoryPageManager* indexPages = nullptr;
  TDVXMemoryRecordManager* records = nullptr;
};

// The parts of a loaded table, owned; the record manager's table
// information points at `fields`.
struct TDVXLoadedMemoryTable {
  TDVXLoadedMemoryTable();
  ~TDVXLoadedMemoryTable();

  std::unique_ptr<TDVXBaseSequenceManager> sequences;
  std::unique_ptr<TDVXBaseFieldManager> fields;
  std::unique_ptr<TDVXBaseConstraintManager> constraints;
  std::unique_ptr<TDVXBaseIndexManager> indexes;
  std::unique_ptr<TDVXMemoryPageManager> indexPages;
  std::unique_ptr<TDVXMemoryRecordManager> records;
  TDVXStorageTableInfo info;
  bool hasBlobFields = false;
};

// Writes the image at the stream's position and leaves the stream at its
// end. `headerValue36` goes to header bytes 36 to 39 when the body is not
// compressed. A name of 256 characters or more is refused.
void SaveMemoryTableImage(TDVXStream& stream, const std::string& tableName, int64_t objectIDCounter,
                          const TDVXMemoryTableParts& parts, uint8_t algorithm = 0, uint32_t headerValue36 = 0,
                          uint8_t mode = 0);

// Loading is two steps, so the table object can tell a failure of the
// header (the table keeps its name) from one of the body (the table goes).
struct TDVXMemoryTableImageHead {
  TDVXMemoryTableImageHeader header;
  std::string tableName;
  int64_t objectIDCounter = 0;
};
TDVXMemoryTableImageHead ReadMemoryTableImageHead(TDVXStream& stream);
// Reads the body that follows the head; `tableID` and the head's name go
// into the record manager's table information.
std::unique_ptr<TDVXLoadedMemoryTable> ReadMemoryTableImageBody(TDVXStream& stream,
                                                                 const TDVXMemoryTableImageHead& head,
                                                                 int32_t tableID = 0);

}  // namespace dvx
