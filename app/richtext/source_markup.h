#pragma once
// The markup of the reference sources: Markdown as QTextDocument reads it,
// plus two kinds of reference, {{Remedy name}} to a remedy and [[Name]] to an
// indication, both shown as the bare name in bold. A builder turns a source
// text into a document with this and into RTF with RtfWriter.
#include <QString>

class QTextDocument;

namespace fendra {

// Replaces the document's content with the source text.
void ReadSourceMarkup(const QString& source, QTextDocument* document);

}  // namespace fendra
