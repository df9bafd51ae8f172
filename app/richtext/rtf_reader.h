#pragma once
// Reads RTF into a QTextDocument: the RTF that word processors and rich-edit
// controls write, with fonts, colours, character and paragraph formats,
// lists, pictures (PNG, JPEG) and tables (as their text in reading order,
// one paragraph per row, a tab between cells). Bytes that are not RTF are
// read as plain text: UTF-8 when they are valid UTF-8, else Windows-1252.
//
// Damaged RTF is read as far as it goes: the result is Repaired and
// Message() says what was wrong; no text before the fault is lost. Input
// larger than the limit is Rejected and the target stays as it was.
#include <QByteArrayView>
#include <QString>

class QTextCursor;
class QTextDocument;

namespace fendra {

class RtfReader {
 public:
  enum class TStatus { Ok, Repaired, Rejected };

  struct TLimits {
    qsizetype maxInputBytes = qsizetype(16) << 20;  // memo texts, pictures included
    int maxGroupDepth = 200;  // deeper groups are read flat, in their parent's state
  };

  RtfReader() = default;
  explicit RtfReader(TLimits limits) : limits_(limits) {}

  // Replaces the document's content (and its image resources).
  TStatus Read(QByteArrayView input, QTextDocument* document);
  // Inserts the content at the cursor, as a paste does; pictures become
  // resources of the cursor's document.
  TStatus Insert(QByteArrayView input, QTextCursor& cursor);

  // Why the last call was Repaired or Rejected; empty after Ok.
  const QString& Message() const { return message_; }

  // The input starts with "{\rtf", after optional white space.
  static bool IsRtf(QByteArrayView input);

 private:
  TStatus ReadInto(QByteArrayView input, QTextDocument* document);

  TLimits limits_;
  QString message_;
};

}  // namespace fendra
