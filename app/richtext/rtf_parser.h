#pragma once
// The RTF parser: walks the tokens, keeps the group stack and the document
// tables, and hands text, pictures and paragraph ends to the document
// builder. It never fails: faults in the input are noted in Problems() and
// the text around them is kept.
//
// Invariants:
//  1. stack_ is never empty; stack_[0] is the state outside every group and
//     stack_.size() - 1 <= maxGroupDepth. Groups deeper than that are counted
//     in excessDepth_ and share their parent's state.
//  2. pendingBytes_ and pendingText_ belong to the top group's destination
//     and formats; they are flushed before anything changes either.
//  3. After a \uN, skipPending_ fallback characters are dropped; any brace
//     ends the fallback.
//  4. A destination word opens a destination only as the first word of its
//     group (after an optional \*); elsewhere it is ignored, so a stray one
//     cannot take the rest of the text with it.
#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <memory>
#include <vector>

#include "app/richtext/rtf_code_page.h"
#include "app/richtext/rtf_document_builder.h"
#include "app/richtext/rtf_picture.h"
#include "app/richtext/rtf_reader_state.h"
#include "app/richtext/rtf_tokenizer.h"

class QTextDocument;

namespace fendra {

class TRtfParser {
 public:
  enum TProblem {
    kTruncated = 1,       // groups left open at the end of the input
    kTooDeep = 2,         // groups nested deeper than the limit
    kDamagedEscape = 4,   // cut escapes, over-long words, \bin past the end
    kTooManyListItems = 8,  // list items past the builder's limit, read as paragraphs
  };

  TRtfParser(QTextDocument* document, int maxGroupDepth);
  ~TRtfParser();

  void Parse(QByteArrayView input);
  int Problems() const { return problems_; }

 private:
  // Tokens (rtf_parser.cpp).
  void OnGroupStart();
  void OnGroupEnd();
  void OnWord(const TRtfToken& token);
  void OnSymbol(char symbol);
  void OnText(QByteArrayView bytes);
  bool ConsumeFallback(const TRtfToken& token);

  // Text routing (rtf_parser.cpp).
  void AppendChar(char32_t ch);
  void FlushText();
  void RouteText(const QString& text);
  void RouteTableText(const QString& text);
  int CurrentCodePage() const;

  // Destinations (rtf_parser.cpp).
  bool OpenDestination(TRtfWord word);
  void CloseGroup(const TRtfGroupState& closed);
  void InsertPicture();

  // Words by destination (rtf_parser_words.cpp).
  void ApplyTableWord(TRtfWord word, const TRtfToken& token);
  bool ApplyCharacterWord(TRtfWord word, const TRtfToken& token);
  bool ApplyParagraphWord(TRtfWord word, const TRtfToken& token);
  bool ApplySpecialWord(TRtfWord word, const TRtfToken& token);
  bool ApplyDocumentWord(TRtfWord word, const TRtfToken& token);
  void CommitFont();
  void CommitColor();
  void CommitStyle();

  // Formats and paragraphs (rtf_parser_words.cpp).
  QTextCharFormat CharFormat() const;
  QTextBlockFormat BlockFormat(const TRtfParaState& para, bool listItem) const;
  TRtfListItem ListItem(const TRtfParaState& para) const;
  TRtfListItem AcceptedListItem(const TRtfParaState& para);
  QString FieldLink(int field) const;
  void EndParagraph();
  void Finish();

  TRtfGroupState& State() { return stack_.back(); }
  const TRtfGroupState& State() const { return stack_.back(); }

  TRtfDocumentBuilder builder_;
  TRtfCodePageDecoder decoder_;
  const int maxGroupDepth_;
  std::vector<TRtfGroupState> stack_;
  int excessDepth_ = 0;
  bool documentClosed_ = false;
  bool afterStar_ = false;
  bool groupStart_ = false;  // nothing but \* read since the last '{'; destinations open only here
  int skipPending_ = 0;
  int problems_ = 0;

  QByteArray pendingBytes_;
  QString pendingText_;

  int documentCodePage_ = kRtfCodePage1252;
  int defaultFont_ = 0;
  TRtfTables tables_;

  // Table entries being read.
  int fontNumber_ = -1;
  TRtfFont font_;
  int colorParts_[3] = {0, 0, 0};
  bool colorGiven_ = false;
  int styleNumber_ = 0;
  int styleOutline_ = -1;
  QString styleName_;
  TRtfListDefinition list_;
  int listId_ = 0;
  int levelIndex_ = 0;
  int levelNfc_ = 0;
  QString levelText_;
  int overrideListId_ = 0;
  int overrideIndex_ = 0;

  // Document text state.
  std::vector<QString> fields_;
  TRtfPicture picture_;
  int cellGaps_ = 0;
  bool sawParagraphMark_ = false;
  TRtfParaState documentPara_;  // the paragraph state the document group ended with
  bool pageBreakPending_ = false;
  int markerStart_ = -1;
  int markerEnd_ = -1;
  int numberingRun_ = 0;
};

}  // namespace fendra
