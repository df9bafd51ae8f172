#include "tests/app/richtext/rtf_test_support.h"

#include <QTextBlock>
#include <QTextImageFormat>
#include <QTextList>
#include <cmath>
#include <map>

#include "app/richtext/rtf_writer.h"

namespace fendra::testing {

namespace {

double Tenths(double value) { return std::round(value * 10.0) / 10.0; }

QString BrushColor(const QTextCharFormat& format, QTextFormat::Property property) {
  if (!format.hasProperty(property)) return {};
  const QBrush brush = format.brushProperty(property);
  return brush.style() == Qt::NoBrush ? QString() : brush.color().name();
}

TRunShape ShapeOf(const QTextFragment& fragment) {
  const QTextCharFormat format = fragment.charFormat();
  const QFont font = format.font();
  TRunShape run;
  run.text = fragment.text();
  run.family = font.families().value(0, font.family());
  const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
  run.points = std::round(points * 2.0) / 2.0;
  run.bold = font.bold();
  run.italic = font.italic();
  run.strike = font.strikeOut();
  run.underline = format.underlineStyle();
  run.capitalization = font.capitalization();
  run.vertical = format.verticalAlignment();
  run.foreground = BrushColor(format, QTextFormat::ForegroundBrush);
  run.background = BrushColor(format, QTextFormat::BackgroundBrush);
  run.link = format.isAnchor() ? format.anchorHref() : QString();
  if (format.isImageFormat()) {
    const QTextImageFormat image = format.toImageFormat();
    run.image = QStringLiteral("%1x%2").arg(std::lround(image.width())).arg(std::lround(image.height()));
  }
  return run;
}

char AlignmentOf(Qt::Alignment alignment) {
  if (alignment & Qt::AlignHCenter) return 'C';
  if (alignment & Qt::AlignJustify) return 'J';
  if (alignment & Qt::AlignRight) return 'R';
  return 'L';
}

}  // namespace

std::vector<TParagraphShape> DescribeDocument(const QTextDocument& document) {
  std::vector<TParagraphShape> paragraphs;
  std::map<const QTextList*, int> lists;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const QTextBlockFormat format = block.blockFormat();
    TParagraphShape paragraph;
    paragraph.alignment = AlignmentOf(format.alignment());
    paragraph.left = Tenths(format.leftMargin());
    paragraph.right = Tenths(format.rightMargin());
    paragraph.indent = Tenths(format.textIndent());
    paragraph.top = Tenths(format.topMargin());
    paragraph.bottom = Tenths(format.bottomMargin());
    paragraph.heading = format.headingLevel();
    paragraph.pageBreak = format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
    if (const QTextList* list = block.textList()) {
      const auto inserted = lists.emplace(list, int(lists.size()) + 1);
      paragraph.list = inserted.first->second;
      paragraph.listStyle = list->format().style();
      paragraph.listIndent = list->format().indent();
    }
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      TRunShape run = ShapeOf(it.fragment());
      if (!paragraph.runs.empty() && run.image.isEmpty() && paragraph.runs.back().image.isEmpty()) {
        TRunShape& last = paragraph.runs.back();
        TRunShape probe = run;
        probe.text = last.text;
        if (probe == last) {
          last.text += run.text;
          continue;
        }
      }
      paragraph.runs.push_back(run);
    }
    paragraphs.push_back(paragraph);
  }
  return paragraphs;
}

void PrintTo(const TRunShape& run, std::ostream* out) {
  *out << "[\"" << run.text.toStdString() << "\" " << run.family.toStdString() << ' ' << run.points << "pt";
  if (run.bold) *out << " bold";
  if (run.italic) *out << " italic";
  if (run.strike) *out << " strike";
  if (run.underline) *out << " underline=" << run.underline;
  if (run.capitalization) *out << " caps=" << run.capitalization;
  if (run.vertical) *out << " vertical=" << run.vertical;
  if (!run.foreground.isEmpty()) *out << " fg=" << run.foreground.toStdString();
  if (!run.background.isEmpty()) *out << " bg=" << run.background.toStdString();
  if (!run.link.isEmpty()) *out << " link=" << run.link.toStdString();
  if (!run.image.isEmpty()) *out << " image=" << run.image.toStdString();
  *out << ']';
}

void PrintTo(const TParagraphShape& paragraph, std::ostream* out) {
  *out << "\n  {" << paragraph.alignment << " l=" << paragraph.left << " r=" << paragraph.right
       << " fi=" << paragraph.indent << " sb=" << paragraph.top << " sa=" << paragraph.bottom;
  if (paragraph.heading) *out << " h" << paragraph.heading;
  if (paragraph.pageBreak) *out << " pagebreak";
  if (paragraph.list) {
    *out << " list" << paragraph.list << " style=" << paragraph.listStyle << " indent=" << paragraph.listIndent;
  }
  for (const TRunShape& run : paragraph.runs) {
    *out << ' ';
    PrintTo(run, out);
  }
  *out << '}';
}

QStringList ParagraphTexts(const QTextDocument& document) {
  QStringList texts;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) texts << block.text();
  return texts;
}

TDocumentMaker::TDocumentMaker() : document_(std::make_unique<QTextDocument>()), cursor_(document_.get()) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(12);
  document_->setDefaultFont(font);
}

TDocumentMaker& TDocumentMaker::Paragraph(const QTextBlockFormat& format) {
  if (first_) cursor_.setBlockFormat(format);
  else cursor_.insertBlock(format, QTextCharFormat());
  first_ = false;
  return *this;
}

TDocumentMaker& TDocumentMaker::ListItem(QTextListFormat::Style style, int indent, bool newList) {
  Paragraph();
  if (!newList) {
    for (auto it = lists_.rbegin(); it != lists_.rend(); ++it) {
      if (it->first.style() == style && it->first.indent() == indent) {
        it->second->add(cursor_.block());
        return *this;
      }
    }
  }
  QTextListFormat format;
  format.setStyle(style);
  format.setIndent(indent);
  lists_.emplace_back(format, cursor_.createList(format));
  return *this;
}

TDocumentMaker& TDocumentMaker::Run(const QString& text, const QTextCharFormat& format) {
  cursor_.insertText(text, format);
  return *this;
}

QTextCharFormat Bold() {
  QTextCharFormat format;
  format.setFontWeight(QFont::Bold);
  return format;
}

QTextCharFormat Italic() {
  QTextCharFormat format;
  format.setFontItalic(true);
  return format;
}

QTextCharFormat Font(const QString& family, double points) {
  QTextCharFormat format;
  format.setFontFamilies({family});
  format.setFontPointSize(points);
  return format;
}

QByteArray WriteRtf(const QTextDocument& document) { return RtfWriter().Write(document); }

std::unique_ptr<QTextDocument> ReadRtf(const QByteArray& rtf, RtfReader::TStatus* status) {
  auto document = std::make_unique<QTextDocument>();
  RtfReader reader;
  const RtfReader::TStatus result = reader.Read(rtf, document.get());
  if (status) *status = result;
  return document;
}

std::unique_ptr<QTextDocument> RoundTrip(const QTextDocument& document) { return ReadRtf(WriteRtf(document)); }

}  // namespace fendra::testing
