#pragma once
// A rich-text view of the window: a field's formatted text, a print buffer or
// a text shown for reading, held as RTF like the stored texts. Its text area
// can be narrowed on the left and right; the narrowing lives in the view,
// not in its QTextDocument, so it survives every change of content.
#include "app/rich_text_edit.h"

namespace fendra {

class TRichTextView : public TRichTextEdit {
  Q_OBJECT
 public:
  enum class TAccess {
    ReadOnly,           // never edited
    EditableWhenBound,  // a field's text: editable once bound to its field
    Editable,           // a free buffer
  };
  TRichTextView(QWidget* parent, const char* name, TAccess access);

  // Binding to (or losing) its field makes an EditableWhenBound view
  // editable (or read-only). Until then typing could not be stored, so the
  // view does not accept it.
  void SetFieldBound(bool bound);
  TAccess Access() const { return access_; }

  void NarrowTextArea(int left, int right);
  int TextAreaLeftInset() const { return insetLeft_; }
  int TextAreaRightInset() const { return insetRight_; }

 private:
  TAccess access_;
  int insetLeft_ = 0;
  int insetRight_ = 0;
};

}  // namespace fendra
