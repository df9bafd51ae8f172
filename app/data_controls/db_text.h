#pragma once
// TDBText: a label showing a field's display text. The text is shown as
// plain text: stored values never act as markup.
#include <QLabel>
#include <string>

#include "app/data_controls/field_data_link.h"

namespace dvx {
class TDataSource;
}

namespace fendra {

class TDBText : public QLabel {
  Q_OBJECT
 public:
  explicit TDBText(QWidget* parent = nullptr, const char* name = nullptr);

  dvx::TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(dvx::TDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(const std::string& fieldName) { link_.SetFieldName(fieldName); }
  dvx::TField* Field() const { return link_.Field(); }

 private:
  void ShowField();

  TFieldDataLink link_;
};

}  // namespace fendra
