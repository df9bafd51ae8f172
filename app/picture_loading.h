#pragma once
// Reading a picture file for a remedy's `Grfik2`: the file's bytes are
// stored as they are, once they are known to be a picture the window shows
// (JPEG, PNG or BMP, checked by picture_bytes.h). Pictures should not be
// larger than 200 × 200 pixels; a larger one is stored only when the user
// confirms.
#include <QByteArray>
#include <QSize>
#include <QString>

namespace fendra {

inline constexpr int kPictureSideLimit = 200;
// Files larger than this are refused before they are read.
inline constexpr qint64 kMaxPictureFileBytes = qint64(16) << 20;

struct TPictureFile {
  QByteArray Bytes;
  QSize Size;     // in pixels
  QString Error;  // why the file is refused, in German; empty when it is a picture
};

TPictureFile ReadPictureFile(const QString& path);
bool IsOversizedPicture(QSize size);
QString OversizedPictureQuestion(QSize size);
// The open dialog's filter: the picture kinds the window shows.
QString PictureFileFilter();

}  // namespace fendra
