#include "app/rich_text_edit.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include "app/richtext/rtf_writer.h"
#include "app/richtext/text_resources.h"

namespace fendra {

TRichTextEdit::TRichTextEdit(QWidget* parent) : QTextEdit(parent) { setAcceptRichText(true); }

const QStringList& TRichTextEdit::RtfMimeTypes() {
  // "Rich Text Format" is the clipboard name word processors use on
  // Windows; Qt reaches it there through its windows-mime form.
  static const QStringList types = {
      QStringLiteral("text/rtf"), QStringLiteral("application/rtf"), QStringLiteral("Rich Text Format"),
      QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\"")};
  return types;
}

RtfReader::TStatus TRichTextEdit::SetRtf(const QByteArray& rtf) {
  RtfReader reader;
  const RtfReader::TStatus status = reader.Read(rtf, document());
  rtfMessage_ = reader.Message();
  return status;
}

QByteArray TRichTextEdit::Rtf() const { return RtfWriter().Write(*document()); }

QMimeData* TRichTextEdit::createMimeDataFromSelection() const {
  const QTextDocumentFragment fragment = textCursor().selection();
  auto* mime = new QMimeData;
  mime->setText(fragment.toPlainText());
  mime->setHtml(fragment.toHtml());
  // The selection as a document of its own, with the fonts and pictures it
  // shows here.
  QTextDocument selection;
  selection.setDefaultFont(document()->defaultFont());
  QTextCursor(&selection).insertFragment(fragment);
  CopyImageResources(*document(), &selection);
  const QByteArray rtf = RtfWriter().Write(selection);
  for (const QString& type : RtfMimeTypes()) mime->setData(type, rtf);
  return mime;
}

bool TRichTextEdit::canInsertFromMimeData(const QMimeData* source) const {
  for (const QString& type : RtfMimeTypes()) {
    if (source->hasFormat(type)) return true;
  }
  return QTextEdit::canInsertFromMimeData(source);
}

void TRichTextEdit::insertFromMimeData(const QMimeData* source) {
  if (isReadOnly()) return;
  for (const QString& type : RtfMimeTypes()) {
    if (!source->hasFormat(type)) continue;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    RtfReader reader;
    const RtfReader::TStatus status = reader.Insert(source->data(type), cursor);
    cursor.endEditBlock();
    rtfMessage_ = reader.Message();
    if (status == RtfReader::TStatus::Rejected) break;  // too large: take the HTML or plain text instead
    setTextCursor(cursor);
    ensureCursorVisible();
    return;
  }
  QTextEdit::insertFromMimeData(source);
}

}  // namespace fendra
