#include "app/picture_loading.h"

#include <QFile>
#include <QFileInfo>

#include "app/data_controls/picture_bytes.h"

namespace fendra {

TPictureFile ReadPictureFile(const QString& path) {
  TPictureFile picture;
  const QString name = QFileInfo(path).fileName();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    picture.Error = QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2").arg(name, file.errorString());
    return picture;
  }
  if (file.size() > kMaxPictureFileBytes) {
    picture.Error = QStringLiteral("Die Datei „%1“ ist zu groß für ein Bild (höchstens %2 MB).")
                        .arg(name)
                        .arg(kMaxPictureFileBytes >> 20);
    return picture;
  }
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    picture.Error = QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2").arg(name, file.errorString());
    return picture;
  }
  const TPictureDecoding decoded = DecodePicture(bytes);
  if (decoded.image.isNull()) {
    picture.Error = QStringLiteral("Die Datei „%1“ ist kein lesbares Bild im Format JPEG, PNG oder BMP.").arg(name);
    if (!decoded.reason.isEmpty()) picture.Error += QStringLiteral("\n") + decoded.reason;
    return picture;
  }
  picture.Bytes = std::move(bytes);
  picture.Size = decoded.image.size();
  return picture;
}

bool IsOversizedPicture(QSize size) {
  return size.width() > kPictureSideLimit || size.height() > kPictureSideLimit;
}

QString OversizedPictureQuestion(QSize size) {
  return QStringLiteral("Das Bild ist %1 X %2 Pixel groß; die Bildgröße beträgt maximal %3 X %3 pix.\n"
                        "Soll das Bild trotzdem gespeichert werden?")
      .arg(size.width())
      .arg(size.height())
      .arg(kPictureSideLimit);
}

QString PictureFileFilter() {
  return QStringLiteral(
      "Bilder (*.jpg *.jpeg *.png *.bmp);;JPEG-Grafikdatei (*.jpg);;JPEG-Grafikdatei (*.jpeg);;"
      "PNG-Grafikdatei (*.png);;Bitmaps (*.bmp)");
}

}  // namespace fendra
