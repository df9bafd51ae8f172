#include "engine/storage/compression/zlib_compressor.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "engine/storage/compression/compression_errors.h"
#include "engine/storage/compression/output_window.h"

namespace dvx {
namespace {

// zlib counts in 32-bit units; larger buffers go through in pieces.
constexpr size_t kMaxPiece = 1u << 30;

uInt Piece(size_t remaining) { return static_cast<uInt>(std::min(remaining, kMaxPiece)); }

struct TDeflateGuard {
  z_stream* zs;
  ~TDeflateGuard() { deflateEnd(zs); }
};
struct TInflateGuard {
  z_stream* zs;
  ~TInflateGuard() { inflateEnd(zs); }
};

}  // namespace

std::vector<uint8_t> TDVXZlibCompressor::Compress(std::span<const uint8_t> input, uint8_t mode) const {
  if (mode > kMaxCompressionMode) ThrowCompressFailed(caZLIB, mode, input.size(), 0);
  z_stream zs{};
  if (deflateInit(&zs, mode) != Z_OK) ThrowCompressFailed(caZLIB, mode, input.size(), 0);
  TDeflateGuard guard{&zs};
  // deflateBound is exact enough that one pass always fits; the loop still
  // copes with a bound that is not.
  std::vector<uint8_t> out(deflateBound(&zs, static_cast<uLong>(input.size())));
  size_t consumed = 0;
  for (;;) {
    if (zs.total_out == out.size()) out.resize(out.size() * 2 + 64);
    zs.next_in = const_cast<Bytef*>(input.data() + consumed);
    zs.avail_in = Piece(input.size() - consumed);
    zs.next_out = out.data() + zs.total_out;
    zs.avail_out = Piece(out.size() - zs.total_out);
    const size_t before = zs.avail_in;
    const bool last = input.size() - consumed == before;
    const int rc = deflate(&zs, last ? Z_FINISH : Z_NO_FLUSH);
    consumed += before - zs.avail_in;
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK && rc != Z_BUF_ERROR) ThrowCompressFailed(caZLIB, mode, input.size(), out.size());
  }
  out.resize(zs.total_out);
  return out;
}

std::vector<uint8_t> TDVXZlibCompressor::Decompress(std::span<const uint8_t> input, size_t expectedSize) const {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) ThrowDecompressFailed(caZLIB, input.size(), expectedSize);
  TInflateGuard guard{&zs};
  TOutputWindow window(expectedSize);
  size_t consumed = 0;
  for (;;) {
    const size_t produced = zs.total_out;
    const size_t room = window.Room(produced);
    if (room == 0) ThrowDecompressFailed(caZLIB, input.size(), expectedSize);  // longer than announced
    zs.next_in = const_cast<Bytef*>(input.data() + consumed);
    zs.avail_in = Piece(input.size() - consumed);
    zs.next_out = window.At(produced);
    zs.avail_out = Piece(room);
    const size_t before = zs.avail_in;
    const int rc = inflate(&zs, Z_NO_FLUSH);
    consumed += before - zs.avail_in;
    if (rc == Z_STREAM_END) break;
    // Z_BUF_ERROR with room left means the input ended inside the stream.
    const bool stuck = rc == Z_BUF_ERROR && zs.avail_out != 0;
    if ((rc != Z_OK && rc != Z_BUF_ERROR) || stuck) ThrowDecompressFailed(caZLIB, input.size(), expectedSize);
  }
  const size_t produced = zs.total_out;
  if (consumed != input.size() || window.Overflowed(produced))
    ThrowDecompressFailed(caZLIB, input.size(), expectedSize);
  if (produced != expectedSize) ThrowDecompressSize(produced, expectedSize);
  return window.Take(produced);
}

}  // namespace dvx
