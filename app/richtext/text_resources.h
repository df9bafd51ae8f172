#pragma once
// Pictures of a text document live in its resources, not in its text. A
// piece of text copied into another document (a paste, a clipboard copy)
// takes the pictures it shows along with this.
class QTextDocument;

namespace fendra {

// Adds to `to` every image resource that an image in `to` names and that
// `from` has (or can load).
void CopyImageResources(const QTextDocument& from, QTextDocument* to);

}  // namespace fendra
