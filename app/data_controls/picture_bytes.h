#pragma once
// Pictures stored in BLOB fields: the format is told by the leading bytes
// alone, and the rest of the value is checked before a decoder sees it.
//
//   format  leading bytes               checked before decoding
//   PNG     89 50 4E 47 0D 0A 1A 0A     chunks (length, type, data, CRC) walked
//                                       with bounds checks from IHDR (first,
//                                       13 bytes) to IEND; the size from IHDR
//   JPEG    FF D8 FF                    marker segments walked with bounds
//                                       checks to the start of scan; a frame
//                                       header gives the size; an end-of-image
//                                       marker FF D9 after the scan
//   BMP     42 4D ("BM")                file header (14 bytes) and info header
//                                       (>= 12 bytes) inside the value; the
//                                       pixel data of an uncompressed picture
//                                       inside the value
//
// A picture wider or higher than kMaxPictureSide, or with more than
// kMaxPicturePixels pixels, is refused: its size comes from the value, and
// the value is not trusted to be honest about it.
#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

namespace fendra {

enum class TPictureFormat { pfNone, pfPng, pfJpeg, pfBmp };

constexpr int kMaxPictureSide = 16384;
constexpr qint64 kMaxPicturePixels = qint64(64) << 20;

TPictureFormat PictureFormatOf(QByteArrayView bytes);

struct TPictureDecoding {
  QImage image;    // null when the value cannot be shown
  QString reason;  // why not, for messages; empty when shown
};

TPictureDecoding DecodePicture(QByteArrayView bytes);

}  // namespace fendra
