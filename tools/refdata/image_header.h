#pragma once
// Recognises a picture by its leading bytes and reads its size from the
// header, without decoding the picture.
//
// PNG (integers big-endian):
//   0   8  signature 89 50 4E 47 0D 0A 1A 0A
//   8   4  length of the first chunk (13)
//   12  4  chunk type "IHDR"
//   16  4  width
//   20  4  height
//
// BMP (integers little-endian):
//   0   2  "BM"
//   2   12 file size, reserved, offset of the pixels
//   14  4  size of the info header: 12 for the old core header, 40 or more
//          for the later ones
//   18     core header: width u16 at 18, height u16 at 20
//          later headers: width i32 at 18, height i32 at 22 (negative for
//          rows stored top-down)
//
// JPEG: FF D8, then segments "FF marker [length u16 big-endian, counting
// itself] payload". Fill bytes FF may precede a marker; the markers D0..D7,
// 01 and D8 have no length. The first start-of-frame marker (C0..CF except
// C4, C8 and CC) holds: precision u8, height u16, width u16. A start of scan
// (DA) or end of image (D9) before it means the size is missing.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace refdata {

enum class TImageFormat { Jpeg, Bmp, Png };

struct TImageInfo {
  TImageFormat format;
  uint32_t width;
  uint32_t height;
};

struct TImageProbe {
  std::optional<TImageInfo> info;
  std::string error;  // why no size could be read, when info is empty
};

TImageProbe ProbeImage(std::span<const uint8_t> bytes);

std::string_view ImageFormatName(TImageFormat format);

}  // namespace refdata
