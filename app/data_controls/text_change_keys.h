#pragma once
// Whether a key press would change the text of an edit control: the keys
// on which a data-aware edit must put its dataset into edit state before
// the control applies them (entering the state re-reads the record, which
// would otherwise overwrite the change).
#include <QKeyEvent>

namespace fendra {

enum class TTextKind {
  SingleLine,  // an edit: Return, Enter and Tab do not change the text
  MultiLine,   // a rich text: they start a paragraph, a line or a tab
};

bool KeyChangesText(const QKeyEvent& event, TTextKind kind);

}  // namespace fendra
