// A table's definitions are read from two internal files of its database:
// the metadata stream (fields and constraints) and the most-updated stream
// (sequences and indexes). Both are outside bytes: loading must end in
// definitions or in the engine's exception, never in a crash or a hang.
//
// Input: the first byte chooses the stream (even: metadata, odd:
// most-updated), the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/stream.h"
#include "engine/schema/table_managers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  dvx::TDVXMemoryStream stream(std::vector<uint8_t>(data + 1, data + size));
  try {
    if (data[0] % 2 == 0) {
      dvx::TDVXBaseSequenceManager sequences;
      dvx::TDVXBaseFieldManager fields(sequences);
      dvx::TDVXBaseConstraintManager constraints;
      dvx::LoadTableMetadataStream(stream, fields, constraints);
      dvx::TDVXMemoryStream saved;
      dvx::SaveTableMetadataStream(saved, fields, constraints);
    } else {
      dvx::TDVXBaseSequenceManager sequences;
      dvx::TDVXBaseIndexManager indexes;
      dvx::LoadMostUpdatedStream(stream, sequences, indexes);
    }
  } catch (const dvx::EDVXException&) {
  }
  return 0;
}
