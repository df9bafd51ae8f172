#include "app/richtext/rtf_document_builder.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QUrl>

namespace fendra {

TRtfDocumentBuilder::TRtfDocumentBuilder(QTextDocument* document)
    : document_(document), undoWasEnabled_(document->isUndoRedoEnabled()) {
  document_->clear();
  document_->setUndoRedoEnabled(false);
  cursor_ = QTextCursor(document_);
  cursor_.beginEditBlock();
}

TRtfDocumentBuilder::~TRtfDocumentBuilder() {
  cursor_.endEditBlock();
  document_->setUndoRedoEnabled(undoWasEnabled_);
}

void TRtfDocumentBuilder::InsertText(const QString& text, const QTextCharFormat& format) {
  if (!text.isEmpty()) cursor_.insertText(text, format);
}

void TRtfDocumentBuilder::InsertImage(const QString& name, const QImage& image, QSizeF size,
                                      const QTextCharFormat& format) {
  document_->addResource(QTextDocument::ImageResource, QUrl(name), image);
  QTextImageFormat imageFormat;
  imageFormat.merge(format);
  imageFormat.setName(name);
  if (size.width() > 0) imageFormat.setWidth(size.width());
  if (size.height() > 0) imageFormat.setHeight(size.height());
  cursor_.insertImage(imageFormat);
}

bool TRtfDocumentBuilder::ParagraphEmpty() const { return cursor_.block().length() <= 1; }

void TRtfDocumentBuilder::RemoveRange(int from, int to) {
  if (from >= to) return;
  QTextCursor range(document_);
  range.setPosition(from);
  range.setPosition(to, QTextCursor::KeepAnchor);
  range.removeSelectedText();
}

void TRtfDocumentBuilder::ApplyParagraph(const QTextBlockFormat& block, const TRtfListItem& item) {
  cursor_.setBlockFormat(block);
  if (!item.isItem || !AcceptsListItem()) return;
  ++listItems_;
  // A shallower item closes the deeper lists of its key.
  auto deeper = lists_.upper_bound(std::make_pair(item.key, item.level));
  while (deeper != lists_.end() && deeper->first.first == item.key) deeper = lists_.erase(deeper);
  const auto key = std::make_pair(item.key, item.level);
  auto found = lists_.find(key);
  if (found != lists_.end() && found->second->count() < kMaxItemsPerList) {
    found->second->add(cursor_.block());
    return;
  }
  QTextListFormat format;
  format.setStyle(item.style);
  format.setIndent(item.level + 1);
  lists_[key] = cursor_.createList(format);
}

void TRtfDocumentBuilder::EndParagraph(const QTextBlockFormat& block, const TRtfListItem& item) {
  ApplyParagraph(block, item);
  cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

void TRtfDocumentBuilder::Finish(const QTextBlockFormat& block, const TRtfListItem& item, bool dropIfEmpty) {
  if (dropIfEmpty && ParagraphEmpty() && cursor_.block().previous().isValid()) {
    cursor_.deletePreviousChar();
    return;
  }
  ApplyParagraph(block, item);
}

}  // namespace fendra
