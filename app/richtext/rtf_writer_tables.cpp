#include "app/richtext/rtf_writer_tables.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>

#include "app/richtext/rtf_text_encoder.h"
#include "app/richtext/rtf_units.h"

namespace fendra {

namespace {

// \levelnfc of a list style: 0 decimal, 1 upper roman, 2 lower roman,
// 3 upper letter, 4 lower letter, 23 bullet.
int LevelNfc(QTextListFormat::Style style) {
  switch (style) {
    case QTextListFormat::ListDecimal: return 0;
    case QTextListFormat::ListUpperRoman: return 1;
    case QTextListFormat::ListLowerRoman: return 2;
    case QTextListFormat::ListUpperAlpha: return 3;
    case QTextListFormat::ListLowerAlpha: return 4;
    default: return 23;
  }
}

// The level text: its length as \'NN, then the characters; \'0L stands for
// the number of level L.
QByteArray LevelText(QTextListFormat::Style style, int level) {
  switch (style) {
    case QTextListFormat::ListCircle: return "\\'01\\u9675 ?";
    case QTextListFormat::ListSquare: return "\\'01\\u9642 ?";
    case QTextListFormat::ListDisc: return "\\'01\\u8226 ?";
    default: return "\\'02\\'0" + QByteArray::number(level) + ".";
  }
}

int ListId(int override) { return 1000 + override; }

}  // namespace

QString RunFamily(const QTextCharFormat& format) {
  const QFont font = format.font();
  const QStringList families = font.families();
  return families.isEmpty() ? font.family() : families.first();
}

double RunPoints(const QTextCharFormat& format) {
  const QFont font = format.font();
  if (font.pointSizeF() > 0) return font.pointSizeF();
  if (font.pixelSize() > 0) return font.pixelSize() * kPointsPerPixel;
  return 12.0;
}

QColor RunForeground(const QTextCharFormat& format) {
  if (!format.hasProperty(QTextFormat::ForegroundBrush)) return {};
  const QBrush brush = format.foreground();
  return brush.style() == Qt::NoBrush ? QColor() : brush.color();
}

QColor RunBackground(const QTextCharFormat& format) {
  if (!format.hasProperty(QTextFormat::BackgroundBrush)) return {};
  const QBrush brush = format.background();
  return brush.style() == Qt::NoBrush ? QColor() : brush.color();
}

TRtfWriterTables::TRtfWriterTables(const QTextDocument& document) {
  AddFont(document.defaultFont().family());
  colors_.emplace_back();  // "automatic"
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() > 0) usesHeadings_ = true;
    if (const QTextList* list = block.textList(); list && !listOverride_.contains(list)) {
      lists_.push_back(list);
      listOverride_.insert(list, int(lists_.size()));
    }
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      AddFont(RunFamily(format));
      AddColor(RunForeground(format));
      AddColor(RunBackground(format));
    }
  }
}

void TRtfWriterTables::AddFont(const QString& family) {
  if (fontIndex_.contains(family)) return;
  fontIndex_.insert(family, int(fonts_.size()));
  fonts_.push_back(family);
}

void TRtfWriterTables::AddColor(const QColor& color) {
  if (!color.isValid() || colorIndex_.contains(color.rgb())) return;
  colorIndex_.insert(color.rgb(), int(colors_.size()));
  colors_.push_back(color);
}

int TRtfWriterTables::FontIndex(const QString& family) const { return fontIndex_.value(family, 0); }

int TRtfWriterTables::ColorIndex(const QColor& color) const {
  return color.isValid() ? colorIndex_.value(color.rgb(), 0) : 0;
}

int TRtfWriterTables::ListOverride(const QTextList* list) const { return listOverride_.value(list, 0); }

void TRtfWriterTables::Append(QByteArray& out) const {
  out += "{\\fonttbl";
  for (int i = 0; i < fonts_.size(); ++i) {
    out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
    AppendRtfText(out, fonts_[i]);
    out += ";}";
  }
  out += "}\n{\\colortbl;";
  for (size_t i = 1; i < colors_.size(); ++i) {
    const QColor& c = colors_[i];
    out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue" +
           QByteArray::number(c.blue()) + ";";
  }
  out += "}\n";
  if (usesHeadings_) {
    out += "{\\stylesheet{\\s0 Normal;}";
    for (int level = 1; level <= 6; ++level) {
      out += "{\\s" + QByteArray::number(level) + "\\outlinelevel" + QByteArray::number(level - 1) +
             " heading " + QByteArray::number(level) + ";}";
    }
    out += "}\n";
  }
  if (lists_.empty()) return;
  out += "{\\*\\listtable";
  for (size_t i = 0; i < lists_.size(); ++i) {
    const QTextListFormat::Style style = lists_[i]->format().style();
    const int indentTwips = PixelsToTwips(lists_[i]->document()->indentWidth());
    // Levels up to the list's own: enough for every reader, and short.
    const int levels = std::clamp(lists_[i]->format().indent(), 1, 9);
    out += "\n{\\list\\listtemplateid" + QByteArray::number(ListId(int(i) + 1));
    if (levels == 1) out += "\\listsimple1";
    for (int level = 0; level < levels; ++level) {
      out += "{\\listlevel\\levelnfc" + QByteArray::number(LevelNfc(style)) + "\\levelnfcn" +
             QByteArray::number(LevelNfc(style)) + "\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext" +
             LevelText(style, level) + ";}{\\levelnumbers" + (LevelNfc(style) == 23 ? "" : "\\'01") + ";}\\fi-360\\li" +
             QByteArray::number(indentTwips * (level + 1)) + "}";
    }
    out += "{\\listname ;}\\listid" + QByteArray::number(ListId(int(i) + 1)) + "}";
  }
  out += "}\n{\\*\\listoverridetable";
  for (size_t i = 0; i < lists_.size(); ++i) {
    out += "{\\listoverride\\listid" + QByteArray::number(ListId(int(i) + 1)) + "\\listoverridecount0\\ls" +
           QByteArray::number(int(i) + 1) + "}";
  }
  out += "}\n";
}

}  // namespace fendra
