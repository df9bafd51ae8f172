#include "app/data_controls/db_image.h"

#include <QPainter>
#include <stdexcept>

#include "app/data_controls/blob_bytes.h"
#include "app/data_controls/picture_bytes.h"
#include "engine/components/field.h"

namespace fendra {

namespace {
// A stored picture larger than this is not read at all.
constexpr qsizetype kMaxPictureBytes = qsizetype(64) << 20;
}  // namespace

TDBImage::TDBImage(QWidget* parent, const char* name) : QFrame(parent) {
  if (name != nullptr) setObjectName(name);
  link_.OnDataChange = [this] { ShowField(); };
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QString TDBImage::CannotShowText() { return QStringLiteral("Das Bild kann nicht angezeigt werden."); }

void TDBImage::SetStretch(bool stretch) {
  stretch_ = stretch;
  scaled_ = QPixmap();
  update();
}

void TDBImage::SetCenter(bool center) {
  center_ = center;
  update();
}

void TDBImage::ShowField() {
  picture_ = QImage();
  scaled_ = QPixmap();
  QString description;
  if (dvx::TField* field = link_.Field()) {
    TBlobRead read = ReadBlobBytes(*field, kMaxPictureBytes);
    if (read.tooLong) {
      description = CannotShowText();
    } else if (!read.bytes.isEmpty()) {
      TPictureDecoding decoded = DecodePicture(read.bytes);
      if (decoded.image.isNull())
        description = CannotShowText();
      else
        picture_ = std::move(decoded.image);
    }
  }
  setAccessibleDescription(description);
  updateGeometry();
  update();
}

QRect TDBImage::PictureRect() const {
  if (picture_.isNull()) return {};
  const QRect area = contentsRect();
  QSize size = picture_.size();
  if (stretch_ || size.width() > area.width() || size.height() > area.height())
    size.scale(area.size(), Qt::KeepAspectRatio);
  if (size.isEmpty()) return {};
  QRect target(area.topLeft(), size);
  if (center_) target.moveCenter(area.center());
  return target;
}

void TDBImage::LoadPicture(const QByteArray& bytes) {
  dvx::TField* field = link_.Field();
  if (field == nullptr) throw std::runtime_error("Das Bildfeld ist nicht verbunden.");
  if (DecodePicture(bytes).image.isNull()) throw std::runtime_error(CannotShowText().toStdString());
  if (!link_.BeginEdit()) throw std::runtime_error("Das Bild kann nicht gespeichert werden.");
  WriteBlobBytes(*field, bytes);
}

QSize TDBImage::sizeHint() const {
  if (picture_.isNull()) return QFrame::sizeHint();
  const QMargins margins = contentsMargins();
  return picture_.size().grownBy(margins);
}

void TDBImage::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  const QRect target = PictureRect();
  if (target.isEmpty()) return;
  if (scaled_.size() != target.size())
    scaled_ = QPixmap::fromImage(picture_.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  QPainter painter(this);
  painter.drawPixmap(target.topLeft(), scaled_);
}

}  // namespace fendra
