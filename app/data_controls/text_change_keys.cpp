#include "app/data_controls/text_change_keys.h"

#include <QKeySequence>

namespace fendra {

bool KeyChangesText(const QKeyEvent& event, TTextKind kind) {
  const bool multiLine = kind == TTextKind::MultiLine;
  if (event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut) || event.matches(QKeySequence::Undo) ||
      event.matches(QKeySequence::Redo) || event.matches(QKeySequence::DeleteEndOfWord) ||
      event.matches(QKeySequence::DeleteStartOfWord) || event.matches(QKeySequence::DeleteEndOfLine))
    return true;
  if (multiLine &&
      (event.matches(QKeySequence::InsertParagraphSeparator) || event.matches(QKeySequence::InsertLineSeparator)))
    return true;
  switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
      if (multiLine) return true;
      break;
    default:
      break;
  }
  const QString text = event.text();
  if (text.isEmpty()) return false;
  if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
  return text.at(0).isPrint();
}

}  // namespace fendra
