#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/tools/refdata/refdata_test_util.h"
#include "tools/refdata/image_header.h"

namespace {

using refdata::ProbeImage;
using refdata::TImageFormat;
using Bytes = std::vector<uint8_t>;

void Little(Bytes& b, uint32_t v, int size) {
  for (int i = 0; i < size; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes BmpHeader(uint32_t infoSize, int32_t width, int32_t height) {
  Bytes b{'B', 'M'};
  Little(b, 0, 4);
  Little(b, 0, 4);
  Little(b, 54, 4);
  Little(b, infoSize, 4);
  if (infoSize == 12) {
    Little(b, static_cast<uint32_t>(width), 2);
    Little(b, static_cast<uint32_t>(height), 2);
  } else {
    Little(b, static_cast<uint32_t>(width), 4);
    Little(b, static_cast<uint32_t>(height), 4);
  }
  return b;
}

// SOI, an APP0 segment of `appLength`, then a baseline frame header.
Bytes Jpeg(uint16_t width, uint16_t height, uint16_t appLength = 16) {
  Bytes b{0xFF, 0xD8, 0xFF, 0xE0, uint8_t(appLength >> 8), uint8_t(appLength)};
  b.resize(b.size() + appLength - 2, 0);
  Bytes frame{0xFF, 0xFF /* fill byte */, 0xC0, 0, 11, 8, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width), 1, 1, 0x11, 0};
  b.insert(b.end(), frame.begin(), frame.end());
  return b;
}

void ExpectSize(const Bytes& bytes, TImageFormat format, uint32_t width, uint32_t height) {
  const auto probe = ProbeImage(bytes);
  ASSERT_TRUE(probe.info.has_value()) << probe.error;
  EXPECT_EQ(probe.info->format, format);
  EXPECT_EQ(probe.info->width, width);
  EXPECT_EQ(probe.info->height, height);
}

void ExpectError(const Bytes& bytes, const std::string& text) {
  const auto probe = ProbeImage(bytes);
  EXPECT_FALSE(probe.info.has_value());
  EXPECT_NE(probe.error.find(text), std::string::npos) << probe.error;
}

TEST(ImageHeader, ReadsThePngSizeFromIhdr) {
  ExpectSize(refdatatest::PngHeader(200, 0x01020304), TImageFormat::Png, 200, 0x01020304);
  Bytes truncated = refdatatest::PngHeader(1, 1);
  truncated.pop_back();
  ExpectError(truncated, "ends before");
  Bytes otherChunk = refdatatest::PngHeader(1, 1);
  otherChunk[12] = 'i';
  ExpectError(otherChunk, "IHDR");
}

TEST(ImageHeader, ReadsBmpSizesOfCoreAndLaterInfoHeaders) {
  ExpectSize(BmpHeader(40, 120, 80), TImageFormat::Bmp, 120, 80);
  ExpectSize(BmpHeader(124, 120, -80), TImageFormat::Bmp, 120, 80);  // rows stored top-down
  ExpectSize(BmpHeader(12, 300, 2), TImageFormat::Bmp, 300, 2);
  ExpectError(BmpHeader(20, 1, 1), "unknown size 20");
  ExpectError(BmpHeader(40, -5, 1), "negative");
  Bytes truncated = BmpHeader(40, 1, 1);
  truncated.resize(24);
  ExpectError(truncated, "ends inside");
}

TEST(ImageHeader, FindsTheJpegFrameHeaderBehindOtherSegments) {
  ExpectSize(Jpeg(640, 480), TImageFormat::Jpeg, 640, 480);
  ExpectSize(Jpeg(200, 200, 2), TImageFormat::Jpeg, 200, 200);  // an empty APP segment
  Bytes progressive = Jpeg(30, 40);
  progressive[progressive.size() - 12] = 0xC2;
  ExpectSize(progressive, TImageFormat::Jpeg, 30, 40);
}

TEST(ImageHeader, RejectsJpegsWithoutAReadableFrameHeader) {
  ExpectError({0xFF, 0xD8}, "ends before its frame header");
  ExpectError({0xFF, 0xD8, 0xFF, 0xDA, 0, 2}, "no frame header before its image data");
  ExpectError({0xFF, 0xD8, 0xFF, 0xE0, 0, 1}, "impossible length 1");
  ExpectError({0xFF, 0xD8, 0xFF, 0xE0, 0x40, 0}, "runs past the end");
  ExpectError({0xFF, 0xD8, 0x00}, "does not start with FF");
  ExpectError({0xFF, 0xD8, 0xFF, 0xC0, 0, 4, 8, 0}, "too short");
  // A huffman table (C4) is no frame header even though its code lies among them.
  ExpectError({0xFF, 0xD8, 0xFF, 0xC4, 0, 2, 0xFF, 0xD9}, "no frame header");
}

TEST(ImageHeader, RejectsUnknownAndEmptyFiles) {
  ExpectError({}, "not a JPEG, BMP or PNG");
  ExpectError({'G', 'I', 'F', '8', '9', 'a'}, "not a JPEG, BMP or PNG");
}

}  // namespace
