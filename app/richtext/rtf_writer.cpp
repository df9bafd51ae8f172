#include "app/richtext/rtf_writer.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include "app/richtext/rtf_text_encoder.h"
#include "app/richtext/rtf_units.h"
#include "app/richtext/rtf_writer_tables.h"

namespace fendra {

namespace {

QByteArray Number(double value) { return QByteArray::number(qlonglong(std::llround(value))); }

// The image an image format names: a resource of the document, or what the
// document can load under that name.
QImage ResourceImage(const QTextDocument& document, const QString& name) {
  const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(name));
  if (resource.canConvert<QImage>() && resource.typeId() == QMetaType::QImage) return resource.value<QImage>();
  if (resource.typeId() == QMetaType::QPixmap) return resource.value<QPixmap>().toImage();
  if (resource.typeId() == QMetaType::QByteArray) return QImage::fromData(resource.toByteArray());
  return {};
}

class TWriter {
 public:
  TWriter(const QTextDocument& document, QByteArray& out) : document_(document), tables_(document), out_(out) {}

  void Write() {
    out_ += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031\n";
    tables_.Append(out_);
    out_ += "{\\*\\generator Fendra;}\\viewkind4\\uc1\n";
    WriteFrame(document_.rootFrame());
    out_ += "}\n";
  }

