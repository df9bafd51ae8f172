#include "app/text_formatting.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

namespace fendra {

namespace {

QTextCharFormat StyleFormat(TCharStyle style, bool on) {
  QTextCharFormat format;
  switch (style) {
    case TCharStyle::Bold: format.setFontWeight(on ? QFont::Bold : QFont::Normal); break;
    case TCharStyle::Italic: format.setFontItalic(on); break;
    case TCharStyle::Underline: format.setFontUnderline(on); break;
  }
  return format;
}

// The selection, or the whole document when nothing is selected.
QTextCursor SelectionOrAll(QTextEdit& edit) {
  QTextCursor cursor = edit.textCursor();
  if (!cursor.hasSelection()) cursor.select(QTextCursor::Document);
  return cursor;
}

}  // namespace

void SetCharStyle(QTextEdit& edit, TCharStyle style, bool on) {
  edit.mergeCurrentCharFormat(StyleFormat(style, on));
}

bool HasCharStyle(const QTextEdit& edit, TCharStyle style) {
  const QTextCharFormat format = edit.currentCharFormat();
  switch (style) {
    case TCharStyle::Bold: return format.fontWeight() >= QFont::Bold;
    case TCharStyle::Italic: return format.fontItalic();
    case TCharStyle::Underline: return format.fontUnderline();
  }
  return false;
}

void SetParagraphAlignment(QTextEdit& edit, Qt::Alignment alignment) {
  QTextCursor cursor = edit.textCursor();
  QTextBlockFormat format;
  format.setAlignment(alignment & Qt::AlignHorizontal_Mask);
  cursor.mergeBlockFormat(format);
}

Qt::Alignment ParagraphAlignment(const QTextEdit& edit) {
  const Qt::Alignment a = edit.textCursor().blockFormat().alignment() & Qt::AlignHorizontal_Mask;
  if (a & Qt::AlignHCenter) return Qt::AlignHCenter;
  if (a & Qt::AlignRight) return Qt::AlignRight;
  return Qt::AlignLeft;
}

void ApplyFont(QTextEdit& edit, const QFont& font) {
  const QTextCursor range = SelectionOrAll(edit);
  const int from = range.selectionStart();
  const int to = range.selectionEnd();
  QTextCursor cursor(edit.document());
  cursor.beginEditBlock();
  // Fragment by fragment, so a size in pixels that a fragment carries does
  // not stand beside (and win over) the chosen size in points.
  for (QTextBlock block = edit.document()->findBlock(from); block.isValid() && block.position() <= to;
       block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const int start = std::max(from, fragment.position());
      const int end = std::min(to, fragment.position() + fragment.length());
      if (start >= end) continue;
      QTextCharFormat format = fragment.charFormat();
      format.setFontFamilies({font.family()});
      format.clearProperty(QTextFormat::FontPixelSize);
      format.clearProperty(QTextFormat::FontPointSize);
      if (font.pixelSize() > 0)
        format.setProperty(QTextFormat::FontPixelSize, font.pixelSize());
      else
        format.setFontPointSize(font.pointSizeF());
      format.setFontWeight(font.weight());
      format.setFontItalic(font.italic());
      format.setFontUnderline(font.underline());
      format.setFontStrikeOut(font.strikeOut());
      cursor.setPosition(start);
      cursor.setPosition(end, QTextCursor::KeepAnchor);
      cursor.setCharFormat(format);
    }
  }
  cursor.endEditBlock();
}

void ApplyFontFamily(QTextEdit& edit, const QString& family) {
  QTextCharFormat format;
  format.setFontFamilies({family});
  SelectionOrAll(edit).mergeCharFormat(format);
}

}  // namespace fendra
