#pragma once
// TDBEdit: a one-line edit on a field of the active record. It shows the
// field's text (the display text while it has no focus and no change is
// pending), and the first keystroke that would change the text puts a
// browsing dataset into edit state (when its data source allows AutoEdit);
// a keystroke that cannot be stored is dropped. The typed text reaches
// the field when the edit loses the focus, before a post and before the
// dataset leaves its record. Escape puts the field's value back.
#include <QLineEdit>
#include <string>

#include "app/data_controls/field_data_link.h"

namespace dvx {
class TDataSource;
}

namespace fendra {

class TDBEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TDBEdit(QWidget* parent = nullptr, const char* name = nullptr);

  dvx::TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(dvx::TDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(const std::string& fieldName) { link_.SetFieldName(fieldName); }
  // A read-only edit never changes its field, whatever the field allows.
  bool DataReadOnly() const { return link_.ReadOnly(); }
  void SetDataReadOnly(bool readOnly);
  dvx::TField* Field() const { return link_.Field(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowField();
  void UpdateAccess();
  void WriteField();
  void TextEdited();

  TFieldDataLink link_;
};

}  // namespace fendra
