#pragma once
// TDBRichEdit: a rich-text view on a formatted memo (or memo) field. It
// reads the field's bytes through the dataset's BLOB stream: RTF is shown
// with its formatting, any other memo as plain text. Typing into it puts
// the dataset into edit state (AutoEdit), and the text goes back into the
// field before a post or a move:
//
//   ftFmtMemo, or a memo that held RTF   written as RTF (RtfWriter)
//   a memo that held plain text          written as plain text
//   an empty text                        the field becomes NULL
//
// A value the view cannot show (larger than the RTF reader takes) leaves
// the view empty and read-only, so it cannot be overwritten by accident;
// ValueMessage() says why.
#include <QString>
#include <string>

#include "app/data_controls/field_data_link.h"
#include "app/rich_text_view.h"

namespace dvx {
class TDataSource;
}

namespace fendra {

class TDBRichEdit : public TRichTextView {
  Q_OBJECT
 public:
  TDBRichEdit(QWidget* parent, const char* name, TAccess access = TAccess::EditableWhenBound);

  dvx::TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(dvx::TDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(const std::string& fieldName) { link_.SetFieldName(fieldName); }
  dvx::TField* Field() const { return link_.Field(); }
  // Why the value is not shown, or how it was repaired; empty when shown as stored.
  const QString& ValueMessage() const { return valueMessage_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowField();
  // Puts the dataset into edit state for a change about to be made; false
  // (with the error shown) when it cannot be stored.
  bool StartEdit();
  void UpdateAccess();
  void WriteField();
  void ContentChanged();

  TFieldDataLink link_;
  bool loading_ = false;
  bool startingEdit_ = false;
  bool storeRtf_ = true;
  bool valueRefused_ = false;
  QString valueMessage_;
};

}  // namespace fendra
