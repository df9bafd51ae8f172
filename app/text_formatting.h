#pragma once
// Character and paragraph formatting of a rich-text edit, as the tool bar's
// commands apply it: to the selection, or with nothing selected to the text
// typed next (character style) or the caret's paragraph (alignment). A font
// choice takes the whole text when nothing is selected.
#include <QFont>
#include <Qt>

class QTextEdit;

namespace fendra {

enum class TCharStyle { Bold, Italic, Underline };

// Sets or clears the style on the selection.
void SetCharStyle(QTextEdit& edit, TCharStyle style, bool on);
// Whether the character format at the caret (the selection's start) has it.
bool HasCharStyle(const QTextEdit& edit, TCharStyle style);

// Left, centre or right on the paragraphs the selection touches.
void SetParagraphAlignment(QTextEdit& edit, Qt::Alignment alignment);
// The caret paragraph's horizontal alignment: AlignLeft, AlignHCenter or
// AlignRight (justified and unset count as left).
Qt::Alignment ParagraphAlignment(const QTextEdit& edit);

// Gives the selection, or the whole text when nothing is selected, the
// font's family, size, weight, slant, underline and strike-out. The caret
// and selection stay as they were.
void ApplyFont(QTextEdit& edit, const QFont& font);
// Gives the selection, or the whole text, only the font family.
void ApplyFontFamily(QTextEdit& edit, const QString& family);

}  // namespace fendra
