#include "engine/storage/compression/bzip_compressor.h"

#include <bzlib.h>

#include <algorithm>

#include "engine/storage/compression/compression_errors.h"
#include "engine/storage/compression/output_window.h"

namespace dvx {
namespace {

constexpr size_t kMaxPiece = 1u << 30;
constexpr int kWorkFactor = 0;

unsigned Piece(size_t remaining) { return static_cast<unsigned>(std::min(remaining, kMaxPiece)); }

uint64_t TotalOut(const bz_stream& bs) {
  return (static_cast<uint64_t>(bs.total_out_hi32) << 32) | bs.total_out_lo32;
}

struct TCompressGuard {
  bz_stream* bs;
  ~TCompressGuard() { BZ2_bzCompressEnd(bs); }
};
struct TDecompressGuard {
  bz_stream* bs;
  ~TDecompressGuard() { BZ2_bzDecompressEnd(bs); }
};

}  // namespace

std::vector<uint8_t> TDVXBzipCompressor::Compress(std::span<const uint8_t> input, uint8_t mode) const {
  if (mode < 1 || mode > kMaxCompressionMode) ThrowCompressFailed(caBZIP, mode, input.size(), 0);
  bz_stream bs{};
  if (BZ2_bzCompressInit(&bs, mode, 0, kWorkFactor) != BZ_OK) ThrowCompressFailed(caBZIP, mode, input.size(), 0);
  TCompressGuard guard{&bs};
  // The library's own bound for one-shot compression: 1% + 600 bytes.
  std::vector<uint8_t> out(input.size() + input.size() / 100 + 600);
  size_t consumed = 0;
  for (;;) {
    const size_t produced = TotalOut(bs);
    if (produced == out.size()) out.resize(out.size() * 2);
    bs.next_in = const_cast<char*>(reinterpret_cast<const char*>(input.data() + consumed));
    bs.avail_in = Piece(input.size() - consumed);
    bs.next_out = reinterpret_cast<char*>(out.data() + produced);
    bs.avail_out = Piece(out.size() - produced);
    const unsigned before = bs.avail_in;
    const bool last = input.size() - consumed == before;
    const int rc = BZ2_bzCompress(&bs, last ? BZ_FINISH : BZ_RUN);
    consumed += before - bs.avail_in;
    if (rc == BZ_STREAM_END) break;
    if (rc != BZ_RUN_OK && rc != BZ_FINISH_OK) ThrowCompressFailed(caBZIP, mode, input.size(), out.size());
  }
  out.resize(TotalOut(bs));
  return out;
}

std::vector<uint8_t> TDVXBzipCompressor::Decompress(std::span<const uint8_t> input, size_t expectedSize) const {
  bz_stream bs{};
  if (BZ2_bzDecompressInit(&bs, 0, 0) != BZ_OK) ThrowDecompressFailed(caBZIP, input.size(), expectedSize);
  TDecompressGuard guard{&bs};
  TOutputWindow window(expectedSize);
  size_t consumed = 0;
  for (;;) {
    const size_t produced = TotalOut(bs);
    const size_t room = window.Room(produced);
    if (room == 0) ThrowDecompressFailed(caBZIP, input.size(), expectedSize);  // longer than announced
    bs.next_in = const_cast<char*>(reinterpret_cast<const char*>(input.data() + consumed));
    bs.avail_in = Piece(input.size() - consumed);
    bs.next_out = reinterpret_cast<char*>(window.At(produced));
    bs.avail_out = Piece(room);
    const unsigned before = bs.avail_in;
    const int rc = BZ2_bzDecompress(&bs);
    consumed += before - bs.avail_in;
    if (rc == BZ_STREAM_END) break;
    if (rc != BZ_OK) ThrowDecompressFailed(caBZIP, input.size(), expectedSize);
    // The library answers BZ_OK without progress once the input has run
    // out inside the stream.
    if (before - bs.avail_in == 0 && TotalOut(bs) == produced)
      ThrowDecompressFailed(caBZIP, input.size(), expectedSize);
  }
  const size_t produced = TotalOut(bs);
  if (consumed != input.size() || window.Overflowed(produced))
    ThrowDecompressFailed(caBZIP, input.size(), expectedSize);
  if (produced != expectedSize) ThrowDecompressSize(produced, expectedSize);
  return window.Take(produced);
}

}  // namespace dvx
