#pragma once
// TDBImage: the picture held in a graphic or BLOB field of the active
// record. PNG, JPEG and BMP are shown (picture_bytes.h tells them by their
// leading bytes and checks the rest); any other value shows nothing, and
// the accessible description says that the picture cannot be shown.
//
// The picture keeps its aspect ratio: it is scaled down to fit the control
// and never drawn larger than its natural size unless Stretch is set.
// With Center it stands in the middle of the control, else top left.
#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <string>

#include "app/data_controls/field_data_link.h"

namespace dvx {
class TDataSource;
}

namespace fendra {

class TDBImage : public QFrame {
  Q_OBJECT
 public:
  explicit TDBImage(QWidget* parent = nullptr, const char* name = nullptr);

  dvx::TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(dvx::TDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(const std::string& fieldName) { link_.SetFieldName(fieldName); }
  dvx::TField* Field() const { return link_.Field(); }

  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);
  bool Center() const { return center_; }
  void SetCenter(bool center);

  // The picture shown, null when none.
  const QImage& Picture() const { return picture_; }
  // Where the picture is drawn inside the control; empty when none.
  QRect PictureRect() const;
  // Stores a picture's bytes into the field (putting the dataset into edit
  // state); bytes that are not a picture this control shows are refused
  // with an error and the field keeps its value.
  void LoadPicture(const QByteArray& bytes);

  QSize sizeHint() const override;

  static QString CannotShowText();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ShowField();

  TFieldDataLink link_;
  QImage picture_;
  mutable QPixmap scaled_;
  bool stretch_ = false;
  bool center_ = true;
};

}  // namespace fendra
