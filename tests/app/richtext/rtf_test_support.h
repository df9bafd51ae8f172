#pragma once
// Shared helpers of the rich-text tests: a document's formatting reduced to
// comparable paragraph and run shapes, a small document maker, and RTF
// writing and reading in one call.
#include <QByteArray>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextListFormat>
#include <memory>
#include <ostream>
#include <vector>

#include "app/richtext/rtf_reader.h"

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace fendra::testing {

// One run: adjacent fragments that show alike are one run.
struct TRunShape {
  QString text;
  QString family;
  double points = 0;  // rounded to half points, as RTF keeps them
  bool bold = false;
  bool italic = false;
  bool strike = false;
  int underline = 0;     // QTextCharFormat::UnderlineStyle
  int capitalization = 0;
  int vertical = 0;      // QTextCharFormat::VerticalAlignment
  QString foreground;    // "#rrggbb", empty when automatic
  QString background;
  QString link;
  QString image;         // "name WxH" of a picture run

  bool operator==(const TRunShape&) const = default;
};

struct TParagraphShape {
  char alignment = 'L';  // L, C, R, J
  double left = 0, right = 0, indent = 0, top = 0, bottom = 0;  // pixels, to 0.1
  int heading = 0;
  bool pageBreak = false;
  int list = 0;          // 1 for the first QTextList met, 2 for the next, ...
  int listStyle = 0;
  int listIndent = 0;
  std::vector<TRunShape> runs;

  bool operator==(const TParagraphShape&) const = default;
};

std::vector<TParagraphShape> DescribeDocument(const QTextDocument& document);
void PrintTo(const TRunShape& run, std::ostream* out);
void PrintTo(const TParagraphShape& paragraph, std::ostream* out);

// Texts of the paragraphs, in order.
QStringList ParagraphTexts(const QTextDocument& document);

// Builds test documents paragraph by paragraph. The first Paragraph() call
// formats the document's first block; later ones add blocks.
class TDocumentMaker {
 public:
  TDocumentMaker();
  TDocumentMaker& Paragraph(const QTextBlockFormat& format = {});
  TDocumentMaker& ListItem(QTextListFormat::Style style, int indent = 1, bool newList = false);
  TDocumentMaker& Run(const QString& text, const QTextCharFormat& format = {});
  QTextDocument& Document() { return *document_; }
  std::unique_ptr<QTextDocument> Take() { return std::move(document_); }

 private:
  std::unique_ptr<QTextDocument> document_;
  QTextCursor cursor_;
  bool first_ = true;
  std::vector<std::pair<QTextListFormat, class QTextList*>> lists_;
};

QTextCharFormat Bold();
QTextCharFormat Italic();
QTextCharFormat Font(const QString& family, double points);

QByteArray WriteRtf(const QTextDocument& document);
std::unique_ptr<QTextDocument> ReadRtf(const QByteArray& rtf, RtfReader::TStatus* status = nullptr);
// Write, then read back.
std::unique_ptr<QTextDocument> RoundTrip(const QTextDocument& document);

}  // namespace fendra::testing
