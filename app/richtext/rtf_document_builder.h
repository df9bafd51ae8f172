#pragma once
// Puts what the RTF reader finds into a QTextDocument: text runs with their
// character formats, pictures, paragraph ends with their block formats, and
// list membership. The reader decides what the formats are; the builder only
// knows the document.
#include <QImage>
#include <QSizeF>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextListFormat>
#include <map>
#include <utility>

class QTextDocument;
class QTextList;

namespace fendra {

// A paragraph's place in a list. Paragraphs with the same key and level
// belong to one QTextList, wherever they are; an item of a lower level ends
// the deeper lists of its key, so their numbering starts again.
struct TRtfListItem {
  bool isItem = false;
  qint64 key = 0;
  int level = 0;  // 0..8; the QTextList's indent is level + 1
  QTextListFormat::Style style = QTextListFormat::ListDisc;
};

class TRtfDocumentBuilder {
 public:
  // Clears the document. While the builder lives the document keeps no undo
  // steps (a read is no edit to take back) and stays in one edit block, so
  // neither a step nor a layout pass is made per run: both would cost time
  // in the length of the paragraph for every run added to it.
  explicit TRtfDocumentBuilder(QTextDocument* document);
  ~TRtfDocumentBuilder();
  TRtfDocumentBuilder(const TRtfDocumentBuilder&) = delete;
  TRtfDocumentBuilder& operator=(const TRtfDocumentBuilder&) = delete;

  void InsertText(const QString& text, const QTextCharFormat& format);
  void InsertImage(const QString& name, const QImage& image, QSizeF size, const QTextCharFormat& format);

  int Position() const { return cursor_.position(); }
  void RemoveRange(int from, int to);
  bool ParagraphEmpty() const;

  // Qt's lists touch every item when one is added, so long lists cost
  // quadratic time. Memo texts have short lists; a list that grows past
  // kMaxItemsPerList goes on as a new list of the same format, and past
  // kMaxListItems in all, items stay plain paragraphs.
  static constexpr int kMaxItemsPerList = 500;
  static constexpr int kMaxListItems = 5000;
  bool AcceptsListItem() const { return listItems_ < kMaxListItems; }

  // Gives the current paragraph its formats and starts the next one.
  void EndParagraph(const QTextBlockFormat& block, const TRtfListItem& item);
  // Gives the last paragraph its formats; or, when it is empty and
  // dropIfEmpty is set (the text ended with a paragraph mark), removes it.
  void Finish(const QTextBlockFormat& block, const TRtfListItem& item, bool dropIfEmpty);

 private:
  void ApplyParagraph(const QTextBlockFormat& block, const TRtfListItem& item);

  QTextDocument* document_;
  const bool undoWasEnabled_;
  QTextCursor cursor_;
  std::map<std::pair<qint64, int>, QTextList*> lists_;
  int listItems_ = 0;
};

}  // namespace fendra