 private:
  void WriteFrame(QTextFrame* frame) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
      if (QTextFrame* child = it.currentFrame()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) WriteTable(table);
        else WriteFrame(child);
      } else if (it.currentBlock().isValid()) {
        WriteParagraphStart(it.currentBlock(), false);
        WriteRuns(it.currentBlock());
        out_ += "\\par\n";
      }
    }
  }

  // Rows of equal columns across a 9000-twip line; a cell's paragraphs are
  // separated by \par, its end is \cell.
  void WriteTable(QTextTable* table) {
    const int columns = std::max(1, table->columns());
    for (int row = 0; row < table->rows(); ++row) {
      out_ += "\\trowd\\trgaph108";
      for (int column = 1; column <= columns; ++column) out_ += "\\cellx" + QByteArray::number(9000 * column / columns);
      out_ += "\n";
      for (int column = 0; column < columns; ++column) {
        const QTextTableCell cell = table->cellAt(row, column);
        const bool own = cell.isValid() && cell.row() == row && cell.column() == column;
        bool first = true;
        if (own) {
          for (auto it = cell.begin(); !it.atEnd(); ++it) {
            if (!it.currentBlock().isValid()) continue;
            if (!first) out_ += "\\par\n";
            WriteParagraphStart(it.currentBlock(), true);
            WriteRuns(it.currentBlock());
            first = false;
          }
        }
        if (first) out_ += "\\pard\\intbl";
        out_ += "\\cell\n";
      }
      out_ += "\\row\n";
    }
  }

  void WriteParagraphStart(const QTextBlock& block, bool inTable) {
    const QTextBlockFormat format = block.blockFormat();
    out_ += "\\pard";
    if (inTable) out_ += "\\intbl";
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter) out_ += "\\qc";
    else if (alignment & Qt::AlignRight) out_ += "\\qr";
    else if (alignment & Qt::AlignJustify) out_ += "\\qj";
    if (const int level = format.headingLevel(); level >= 1 && level <= 6) {
      out_ += "\\s" + QByteArray::number(level) + "\\outlinelevel" + QByteArray::number(level - 1);
    }
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) out_ += "\\pagebb";
    const QTextList* list = block.textList();
    if (list) {
      const int level = std::clamp(list->format().indent() - 1, 0, 8);
      const int indent = PixelsToTwips(document_.indentWidth()) * (level + 1);
      out_ += "\\ls" + QByteArray::number(tables_.ListOverride(list)) + "\\ilvl" + QByteArray::number(level) +
              "\\fi-360\\li" + QByteArray::number(indent);
    } else {
      // RTF has no indent levels: they become part of the left indent.
      const double left = format.leftMargin() + format.indent() * document_.indentWidth();
      if (left != 0) out_ += "\\li" + Number(PixelsToTwips(left));
      if (format.textIndent() != 0) out_ += "\\fi" + Number(PixelsToTwips(format.textIndent()));
    }
    if (format.rightMargin() != 0) out_ += "\\ri" + Number(PixelsToTwips(format.rightMargin()));
    if (format.topMargin() != 0) out_ += "\\sb" + Number(PixelsToTwips(format.topMargin()));
    if (format.bottomMargin() != 0) out_ += "\\sa" + Number(PixelsToTwips(format.bottomMargin()));
    out_ += ' ';
    if (list) WriteListMarker(block, *list);
  }

  // The marker of a list item for readers without list tables, and the old
  // numbering words for readers that know only those.
  void WriteListMarker(const QTextBlock& block, const QTextList& list) {
    const QTextListFormat::Style style = list.format().style();
    const char* kind = nullptr;
    switch (style) {
      case QTextListFormat::ListDecimal: kind = "\\pndec"; break;
      case QTextListFormat::ListLowerAlpha: kind = "\\pnlcltr"; break;
      case QTextListFormat::ListUpperAlpha: kind = "\\pnucltr"; break;
      case QTextListFormat::ListLowerRoman: kind = "\\pnlcrm"; break;
      case QTextListFormat::ListUpperRoman: kind = "\\pnucrm"; break;
      default: break;
    }
    out_ += "{\\pntext\\f0 ";
    if (kind) AppendRtfText(out_, list.itemText(block));
    else out_ += "\\'95";
    out_ += "\\tab}{\\*\\pn";
    if (kind) out_ += QByteArray("\\pnlvlbody") + kind + "\\pnstart1\\pnindent360{\\pntxta .}}";
    else out_ += "\\pnlvlblt\\pnf0\\pnindent360{\\pntxtb\\'95}}";
  }

  void WriteRuns(const QTextBlock& block) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const QTextCharFormat format = fragment.charFormat();
      const bool link = format.isAnchor() && !format.anchorHref().isEmpty();
      if (link) {
        QString href = format.anchorHref();
        href.replace(QLatin1Char('"'), QLatin1String("%22"));
        out_ += "{\\field{\\*\\fldinst{HYPERLINK \"";
        AppendRtfText(out_, href);
        out_ += "\"}}{\\fldrslt ";
      }
      out_ += '{';
      WriteCharacterFormat(format);
      if (format.isImageFormat()) WritePicture(format.toImageFormat(), fragment.text().size());
      else AppendRtfText(out_, fragment.text());
      out_ += '}';
      if (link) out_ += "}}";
    }
  }

  void WriteCharacterFormat(const QTextCharFormat& format) {
    const QFont font = format.font();
    out_ += "\\f" + QByteArray::number(tables_.FontIndex(RunFamily(format)));
    out_ += "\\fs" + QByteArray::number(PointsToHalfPoints(RunPoints(format)));
    if (font.bold()) out_ += "\\b";
    if (font.italic()) out_ += "\\i";
    if (font.strikeOut()) out_ += "\\strike";
    switch (format.underlineStyle()) {
      case QTextCharFormat::NoUnderline: break;
      case QTextCharFormat::DashUnderline: out_ += "\\uldash"; break;
      case QTextCharFormat::DotLine: out_ += "\\uld"; break;
      case QTextCharFormat::DashDotLine: out_ += "\\uldashd"; break;
      case QTextCharFormat::DashDotDotLine: out_ += "\\uldashdd"; break;
      case QTextCharFormat::WaveUnderline:
      case QTextCharFormat::SpellCheckUnderline: out_ += "\\ulwave"; break;
      default: out_ += "\\ul"; break;
    }
    if (font.capitalization() == QFont::AllUppercase) out_ += "\\caps";
    if (font.capitalization() == QFont::SmallCaps) out_ += "\\scaps";
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript) out_ += "\\super";
    if (format.verticalAlignment() == QTextCharFormat::AlignSubScript) out_ += "\\sub";
    if (const int color = tables_.ColorIndex(RunForeground(format))) out_ += "\\cf" + QByteArray::number(color);
    if (const int color = tables_.ColorIndex(RunBackground(format))) {
      out_ += "\\highlight" + QByteArray::number(color);
    }
    out_ += ' ';
  }

  // A picture Qt cannot find or encode is left out; every object character
  // of the fragment is the same picture.
  void WritePicture(const QTextImageFormat& format, qsizetype count) {
    const QImage image = ResourceImage(document_, format.name());
    if (image.isNull()) return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return;
    const double width = format.width() > 0 ? format.width() : image.width();
    const double height = format.height() > 0 ? format.height() : image.height();
    const QByteArray hex = png.toHex();
    for (qsizetype n = 0; n < count; ++n) {
      out_ += "{\\pict\\pngblip\\picw" + QByteArray::number(image.width()) + "\\pich" +
              QByteArray::number(image.height()) + "\\picwgoal" + Number(PixelsToTwips(width)) + "\\pichgoal" +
              Number(PixelsToTwips(height)) + "\n";
      for (qsizetype i = 0; i < hex.size(); i += 128) {
        out_ += hex.mid(i, 128);
        out_ += '\n';
      }
      out_ += '}';
    }
  }

  const QTextDocument& document_;
  TRtfWriterTables tables_;
  QByteArray& out_;
};

}  // namespace

QByteArray RtfWriter::Write(const QTextDocument& document) {
  QByteArray out;
  TWriter(document, out).Write();
  return out;
}

}  // namespace fendra
