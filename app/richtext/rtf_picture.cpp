#include "app/richtext/rtf_picture.h"

#include <QBuffer>
#include <QImageReader>

#include "app/richtext/rtf_units.h"

namespace fendra {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Pictures in memo texts are small; a picture that would need more memory
// than this to show is not shown.
constexpr int kMaxImageAllocationMiB = 256;

}  // namespace

void TRtfPicture::AddHex(QByteArrayView digits) {
  for (char c : digits) {
    const int value = HexDigit(c);
    if (value < 0) continue;
    if (pendingNibble_ < 0) {
      pendingNibble_ = value;
    } else {
      data_.append(char(pendingNibble_ * 16 + value));
      pendingNibble_ = -1;
    }
  }
}

QImage TRtfPicture::Decode() const {
  if (format_ != TFormat::Png && format_ != TFormat::Jpeg) return {};
  QByteArray copy = data_;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format_ == TFormat::Png ? "png" : "jpeg");
  reader.setAllocationLimit(kMaxImageAllocationMiB);
  return reader.read();
}

QSizeF TRtfPicture::DisplaySize(const QImage& image) const {
  const double scaleX = (scaleX_ > 0 ? scaleX_ : 100) / 100.0;
  const double scaleY = (scaleY_ > 0 ? scaleY_ : 100) / 100.0;
  const double width = goalWidth_ > 0 ? TwipsToPixels(goalWidth_)
                       : pixelWidth_ > 0 ? pixelWidth_ : image.width();
  const double height = goalHeight_ > 0 ? TwipsToPixels(goalHeight_)
                        : pixelHeight_ > 0 ? pixelHeight_ : image.height();
  return {width * scaleX, height * scaleY};
}

}  // namespace fendra

