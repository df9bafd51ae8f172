#include "app/rich_text_view.h"

namespace fendra {

TRichTextView::TRichTextView(QWidget* parent, const char* name, TAccess access)
    : TRichTextEdit(parent), access_(access) {
  setObjectName(name);
  setReadOnly(access != TAccess::Editable);
  setProperty("richView", true);
  // Texts keep the window's body font, not the bold captions of the tab pages.
  QFont body(QStringLiteral("Arial"));
  body.setPixelSize(15);
  setFont(body);
}

void TRichTextView::SetFieldBound(bool bound) {
  if (access_ == TAccess::EditableWhenBound) setReadOnly(!bound);
}

void TRichTextView::NarrowTextArea(int left, int right) {
  insetLeft_ += left;
  insetRight_ += right;
  setViewportMargins(insetLeft_, 0, insetRight_, 0);
}

}  // namespace fendra
