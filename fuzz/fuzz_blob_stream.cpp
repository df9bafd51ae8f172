// A BLOB value's stored form comes from a data item of the file: any bytes,
// with any block count, size and settings, must open and read as a
// compressed BLOB stream or fail with the engine's exception. When a value
// reads whole, cutting it and appending to it must give back exactly the
// bytes expected.
//
// Input: an 11-byte prefix, then the stored form.
//   0  1  algorithm (0 none, 1 zlib, 2 bzip2, 3 PPM; others name nothing)
//   1  1  mode
//   2  2  block size (0: the default for the mode)
//   4  2  BlockCount
//   6  4  uncompressed size
//   10 1  bit 0: MayExceedData; bit 1: also cut and append
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/core/stream.h"
#include "engine/storage/compressed_blob_stream.h"

namespace {
constexpr size_t kPrefixSize = 11;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kPrefixSize || size > (1u << 20)) return 0;
  dvx::TDVXBlobStreamDescriptor descriptor;
  descriptor.algorithm = data[0];
  descriptor.mode = data[1] % 10;
  descriptor.blockSize = dvx::GetU16(data + 2);
  descriptor.blockCount = dvx::GetU16(data + 4);
  descriptor.uncompressedSize = dvx::GetU32(data + 6);
  const bool mayExceed = data[10] & 1, change = data[10] & 2;
  dvx::TDVXMemoryStream under(std::vector<uint8_t>(data + kPrefixSize, data + size));
  std::vector<uint8_t> value;
  try {
    dvx::TDVXCompressedBLOBStream stream(under, descriptor, false, mayExceed);
    // A few blocks may stand for many megabytes (well compressed zeros);
    // the target reads at most the first four.
    const bool whole = stream.Size() <= (4u << 20);
    value.resize(static_cast<size_t>(std::min<uint64_t>(stream.Size(), 4u << 20)));
    size_t done = 0;
    for (size_t piece = 1; done < value.size(); piece = piece * 3 + 1) {
      const size_t n = stream.Read(value.data() + done, std::min(piece, value.size() - done));
      if (n == 0) break;
      done += n;
    }
    if (!whole || done != value.size() || !change) return 0;
    const uint64_t half = value.size() / 2;
    stream.SetSize(half);
    stream.SetPosition(half);
    stream.WriteBuffer(data, kPrefixSize, 0);
    std::vector<uint8_t> expected(value.begin(), value.begin() + static_cast<ptrdiff_t>(half));
    expected.insert(expected.end(), data, data + kPrefixSize);
    std::vector<uint8_t> back(static_cast<size_t>(stream.Size()));
    stream.SetPosition(0);
    stream.ReadBuffer(back.data(), back.size(), 0);
    if (back != expected) std::abort();
  } catch (const dvx::EDVXException&) {
  }
  return 0;
}
