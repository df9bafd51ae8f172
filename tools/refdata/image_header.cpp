#include "tools/refdata/image_header.h"

#include <algorithm>
#include <array>

namespace refdata {

namespace {

constexpr std::array<uint8_t, 8> kPngSignature{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr size_t kPngIhdrType = 12;
constexpr size_t kPngWidth = 16;
constexpr size_t kPngHeight = 20;
constexpr size_t kPngHeaderEnd = 24;

constexpr size_t kBmpInfoSize = 14;
constexpr size_t kBmpWidth = 18;
constexpr size_t kBmpCoreHeight = 20;
constexpr size_t kBmpHeight = 22;
constexpr uint32_t kBmpCoreInfoSize = 12;
constexpr uint32_t kBmpMinInfoSize = 40;

constexpr uint8_t kJpegMarker = 0xFF;
constexpr uint8_t kJpegStartOfImage = 0xD8;
constexpr uint8_t kJpegEndOfImage = 0xD9;
constexpr uint8_t kJpegStartOfScan = 0xDA;
constexpr uint8_t kJpegTem = 0x01;

uint32_t Big16(std::span<const uint8_t> b, size_t at) { return uint32_t(b[at]) << 8 | b[at + 1]; }
uint32_t Big32(std::span<const uint8_t> b, size_t at) { return Big16(b, at) << 16 | Big16(b, at + 2); }
uint32_t Little16(std::span<const uint8_t> b, size_t at) { return uint32_t(b[at + 1]) << 8 | b[at]; }
uint32_t Little32(std::span<const uint8_t> b, size_t at) { return Little16(b, at + 2) << 16 | Little16(b, at); }

TImageProbe Fail(std::string error) { return {std::nullopt, std::move(error)}; }
TImageProbe Found(TImageFormat format, uint32_t width, uint32_t height) { return {TImageInfo{format, width, height}, ""}; }

TImageProbe ProbePng(std::span<const uint8_t> bytes) {
  if (bytes.size() < kPngHeaderEnd) return Fail("PNG file ends before its header chunk");
  if (std::string_view(reinterpret_cast<const char*>(bytes.data() + kPngIhdrType), 4) != "IHDR")
    return Fail("PNG file does not begin with its IHDR chunk");
  return Found(TImageFormat::Png, Big32(bytes, kPngWidth), Big32(bytes, kPngHeight));
}

TImageProbe ProbeBmp(std::span<const uint8_t> bytes) {
  if (bytes.size() < kBmpInfoSize + 4) return Fail("BMP file ends before its info header");
  const uint32_t infoSize = Little32(bytes, kBmpInfoSize);
  if (infoSize == kBmpCoreInfoSize) {
    if (bytes.size() < kBmpCoreHeight + 2) return Fail("BMP file ends inside its info header");
    return Found(TImageFormat::Bmp, Little16(bytes, kBmpWidth), Little16(bytes, kBmpCoreHeight));
  }
  if (infoSize < kBmpMinInfoSize) return Fail("BMP info header has the unknown size " + std::to_string(infoSize));
  if (bytes.size() < kBmpHeight + 4) return Fail("BMP file ends inside its info header");
  const auto width = static_cast<int32_t>(Little32(bytes, kBmpWidth));
  const auto height = static_cast<int32_t>(Little32(bytes, kBmpHeight));
  if (width < 0) return Fail("BMP width is negative");
  // A negative height marks rows stored top-down; the size is its magnitude.
  const uint32_t rows = height < 0 ? uint32_t(0) - static_cast<uint32_t>(height) : static_cast<uint32_t>(height);
  return Found(TImageFormat::Bmp, static_cast<uint32_t>(width), rows);
}

bool IsStartOfFrame(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

TImageProbe ProbeJpeg(std::span<const uint8_t> bytes) {
  size_t at = 2;
  while (true) {
    if (at >= bytes.size()) return Fail("JPEG file ends before its frame header");
    if (bytes[at] != kJpegMarker) return Fail("JPEG segment at byte " + std::to_string(at) + " does not start with FF");
    while (at < bytes.size() && bytes[at] == kJpegMarker) ++at;  // fill bytes
    if (at >= bytes.size()) return Fail("JPEG file ends before its frame header");
    const uint8_t marker = bytes[at++];
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == kJpegTem || marker == kJpegStartOfImage) continue;
    if (marker == kJpegStartOfScan || marker == kJpegEndOfImage)
      return Fail("JPEG file has no frame header before its image data");
    if (at + 2 > bytes.size()) return Fail("JPEG file ends inside a segment length");
    const uint32_t length = Big16(bytes, at);
    if (length < 2) return Fail("JPEG segment at byte " + std::to_string(at - 2) + " has the impossible length " + std::to_string(length));
    if (at + length > bytes.size()) return Fail("JPEG segment at byte " + std::to_string(at - 2) + " runs past the end of the file");
    if (IsStartOfFrame(marker)) {
      if (length < 7) return Fail("JPEG frame header is too short");
      return Found(TImageFormat::Jpeg, Big16(bytes, at + 5), Big16(bytes, at + 3));
    }
    at += length;
  }
}

}  // namespace

TImageProbe ProbeImage(std::span<const uint8_t> bytes) {
  if (bytes.size() >= kPngSignature.size() && std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin()))
    return ProbePng(bytes);
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return ProbeBmp(bytes);
  if (bytes.size() >= 2 && bytes[0] == kJpegMarker && bytes[1] == kJpegStartOfImage) return ProbeJpeg(bytes);
  return Fail("not a JPEG, BMP or PNG picture (unknown leading bytes)");
}

std::string_view ImageFormatName(TImageFormat format) {
  switch (format) {
    case TImageFormat::Jpeg: return "JPEG";
    case TImageFormat::Bmp: return "BMP";
    case TImageFormat::Png: return "PNG";
  }
  return "?";
}

}  // namespace refdata
