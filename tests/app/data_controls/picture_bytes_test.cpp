// Pictures in BLOB values: told by their leading bytes, checked before they
// are decoded, refused whole when damaged.
#include "app/data_controls/picture_bytes.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QtEndian>

namespace fendra {
namespace {

class PictureBytesTest : public ::testing::Test {
 protected:
  static QImage Sample(int width = 40, int height = 24) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 6, y * 10, (x + y) * 3));
    return image;
  }
  static QByteArray Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
  }
  static bool Shows(const QByteArray& bytes) { return !DecodePicture(bytes).image.isNull(); }
};

TEST_F(PictureBytesTest, PngJpegAndBmpAreToldByTheirLeadingBytes) {
  EXPECT_EQ(PictureFormatOf(Encode(Sample(), "PNG")), TPictureFormat::pfPng);
  EXPECT_EQ(PictureFormatOf(Encode(Sample(), "JPG")), TPictureFormat::pfJpeg);
  EXPECT_EQ(PictureFormatOf(Encode(Sample(), "BMP")), TPictureFormat::pfBmp);
  EXPECT_EQ(PictureFormatOf(QByteArray("GIF89a")), TPictureFormat::pfNone);
  EXPECT_EQ(PictureFormatOf(QByteArray()), TPictureFormat::pfNone);
}

TEST_F(PictureBytesTest, EachFormatDecodesToItsPicture) {
  for (const char* format : {"PNG", "JPG", "BMP"}) {
    TPictureDecoding decoded = DecodePicture(Encode(Sample(), format));
    ASSERT_FALSE(decoded.image.isNull()) << format << ": " << decoded.reason.toStdString();
    EXPECT_EQ(decoded.image.size(), QSize(40, 24)) << format;
    EXPECT_TRUE(decoded.reason.isEmpty());
  }
  // Lossless formats give the very pixels back.
  EXPECT_EQ(DecodePicture(Encode(Sample(), "PNG")).image.convertToFormat(QImage::Format_RGB32), Sample());
  EXPECT_EQ(DecodePicture(Encode(Sample(), "BMP")).image.convertToFormat(QImage::Format_RGB32), Sample());
}

TEST_F(PictureBytesTest, AFormatTheDecoderKnowsButTheControlDoesNotShowsNothing) {
  // A whole 1x1 GIF.
  const QByteArray gif = QByteArray::fromHex(
      "4749463839610100010080000000ffffff00000021f90401000000002c00000000010001000002024401003b");
  EXPECT_FALSE(Shows(gif));
  EXPECT_FALSE(DecodePicture(gif).reason.isEmpty());
}

TEST_F(PictureBytesTest, GarbageShowsNothing) {
  QByteArray garbage;
  for (int i = 0; i < 4096; ++i) garbage.append(char((i * 7919) & 0xFF));
  EXPECT_FALSE(Shows(garbage));
  EXPECT_FALSE(Shows(QByteArray("BM")));
  EXPECT_FALSE(Shows(QByteArray("\xFF\xD8\xFF", 3)));
}

TEST_F(PictureBytesTest, TruncatedPicturesShowNothingWhereverTheyAreCut) {
  for (const char* format : {"PNG", "JPG", "BMP"}) {
    const QByteArray whole = Encode(Sample(64, 48), format);
    for (qsizetype keep = 0; keep < whole.size(); keep += std::max<qsizetype>(1, whole.size() / 97))
      EXPECT_FALSE(Shows(whole.first(keep))) << format << " cut at " << keep << " of " << whole.size();
    EXPECT_FALSE(Shows(whole.first(whole.size() - 1))) << format;
  }
}

TEST_F(PictureBytesTest, APngWithoutItsFinalChunkShowsNothing) {
  QByteArray png = Encode(Sample(), "PNG");
  ASSERT_TRUE(png.endsWith(QByteArray("IEND\xAE\x42\x60\x82", 8)));
  png.chop(12);
  EXPECT_FALSE(Shows(png));
}

TEST_F(PictureBytesTest, AnOverstatedChunkLengthShowsNothing) {
  QByteArray png = Encode(Sample(), "PNG");
  // The IHDR chunk's length field at offset 8.
  qToBigEndian<quint32>(0x7FFFFFF0u, png.data() + 8);
  EXPECT_FALSE(Shows(png));
}

TEST_F(PictureBytesTest, APictureClaimingAHugeSizeIsRefusedBeforeDecoding) {
  QByteArray png = Encode(Sample(), "PNG");
  qToBigEndian<quint32>(100000u, png.data() + 16);  // IHDR width
  TPictureDecoding decoded = DecodePicture(png);
  EXPECT_TRUE(decoded.image.isNull());
  EXPECT_FALSE(decoded.reason.isEmpty());

  QByteArray bmp = Encode(Sample(), "BMP");
  qToLittleEndian<qint32>(60000, bmp.data() + 18);  // info header width
  qToLittleEndian<qint32>(60000, bmp.data() + 22);  // and height
  EXPECT_FALSE(Shows(bmp));
}

TEST_F(PictureBytesTest, ABmpWhosePixelsLieOutsideTheValueShowsNothing) {
  QByteArray bmp = Encode(Sample(), "BMP");
  qToLittleEndian<quint32>(quint32(bmp.size() + 100), bmp.data() + 10);  // pixel data offset
  EXPECT_FALSE(Shows(bmp));
}

TEST_F(PictureBytesTest, TrailingBytesAfterACompletePictureDoNotHideIt) {
  for (const char* format : {"PNG", "JPG", "BMP"})
    EXPECT_TRUE(Shows(Encode(Sample(), format) + QByteArray(16, '\0'))) << format;
}

}  // namespace
}  // namespace fendra
