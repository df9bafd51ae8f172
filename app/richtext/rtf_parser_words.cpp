// The control words of each destination, and how the collected state becomes
// Qt formats.
#include <QRegularExpression>
#include <algorithm>
#include <climits>

#include "app/richtext/rtf_parser.h"
#include "app/richtext/rtf_units.h"

namespace fendra {

namespace {

// A parameter, clamped; a missing one gives the fallback.
int Param(const TRtfToken& token, int low, int high, int fallback) {
  if (!token.hasParam) return fallback;
  return std::clamp(int(token.param), low, high);
}

// \b, \b1 switch on; \b0 switches off.
bool Toggle(const TRtfToken& token) { return !token.hasParam || token.param != 0; }

constexpr int kMaxTableIndex = 1 << 20;

// Style sheets name their headings "heading 1" .. "heading 9".
int HeadingLevelOfName(const QString& name) {
  static const QRegularExpression pattern(QStringLiteral("^\\s*heading\\s+([1-9])\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch match = pattern.match(name);
  return match.hasMatch() ? match.captured(1).toInt() - 1 : -1;
}

}  // namespace

bool TRtfParser::ApplySpecialWord(TRtfWord word, const TRtfToken& token) {
  char16_t ch = 0;
  switch (word) {
    case TRtfWord::Tab: ch = '\t'; break;
    case TRtfWord::Line: ch = 0x2028; break;
    case TRtfWord::EmDash: ch = 0x2014; break;
    case TRtfWord::EnDash: ch = 0x2013; break;
    case TRtfWord::EmSpace: ch = 0x2003; break;
    case TRtfWord::EnSpace: ch = 0x2002; break;
    case TRtfWord::QmSpace: ch = 0x2005; break;
    case TRtfWord::Bullet: ch = 0x2022; break;
    case TRtfWord::LQuote: ch = 0x2018; break;
    case TRtfWord::RQuote: ch = 0x2019; break;
    case TRtfWord::LDblQuote: ch = 0x201C; break;
    case TRtfWord::RDblQuote: ch = 0x201D; break;
    case TRtfWord::Zwj: ch = 0x200D; break;
    case TRtfWord::Zwnj: ch = 0x200C; break;
    case TRtfWord::UnicodeSkip:
      State().unicodeSkip = Param(token, 0, 16, 1);
      return true;
    default: return false;
  }
  AppendChar(ch);
  return true;
}

bool TRtfParser::ApplyDocumentWord(TRtfWord word, const TRtfToken& token) {
  switch (word) {
    case TRtfWord::Ansi: documentCodePage_ = kRtfCodePage1252; break;
    case TRtfWord::Mac: documentCodePage_ = 10000; break;
    case TRtfWord::Pc: documentCodePage_ = 437; break;
    case TRtfWord::Pca: documentCodePage_ = 850; break;
    case TRtfWord::AnsiCodePage: documentCodePage_ = Param(token, 0, 65535, kRtfCodePage1252); break;
    case TRtfWord::DefaultFont: defaultFont_ = Param(token, 0, kMaxTableIndex, 0); break;
    default: return false;
  }
  return true;
}

bool TRtfParser::ApplyCharacterWord(TRtfWord word, const TRtfToken& token) {
  TRtfCharState& c = State().chr;
  switch (word) {
    case TRtfWord::Plain: {
      const int field = c.field;
      c = TRtfCharState();
      c.field = field;
      break;
    }
    case TRtfWord::Bold: c.bold = Toggle(token); break;
    case TRtfWord::Italic: c.italic = Toggle(token); break;
    case TRtfWord::Strike: c.strike = Toggle(token); break;
    case TRtfWord::Hidden: c.hidden = Toggle(token); break;
    case TRtfWord::Caps: c.caps = Toggle(token) ? QFont::AllUppercase : QFont::MixedCase; break;
    case TRtfWord::SmallCaps: c.caps = Toggle(token) ? QFont::SmallCaps : QFont::MixedCase; break;
    case TRtfWord::Underline:
      c.underline = Toggle(token) ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline;
      break;
    case TRtfWord::UnderlineDotted: c.underline = QTextCharFormat::DotLine; break;
    case TRtfWord::UnderlineDash: c.underline = QTextCharFormat::DashUnderline; break;
    case TRtfWord::UnderlineDashDot: c.underline = QTextCharFormat::DashDotLine; break;
    case TRtfWord::UnderlineDashDotDot: c.underline = QTextCharFormat::DashDotDotLine; break;
    case TRtfWord::UnderlineWave: c.underline = QTextCharFormat::WaveUnderline; break;
    case TRtfWord::UnderlineNone: c.underline = QTextCharFormat::NoUnderline; break;
    case TRtfWord::Font: c.font = Param(token, 0, kMaxTableIndex, -1); break;
    case TRtfWord::FontSize: {
      const int size = Param(token, 0, kMaxRtfHalfPoints, 24);
      c.halfPoints = size > 0 ? size : 24;
      break;
    }
    case TRtfWord::ForeColor: c.foreColor = Param(token, 0, kMaxTableIndex, 0); break;
    case TRtfWord::Highlight:
    case TRtfWord::BackColor: c.backColor = Param(token, 0, kMaxTableIndex, 0); break;
    case TRtfWord::Super:
    case TRtfWord::Sub: {
      // \up and \dn carry a raise in half points; \up0 and \dn0 end it.
      const bool on = token.word.size() != 2 || Toggle(token);
      c.vertical = !on ? QTextCharFormat::AlignNormal
                   : word == TRtfWord::Super ? QTextCharFormat::AlignSuperScript
                                            : QTextCharFormat::AlignSubScript;
      break;
    }
    case TRtfWord::NoSuperSub: c.vertical = QTextCharFormat::AlignNormal; break;
    default: return false;
  }
  return true;
}

bool TRtfParser::ApplyParagraphWord(TRtfWord word, const TRtfToken& token) {
  TRtfParaState& p = State().para;
  switch (word) {
    case TRtfWord::Pard: p = TRtfParaState(); break;
    case TRtfWord::AlignLeft: p.alignment = Qt::AlignLeft; break;
    case TRtfWord::AlignCenter: p.alignment = Qt::AlignHCenter; break;
    case TRtfWord::AlignRight: p.alignment = Qt::AlignRight; break;
    case TRtfWord::AlignJustify: p.alignment = Qt::AlignJustify; break;
    case TRtfWord::LeftIndent: p.leftIndent = Param(token, -kMaxRtfLengthTwips, kMaxRtfLengthTwips, 0); break;
    case TRtfWord::RightIndent: p.rightIndent = Param(token, -kMaxRtfLengthTwips, kMaxRtfLengthTwips, 0); break;
    case TRtfWord::FirstIndent: p.firstIndent = Param(token, -kMaxRtfLengthTwips, kMaxRtfLengthTwips, 0); break;
    case TRtfWord::SpaceBefore: p.spaceBefore = Param(token, 0, kMaxRtfLengthTwips, 0); break;
    case TRtfWord::SpaceAfter: p.spaceAfter = Param(token, 0, kMaxRtfLengthTwips, 0); break;
    case TRtfWord::Style: {
      p.style = Param(token, 0, kMaxTableIndex, 0);
      const auto found = tables_.styleOutlineLevels.find(p.style);
      if (found != tables_.styleOutlineLevels.end()) p.outlineLevel = found->second;
      break;
    }
    case TRtfWord::OutlineLevel: {
      const int level = Param(token, 0, 9, 9);
      p.outlineLevel = level < 9 ? level : -1;
      break;
    }
    case TRtfWord::ListOverrideIndex: p.listOverride = Param(token, 0, kMaxTableIndex, 0); break;
    case TRtfWord::ListLevelIndex: p.listLevel = Param(token, 0, TRtfListDefinition::kLevels - 1, 0); break;
    case TRtfWord::InTable: p.inTable = true; break;
    case TRtfWord::PageBreakBefore: p.pageBreakBefore = Toggle(token); break;
    case TRtfWord::Par: EndParagraph(); break;
    case TRtfWord::Cell:
      // Cells are kept as text in reading order, a tab between two cells.
      cellGaps_ = std::min(cellGaps_ + 1, 1000);
      break;
    case TRtfWord::Row:
      // Empty cells at the end of the row keep their tabs, so every row of a
      // table has as many tabs as it has cells less one.
      if (cellGaps_ > 1) builder_.InsertText(QString(cellGaps_ - 1, QLatin1Char('\t')), CharFormat());
      cellGaps_ = 0;
      EndParagraph();
      break;
    case TRtfWord::Page:
      if (!builder_.ParagraphEmpty()) EndParagraph();
      pageBreakPending_ = true;
      break;
    default: return false;
  }
  return true;
}

void TRtfParser::ApplyTableWord(TRtfWord word, const TRtfToken& token) {
  switch (State().destination) {
    case TRtfDestination::FontTable:
      if (word == TRtfWord::Font) {
        CommitFont();
        fontNumber_ = Param(token, 0, kMaxTableIndex, 0);
      } else if (word == TRtfWord::FontCharset) {
        font_.codePage = RtfCodePageOfCharset(Param(token, 0, 255, 0));
      } else if (word == TRtfWord::FontCodePage) {
        font_.codePage = Param(token, 0, 65535, 0);
      }
      return;
    case TRtfDestination::ColorTable:
      if (word == TRtfWord::Red || word == TRtfWord::Green || word == TRtfWord::Blue) {
        const int index = word == TRtfWord::Red ? 0 : word == TRtfWord::Green ? 1 : 2;
        colorParts_[index] = Param(token, 0, 255, 0);
        colorGiven_ = true;
      }
      return;
    case TRtfDestination::StyleSheet:
      if (word == TRtfWord::Style) styleNumber_ = Param(token, 0, kMaxTableIndex, 0);
      if (word == TRtfWord::OutlineLevel) styleOutline_ = Param(token, 0, 9, 9);
      return;
    case TRtfDestination::ListTable:
      if (word == TRtfWord::ListId) listId_ = Param(token, INT_MIN, INT_MAX, 0);
      return;
    case TRtfDestination::ListLevel:
      if (word == TRtfWord::LevelNfc) levelNfc_ = Param(token, 0, 255, 0);
      return;
    case TRtfDestination::ListOverrideTable:
      if (word == TRtfWord::ListId) overrideListId_ = Param(token, INT_MIN, INT_MAX, 0);
      if (word == TRtfWord::ListOverrideIndex) overrideIndex_ = Param(token, 0, kMaxTableIndex, 0);
      return;
    case TRtfDestination::NumberingOld: {
      TRtfOldNumbering& n = State().para.numbering;
      switch (word) {
        case TRtfWord::PnLevelBullet: n.style = QTextListFormat::ListDisc; break;
        case TRtfWord::PnLevelBody: n.style = QTextListFormat::ListDecimal; break;
        case TRtfWord::PnLevel:
          n.level = Param(token, 1, TRtfListDefinition::kLevels, 1);
          n.style = QTextListFormat::ListDecimal;
          break;
        case TRtfWord::PnDecimal: n.style = QTextListFormat::ListDecimal; break;
        case TRtfWord::PnUpperLetter: n.style = QTextListFormat::ListUpperAlpha; break;
        case TRtfWord::PnLowerLetter: n.style = QTextListFormat::ListLowerAlpha; break;
        case TRtfWord::PnUpperRoman: n.style = QTextListFormat::ListUpperRoman; break;
        case TRtfWord::PnLowerRoman: n.style = QTextListFormat::ListLowerRoman; break;
        default: break;
      }
      return;
    }
    case TRtfDestination::Picture:
      switch (word) {
        case TRtfWord::PngBlip: picture_.SetFormat(TRtfPicture::TFormat::Png); break;
        case TRtfWord::JpegBlip: picture_.SetFormat(TRtfPicture::TFormat::Jpeg); break;
        case TRtfWord::OtherBlip: picture_.SetFormat(TRtfPicture::TFormat::Other); break;
        case TRtfWord::PicWidth: picture_.SetPixelSize(true, Param(token, 0, 20000, 0)); break;
        case TRtfWord::PicHeight: picture_.SetPixelSize(false, Param(token, 0, 20000, 0)); break;
        case TRtfWord::PicGoalWidth: picture_.SetGoalSize(true, Param(token, 0, kMaxRtfLengthTwips, 0)); break;
        case TRtfWord::PicGoalHeight: picture_.SetGoalSize(false, Param(token, 0, kMaxRtfLengthTwips, 0)); break;
        case TRtfWord::PicScaleX: picture_.SetScale(true, Param(token, 1, 1000, 100)); break;
        case TRtfWord::PicScaleY: picture_.SetScale(false, Param(token, 1, 1000, 100)); break;
        default: break;
      }
      return;
    default: return;
  }
}

void TRtfParser::CommitFont() {
  if (fontNumber_ >= 0) {
    font_.name = font_.name.trimmed();
    tables_.fonts[fontNumber_] = font_;
  }
  fontNumber_ = -1;
  font_ = TRtfFont();
}

void TRtfParser::CommitColor() {
  tables_.colors.push_back(colorGiven_ ? QColor(colorParts_[0], colorParts_[1], colorParts_[2]) : QColor());
  colorParts_[0] = colorParts_[1] = colorParts_[2] = 0;
  colorGiven_ = false;
}

void TRtfParser::CommitStyle() {
  const int outline = styleOutline_ >= 0 && styleOutline_ < 9 ? styleOutline_ : HeadingLevelOfName(styleName_);
  if (outline >= 0) tables_.styleOutlineLevels[styleNumber_] = outline;
  styleNumber_ = 0;
  styleOutline_ = -1;
  styleName_.clear();
}

QTextCharFormat TRtfParser::CharFormat() const {
  const TRtfCharState& c = State().chr;
  QTextCharFormat format;
  const auto font = tables_.fonts.find(c.font >= 0 ? c.font : defaultFont_);
  if (font != tables_.fonts.end() && !font->second.name.isEmpty()) format.setFontFamilies({font->second.name});
  format.setFontPointSize(c.halfPoints / 2.0);
  if (c.bold) format.setFontWeight(QFont::Bold);
  if (c.italic) format.setFontItalic(true);
  if (c.strike) format.setFontStrikeOut(true);
  if (c.underline != QTextCharFormat::NoUnderline) format.setUnderlineStyle(c.underline);
  if (c.caps != QFont::MixedCase) format.setFontCapitalization(c.caps);
  if (c.vertical != QTextCharFormat::AlignNormal) format.setVerticalAlignment(c.vertical);
  const auto color = [this](int index) {
    return index > 0 && size_t(index) < tables_.colors.size() ? tables_.colors[size_t(index)] : QColor();
  };
  if (color(c.foreColor).isValid()) format.setForeground(color(c.foreColor));
  if (color(c.backColor).isValid()) format.setBackground(color(c.backColor));
  const QString link = FieldLink(c.field);
  if (!link.isEmpty()) {
    format.setAnchor(true);
    format.setAnchorHref(link);
  }
  return format;
}

// HYPERLINK "target" [\l "bookmark"] [\o "tip"] ...; \l makes the target a
// place in the same text.
QString TRtfParser::FieldLink(int field) const {
  if (field < 0 || size_t(field) >= fields_.size()) return {};
  QString rest = fields_[size_t(field)].trimmed();
  if (!rest.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive)) return {};
  rest = rest.mid(9).trimmed();
  QString target;
  bool local = false;
  bool skipArgument = false;  // \o and \t carry a tip and a frame name
  while (!rest.isEmpty()) {
    if (rest.startsWith(QLatin1Char('\\')) && rest.size() > 1) {
      const QChar name = rest[1];
      local = local || name == QLatin1Char('l');
      skipArgument = name == QLatin1Char('o') || name == QLatin1Char('t');
      rest = rest.mid(2).trimmed();
      continue;
    }
    QString value;
    if (rest.startsWith(QLatin1Char('"'))) {
      const qsizetype close = rest.indexOf(QLatin1Char('"'), 1);
      value = rest.mid(1, close < 0 ? -1 : close - 1);
      rest = close < 0 ? QString() : rest.mid(close + 1).trimmed();
    } else {
      const qsizetype blank = rest.indexOf(QLatin1Char(' '));
      value = rest.left(blank);
      rest = blank < 0 ? QString() : rest.mid(blank + 1).trimmed();
    }
    if (!skipArgument && target.isEmpty()) target = value;
    skipArgument = false;
  }
  return local && !target.isEmpty() ? QLatin1Char('#') + target : target;
}

QTextBlockFormat TRtfParser::BlockFormat(const TRtfParaState& para, bool listItem) const {
  QTextBlockFormat format;
  if (para.alignment != Qt::AlignLeft) format.setAlignment(para.alignment);
  // A list item's indent comes from its list.
  if (para.leftIndent != 0 && !listItem) format.setLeftMargin(TwipsToPixels(para.leftIndent));
  if (para.firstIndent != 0 && !listItem) format.setTextIndent(TwipsToPixels(para.firstIndent));
  if (para.rightIndent != 0) format.setRightMargin(TwipsToPixels(para.rightIndent));
  if (para.spaceBefore != 0) format.setTopMargin(TwipsToPixels(para.spaceBefore));
  if (para.spaceAfter != 0) format.setBottomMargin(TwipsToPixels(para.spaceAfter));
  if (para.outlineLevel >= 0 && para.outlineLevel < 6) format.setHeadingLevel(para.outlineLevel + 1);
  if (para.pageBreakBefore || pageBreakPending_) format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  return format;
}

TRtfListItem TRtfParser::ListItem(const TRtfParaState& para) const {
  TRtfListItem item;
  if (para.listOverride > 0) {
    item.isItem = true;
    item.key = (qint64(1) << 32) | para.listOverride;
    item.level = para.listLevel;
    const auto override = tables_.overrides.find(para.listOverride);
    const auto list = override == tables_.overrides.end() ? tables_.lists.end()
                                                          : tables_.lists.find(override->second);
    if (list != tables_.lists.end()) {
      item.style = list->second.styles[size_t(para.listLevel)];
    } else if (para.numbering.active) {
      item.style = para.numbering.style;
    }
  } else if (para.numbering.active) {
    item.isItem = true;
    // Old-style numbering has no list identity: consecutive items of one
    // style form a list.
    item.key = (qint64(2) << 40) | (qint64(para.numbering.style + 16) << 32) | numberingRun_;
    item.level = para.numbering.level - 1;
    item.style = para.numbering.style;
  }
  return item;
}

// The list item the builder will take; past its limit the paragraph is a
// plain one and keeps its written marker.
TRtfListItem TRtfParser::AcceptedListItem(const TRtfParaState& para) {
  TRtfListItem item = ListItem(para);
  if (item.isItem && !builder_.AcceptsListItem()) {
    item.isItem = false;
    problems_ |= kTooManyListItems;
  }
  return item;
}

void TRtfParser::EndParagraph() {
  FlushText();
  const TRtfParaState& para = State().para;
  const TRtfListItem item = AcceptedListItem(para);
  // A list item shows its own marker; the written one is for readers
  // without lists.
  if (item.isItem && markerStart_ >= 0 && markerEnd_ > markerStart_) builder_.RemoveRange(markerStart_, markerEnd_);
  markerStart_ = markerEnd_ = -1;
  builder_.EndParagraph(BlockFormat(para, item.isItem), item);
  pageBreakPending_ = false;
  cellGaps_ = 0;
  sawParagraphMark_ = true;
  if (!item.isItem) ++numberingRun_;
}

void TRtfParser::Finish() {
  FlushText();
  const TRtfParaState& para = stack_.size() > 1 ? State().para : documentPara_;
  const TRtfListItem item = AcceptedListItem(para);
  if (item.isItem && markerStart_ >= 0 && markerEnd_ > markerStart_) builder_.RemoveRange(markerStart_, markerEnd_);
  builder_.Finish(BlockFormat(para, item.isItem), item, sawParagraphMark_);
}

}  // namespace fendra
