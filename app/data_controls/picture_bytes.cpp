#include "app/data_controls/picture_bytes.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace fendra {

namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t BigEndian32(QByteArrayView b, qsizetype at) {
  return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) |
         (uint32_t(uint8_t(b[at + 2])) << 8) | uint32_t(uint8_t(b[at + 3]));
}
uint32_t BigEndian16(QByteArrayView b, qsizetype at) { return (uint32_t(uint8_t(b[at])) << 8) | uint8_t(b[at + 1]); }
uint32_t LittleEndian32(QByteArrayView b, qsizetype at) {
  return uint32_t(uint8_t(b[at])) | (uint32_t(uint8_t(b[at + 1])) << 8) | (uint32_t(uint8_t(b[at + 2])) << 16) |
         (uint32_t(uint8_t(b[at + 3])) << 24);
}
uint32_t LittleEndian16(QByteArrayView b, qsizetype at) { return uint32_t(uint8_t(b[at])) | (uint32_t(uint8_t(b[at + 1])) << 8); }

bool SizeAcceptable(qint64 width, qint64 height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

// The size from IHDR when the chunks run from IHDR to IEND inside the value.
QString CheckPng(QByteArrayView b, QSize& size) {
  qsizetype at = 8;
  bool first = true;
  for (;;) {
    if (b.size() - at < 12) return QStringLiteral("PNG-Daten sind unvollständig");
    const uint32_t length = BigEndian32(b, at);
    const QByteArrayView type = b.sliced(at + 4, 4);
    if (length > uint32_t(b.size() - at - 12)) return QStringLiteral("PNG-Daten sind unvollständig");
    if (first) {
      if (type != QByteArrayView("IHDR") || length != 13) return QStringLiteral("PNG-Daten beginnen nicht mit IHDR");
      const uint32_t width = BigEndian32(b, at + 8);
      const uint32_t height = BigEndian32(b, at + 12);
      if (!SizeAcceptable(width, height)) return QStringLiteral("PNG-Bildgröße ist ungültig");
      size = QSize(int(width), int(height));
      first = false;
    }
    if (type == QByteArrayView("IEND")) return {};
    at += 12 + qsizetype(length);
  }
}

QString CheckJpeg(QByteArrayView b, QSize& size) {
  qsizetype at = 2;
  for (;;) {
    // Fill bytes (FF) may stand before a marker.
    while (at < b.size() && uint8_t(b[at]) == 0xFF && at + 1 < b.size() && uint8_t(b[at + 1]) == 0xFF) ++at;
    if (b.size() - at < 4 || uint8_t(b[at]) != 0xFF) return QStringLiteral("JPEG-Daten sind unvollständig");
    const uint8_t marker = uint8_t(b[at + 1]);
    const uint32_t length = BigEndian16(b, at + 2);
    if (length < 2 || length > uint32_t(b.size() - at - 2)) return QStringLiteral("JPEG-Daten sind unvollständig");
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 8) return QStringLiteral("JPEG-Daten sind ungültig");
      const uint32_t height = BigEndian16(b, at + 5);
      const uint32_t width = BigEndian16(b, at + 7);
      if (!SizeAcceptable(width, height)) return QStringLiteral("JPEG-Bildgröße ist ungültig");
      size = QSize(int(width), int(height));
    }
    if (marker == 0xDA) {
      if (!size.isValid()) return QStringLiteral("JPEG-Daten haben keinen Bildkopf");
      // Inside the entropy-coded data an FF is followed by 00 or a restart
      // marker; FF D9 ends the picture.
      for (qsizetype i = at + 2 + qsizetype(length); i + 1 < b.size(); ++i)
        if (uint8_t(b[i]) == 0xFF && uint8_t(b[i + 1]) == 0xD9) return {};
      return QStringLiteral("JPEG-Daten sind unvollständig");
    }
    if (marker == 0xD9) return QStringLiteral("JPEG-Daten enthalten kein Bild");
    at += 2 + qsizetype(length);
  }
}

QString CheckBmp(QByteArrayView b, QSize& size) {
  if (b.size() < 14 + 12) return QStringLiteral("BMP-Daten sind unvollständig");
  const uint32_t pixelOffset = LittleEndian32(b, 10);
  const uint32_t infoSize = LittleEndian32(b, 14);
  if (infoSize < 12 || infoSize > uint32_t(b.size() - 14)) return QStringLiteral("BMP-Daten sind unvollständig");
  qint64 width, height;
  uint32_t bitCount, compression = 0;
  if (infoSize == 12) {
    width = LittleEndian16(b, 18);
    height = LittleEndian16(b, 20);
    bitCount = LittleEndian16(b, 24);
  } else {
    if (infoSize < 16) return QStringLiteral("BMP-Daten sind ungültig");
    width = int32_t(LittleEndian32(b, 18));
    height = int32_t(LittleEndian32(b, 22));
    bitCount = LittleEndian16(b, 28);
    if (infoSize >= 20) compression = LittleEndian32(b, 30);
  }
  if (height < 0) height = -height;
  if (!SizeAcceptable(width, height)) return QStringLiteral("BMP-Bildgröße ist ungültig");
  if (pixelOffset < 14 + infoSize || pixelOffset >= uint32_t(b.size())) return QStringLiteral("BMP-Daten sind unvollständig");
  // Uncompressed rows are padded to four bytes; all of them must be there.
  if (compression == 0 || compression == 3) {
    if (bitCount == 0 || bitCount > 32) return QStringLiteral("BMP-Daten sind ungültig");
    const qint64 rowBytes = ((width * bitCount + 31) / 32) * 4;
    if (qint64(pixelOffset) + rowBytes * height > b.size()) return QStringLiteral("BMP-Daten sind unvollständig");
  }
  size = QSize(int(width), int(height));
  return {};
}

}  // namespace

TPictureFormat PictureFormatOf(QByteArrayView bytes) {
  if (bytes.size() >= 8 && bytes.first(8) == QByteArrayView(reinterpret_cast<const char*>(kPngSignature), 8))
    return TPictureFormat::pfPng;
  if (bytes.size() >= 3 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xD8 && uint8_t(bytes[2]) == 0xFF)
    return TPictureFormat::pfJpeg;
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return TPictureFormat::pfBmp;
  return TPictureFormat::pfNone;
}

TPictureDecoding DecodePicture(QByteArrayView bytes) {
  TPictureDecoding result;
  QSize size;
  const char* format = nullptr;
  switch (PictureFormatOf(bytes)) {
    case TPictureFormat::pfNone:
      result.reason = QStringLiteral("unbekanntes Bildformat");
      return result;
    case TPictureFormat::pfPng:
      result.reason = CheckPng(bytes, size);
      format = "png";
      break;
    case TPictureFormat::pfJpeg:
      result.reason = CheckJpeg(bytes, size);
      format = "jpeg";
      break;
    case TPictureFormat::pfBmp:
      result.reason = CheckBmp(bytes, size);
      format = "bmp";
      break;
  }
  if (!result.reason.isEmpty()) return result;
  QByteArray copy = bytes.toByteArray();
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setDecideFormatFromContent(false);
  if (reader.size().isValid() && reader.size() != size) {
    result.reason = QStringLiteral("Bildgröße widersprüchlich");
    return result;
  }
  QImage image;
  if (!reader.read(&image) || image.isNull()) {
    result.reason = QStringLiteral("Bild kann nicht gelesen werden: %1").arg(reader.errorString());
    return result;
  }
  result.image = std::move(image);
  return result;
}

}  // namespace fendra
