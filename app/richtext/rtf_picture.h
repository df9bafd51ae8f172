#pragma once
// A picture group, {\pict ...}: its format word, sizes and data.
//
//   \pngblip \jpegblip      the data is a PNG or JPEG file; Qt reads both
//   \emfblip \wmetafile ... metafiles and device bitmaps: skipped
//   \picwN \pichN           size of the picture: pixels for PNG and JPEG
//   \picwgoalN \pichgoalN   wanted display size in twips
//   \picscalexN \picscaleyN display scale in percent of the goal size
//   data                    hex digits (whitespace between them allowed),
//                           or raw bytes after \binN
#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QSizeF>

namespace fendra {

class TRtfPicture {
 public:
  enum class TFormat { None, Png, Jpeg, Other };

  void SetFormat(TFormat format) { format_ = format; }
  void SetPixelSize(bool width, int value) { (width ? pixelWidth_ : pixelHeight_) = value; }
  void SetGoalSize(bool width, int twips) { (width ? goalWidth_ : goalHeight_) = twips; }
  void SetScale(bool x, int percent) { (x ? scaleX_ : scaleY_) = percent; }
  void AddHex(QByteArrayView digits);
  void AddBinary(QByteArrayView bytes) { data_.append(bytes.data(), bytes.size()); }

  // The picture, or a null image when its format is not one Qt shows or its
  // data does not decode.
  QImage Decode() const;
  // The display size in pixels: the goal size scaled, else the image's own.
  QSizeF DisplaySize(const QImage& image) const;
  const QByteArray& Data() const { return data_; }

 private:
  TFormat format_ = TFormat::None;
  int pixelWidth_ = 0;
  int pixelHeight_ = 0;
  int goalWidth_ = 0;
  int goalHeight_ = 0;
  int scaleX_ = 100;
  int scaleY_ = 100;
  QByteArray data_;
  int pendingNibble_ = -1;
};

}  // namespace fendra
