#include "app/richtext/rtf_parser.h"

#include <QCryptographicHash>
#include <QTextDocument>

namespace fendra {

namespace {

bool IsTextLike(TRtfDestination destination) {
  return destination == TRtfDestination::Text || destination == TRtfDestination::ListMarker;
}

// Control characters other than the tab are no text, and U+FDD0/U+FDD1 are
// the frame marks of QTextDocument itself.
QString TextForDocument(const QString& text) {
  QString clean;
  for (QChar ch : text) {
    const char16_t u = ch.unicode();
    if ((u < 0x20 && u != '\t') || u == 0x7F || u == 0xFDD0 || u == 0xFDD1) continue;
    clean += ch;
  }
  return clean;
}

}  // namespace

TRtfParser::TRtfParser(QTextDocument* document, int maxGroupDepth)
    : builder_(document), maxGroupDepth_(maxGroupDepth) {
  stack_.emplace_back();
}

TRtfParser::~TRtfParser() = default;

void TRtfParser::Parse(QByteArrayView input) {
  TRtfTokenizer tokenizer(input);
  for (TRtfToken token = tokenizer.Next(); token.kind != TRtfTokenKind::End; token = tokenizer.Next()) {
    if (stack_.size() == 1 && excessDepth_ == 0 && token.kind != TRtfTokenKind::GroupStart) {
      // Outside the document group: nothing before it counts, and the text
      // ends with it.
      if (documentClosed_) break;
      continue;
    }
    if (skipPending_ > 0 && ConsumeFallback(token)) continue;
    if (token.kind != TRtfTokenKind::ControlWord && token.kind != TRtfTokenKind::ControlSymbol) groupStart_ = false;
    switch (token.kind) {
      case TRtfTokenKind::GroupStart: OnGroupStart(); break;
      case TRtfTokenKind::GroupEnd: OnGroupEnd(); break;
      case TRtfTokenKind::ControlWord: OnWord(token); break;
      case TRtfTokenKind::ControlSymbol: OnSymbol(token.symbol); break;
      case TRtfTokenKind::HexByte:
        if (State().destination != TRtfDestination::Skip) pendingBytes_.append(char(token.byte));
        break;
      case TRtfTokenKind::Binary:
        if (State().destination == TRtfDestination::Picture) picture_.AddBinary(token.data);
        break;
      case TRtfTokenKind::Text: OnText(token.data); break;
      case TRtfTokenKind::End: break;
    }
    if (documentClosed_) break;
  }
  if (tokenizer.Damaged()) problems_ |= kDamagedEscape;
  if (!documentClosed_) problems_ |= kTruncated;
  while (stack_.size() > 1) {
    FlushText();
    const TRtfGroupState closed = stack_.back();
    stack_.pop_back();
    CloseGroup(closed);
    if (stack_.size() == 1) documentPara_ = closed.para;
  }
  Finish();
}

// Drops the fallback of a \uN: each text byte, escape or control word counts
// as one character; a brace ends the fallback and is processed.
bool TRtfParser::ConsumeFallback(const TRtfToken& token) {
  if (token.kind == TRtfTokenKind::GroupStart || token.kind == TRtfTokenKind::GroupEnd) {
    skipPending_ = 0;
    return false;
  }
  if (token.kind == TRtfTokenKind::Text) {
    const qsizetype skipped = std::min<qsizetype>(skipPending_, token.data.size());
    skipPending_ -= int(skipped);
    if (skipped < token.data.size()) OnText(token.data.sliced(skipped));
    return true;
  }
  --skipPending_;
  return true;
}

void TRtfParser::OnGroupStart() {
  FlushText();
  afterStar_ = false;
  if (int(stack_.size()) - 1 >= maxGroupDepth_) {
    // A group read flat has no state of its own to give a destination.
    ++excessDepth_;
    problems_ |= kTooDeep;
    groupStart_ = false;
    return;
  }
  TRtfGroupState inner = State();
  inner.openedBy = TRtfWord::Unknown;
  stack_.push_back(inner);
  groupStart_ = true;
}

void TRtfParser::OnGroupEnd() {
  FlushText();
  afterStar_ = false;
  if (excessDepth_ > 0) {
    --excessDepth_;
    return;
  }
  const TRtfGroupState closed = State();
  stack_.pop_back();
  CloseGroup(closed);
  if (stack_.size() == 1) {
    documentClosed_ = true;
    documentPara_ = closed.para;
  }
}

void TRtfParser::OnWord(const TRtfToken& token) {
  const bool afterStar = afterStar_;
  const bool groupStart = groupStart_;
  afterStar_ = false;
  groupStart_ = false;
  if (State().destination == TRtfDestination::Skip) return;
  const TRtfWord word = LookUpRtfWord(token.word);
  if (word == TRtfWord::Unicode) {
    // \uN is a signed 16-bit value; negative ones stand for N + 65536.
    if (token.hasParam && token.param >= -32768 && token.param <= 65535) {
      AppendChar(char32_t(token.param < 0 ? token.param + 65536 : token.param));
    }
    skipPending_ = State().unicodeSkip;
    return;
  }
  if (ApplySpecialWord(word, token)) return;
  FlushText();
  if (groupStart && OpenDestination(word)) return;
  if (afterStar) {
    // An ignorable destination this reader does not know.
    if (groupStart) State().destination = TRtfDestination::Skip;
    return;
  }
  switch (State().destination) {
    case TRtfDestination::Text:
    case TRtfDestination::ListMarker:
      if (!ApplyCharacterWord(word, token) && !ApplyParagraphWord(word, token)) ApplyDocumentWord(word, token);
      return;
    default: ApplyTableWord(word, token); return;
  }
}

void TRtfParser::OnSymbol(char symbol) {
  if (State().destination == TRtfDestination::Skip) return;
  if (symbol != '*') groupStart_ = false;
  switch (symbol) {
    case '*': afterStar_ = true; return;
    case '~': AppendChar(0x00A0); break;
    case '-': AppendChar(0x00AD); break;
    case '_': AppendChar(0x2011); break;
    case '\\':
    case '{':
    case '}': pendingBytes_.append(symbol); break;
    case '\n':
      if (IsTextLike(State().destination)) {
        FlushText();
        EndParagraph();
      }
      break;
    case '\t': AppendChar('\t'); break;
    default: break;  // \:, \|, formula and index characters
  }
  afterStar_ = false;
}

void TRtfParser::OnText(QByteArrayView bytes) {
  switch (State().destination) {
    case TRtfDestination::Skip: return;
    case TRtfDestination::Picture: picture_.AddHex(bytes); return;
    default: pendingBytes_.append(bytes.data(), bytes.size()); return;
  }
}

int TRtfParser::CurrentCodePage() const {
  if (State().destination == TRtfDestination::FontTable) {
    return font_.codePage > 0 ? font_.codePage : documentCodePage_;
  }
  const int number = State().chr.font >= 0 ? State().chr.font : defaultFont_;
  const auto found = tables_.fonts.find(number);
  return found != tables_.fonts.end() && found->second.codePage > 0 ? found->second.codePage
                                                                    : documentCodePage_;
}

void TRtfParser::AppendChar(char32_t ch) {
  if (!pendingBytes_.isEmpty()) {
    pendingText_ += decoder_.Decode(CurrentCodePage(), pendingBytes_);
    pendingBytes_.clear();
  }
  pendingText_ += QChar(char16_t(ch));
}

void TRtfParser::FlushText() {
  if (!pendingBytes_.isEmpty()) {
    pendingText_ += decoder_.Decode(CurrentCodePage(), pendingBytes_);
    pendingBytes_.clear();
  }
  if (pendingText_.isEmpty()) return;
  const QString text = std::move(pendingText_);
  pendingText_.clear();
  RouteText(text);
}

void TRtfParser::RouteText(const QString& raw) {
  switch (State().destination) {
    case TRtfDestination::Text:
    case TRtfDestination::ListMarker: {
      if (State().chr.hidden) return;
      const QString text = TextForDocument(raw);
      if (text.isEmpty()) return;
      if (cellGaps_ > 0) {
        builder_.InsertText(QString(cellGaps_, QLatin1Char('\t')), CharFormat());
        cellGaps_ = 0;
      }
      builder_.InsertText(text, CharFormat());
      return;
    }
    case TRtfDestination::FieldInstruction:
      if (State().openField >= 0) fields_[size_t(State().openField)] += raw;
      return;
    case TRtfDestination::LevelText: levelText_ += raw; return;
    default: RouteTableText(raw); return;
  }
}

// Font, colour and style entries end with ';'.
void TRtfParser::RouteTableText(const QString& text) {
  for (QChar ch : text) {
    const bool end = ch == QLatin1Char(';');
    switch (State().destination) {
      case TRtfDestination::FontTable:
        if (end) CommitFont();
        else font_.name += ch;
        break;
      case TRtfDestination::ColorTable:
        if (end) CommitColor();
        break;
      case TRtfDestination::StyleSheet:
        if (end) CommitStyle();
        else styleName_ += ch;
        break;
      default: return;
    }
  }
}

bool TRtfParser::OpenDestination(TRtfWord word) {
  TRtfGroupState& state = State();
  TRtfDestination destination = state.destination;
  switch (word) {
    case TRtfWord::SkipDestination:
    case TRtfWord::NonShapePicture:
    case TRtfWord::ListName:
    case TRtfWord::LevelNumbers:
    case TRtfWord::PnTextAfter:
    case TRtfWord::PnTextBefore: destination = TRtfDestination::Skip; break;
    case TRtfWord::FontTable: destination = TRtfDestination::FontTable; break;
    case TRtfWord::ColorTable: destination = TRtfDestination::ColorTable; break;
    case TRtfWord::StyleSheet: destination = TRtfDestination::StyleSheet; break;
    case TRtfWord::Picture:
      destination = TRtfDestination::Picture;
      picture_ = TRtfPicture();
      break;
    case TRtfWord::ShapePicture: break;
    case TRtfWord::PnText:
    case TRtfWord::ListText:
      destination = TRtfDestination::ListMarker;
      markerStart_ = builder_.Position();
      break;
    case TRtfWord::Pn:
      destination = TRtfDestination::NumberingOld;
      state.para.numbering = TRtfOldNumbering();
      state.para.numbering.active = true;
      break;
    case TRtfWord::ListTable: destination = TRtfDestination::ListTable; break;
    case TRtfWord::List:
      list_ = TRtfListDefinition();
      listId_ = 0;
      levelIndex_ = 0;
      break;
    case TRtfWord::ListLevel:
      destination = TRtfDestination::ListLevel;
      levelNfc_ = 0;
      levelText_.clear();
      break;
    case TRtfWord::LevelText: destination = TRtfDestination::LevelText; break;
    case TRtfWord::ListOverrideTable: destination = TRtfDestination::ListOverrideTable; break;
    case TRtfWord::ListOverride:
      overrideListId_ = 0;
      overrideIndex_ = 0;
      break;
    case TRtfWord::Field:
      destination = TRtfDestination::Text;
      state.openField = int(fields_.size());
      fields_.emplace_back();
      break;
    case TRtfWord::FieldInstruction:
      destination = state.openField >= 0 ? TRtfDestination::FieldInstruction : TRtfDestination::Skip;
      break;
    case TRtfWord::FieldResult:
      destination = TRtfDestination::Text;
      state.chr.field = state.openField;
      break;
    default: return false;
  }
  state.destination = destination;
  state.openedBy = word;
  return true;
}

void TRtfParser::CloseGroup(const TRtfGroupState& closed) {
  switch (closed.openedBy) {
    case TRtfWord::FontTable: CommitFont(); break;
    case TRtfWord::Picture:
      if (State().destination == TRtfDestination::Text) InsertPicture();
      picture_ = TRtfPicture();
      break;
    case TRtfWord::PnText:
    case TRtfWord::ListText: markerEnd_ = builder_.Position(); break;
    case TRtfWord::Pn:
      // \pn sits in its own group but numbers the paragraph around it.
      State().para.numbering = closed.para.numbering;
      break;
    case TRtfWord::List: tables_.lists[listId_] = list_; break;
    case TRtfWord::ListLevel:
      if (levelIndex_ < TRtfListDefinition::kLevels) {
        QTextListFormat::Style style = QTextListFormat::ListDecimal;
        switch (levelNfc_) {
          case 1: style = QTextListFormat::ListUpperRoman; break;
          case 2: style = QTextListFormat::ListLowerRoman; break;
          case 3: style = QTextListFormat::ListUpperAlpha; break;
          case 4: style = QTextListFormat::ListLowerAlpha; break;
          case 23:
          case 255:
            // A bullet; its character tells the shape.
            style = QTextListFormat::ListDisc;
            if (levelText_.contains(QLatin1Char('o')) || levelText_.contains(QChar(0x25CB)) ||
                levelText_.contains(QChar(0x25E6))) {
              style = QTextListFormat::ListCircle;
            } else if (levelText_.contains(QChar(0xF0A7)) || levelText_.contains(QChar(0x25A0)) ||
                       levelText_.contains(QChar(0x25AA)) || levelText_.contains(QChar(0xA7))) {
              style = QTextListFormat::ListSquare;
            }
            break;
          default: break;
        }
        list_.styles[size_t(levelIndex_)] = style;
      }
      ++levelIndex_;
      break;
    case TRtfWord::ListOverride: tables_.overrides[overrideIndex_] = overrideListId_; break;
    default: break;
  }
}

void TRtfParser::InsertPicture() {
  const QImage image = picture_.Decode();
  if (image.isNull()) return;  // a format Qt cannot show: left out
  const QByteArray hash = QCryptographicHash::hash(picture_.Data(), QCryptographicHash::Sha1).toHex();
  const QString name = QStringLiteral("rtfimage:") + QString::fromLatin1(hash);
  if (cellGaps_ > 0) {
    builder_.InsertText(QString(cellGaps_, QLatin1Char('\t')), CharFormat());
    cellGaps_ = 0;
  }
  builder_.InsertImage(name, image, picture_.DisplaySize(image), CharFormat());
}

}  // namespace fendra
