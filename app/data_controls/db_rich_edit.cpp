#include "app/data_controls/db_rich_edit.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QTextDocument>

#include "app/data_controls/text_change_keys.h"
#include "app/data_controls/blob_bytes.h"
#include "app/data_controls/data_control_errors.h"
#include "app/richtext/rtf_reader.h"
#include "app/richtext/rtf_writer.h"
#include "engine/components/field.h"

namespace fendra {

namespace {
// What the RTF reader takes; a longer value is not loaded at all.
const qsizetype kMaxValueBytes = RtfReader::TLimits{}.maxInputBytes;
}  // namespace

TDBRichEdit::TDBRichEdit(QWidget* parent, const char* name, TAccess access) : TRichTextView(parent, name, access) {
  link_.OnDataChange = [this] { ShowField(); };
  link_.OnEditingChange = [this] { UpdateAccess(); };
  link_.OnActiveChange = [this] { UpdateAccess(); };
  link_.OnUpdateData = [this] { WriteField(); };
  if (access == TAccess::ReadOnly) link_.SetReadOnly(true);
  connect(document(), &QTextDocument::contentsChanged, this, &TDBRichEdit::ContentChanged);
  UpdateAccess();
}

void TDBRichEdit::UpdateAccess() { SetFieldBound(link_.CanModify() && !valueRefused_); }

void TDBRichEdit::ShowField() {
  if (startingEdit_) return;
  loading_ = true;
  valueRefused_ = false;
  valueMessage_.clear();
  dvx::TField* field = link_.Field();
  try {
    if (field == nullptr) {
      clear();
    } else {
      TBlobRead read = ReadBlobBytes(*field, kMaxValueBytes);
      if (read.tooLong) {
        clear();
        valueRefused_ = true;
        valueMessage_ = QStringLiteral("Der Text ist zu lang, um angezeigt zu werden.");
      } else if (RtfReader::IsRtf(read.bytes)) {
        storeRtf_ = true;
        if (SetRtf(read.bytes) != RtfReader::TStatus::Ok) valueMessage_ = RtfMessage();
      } else {
        // Plain memo text, in the field's own character set.
        storeRtf_ = field->DataType() == dvx::ftFmtMemo;
        setPlainText(QString::fromStdString(field->AsString()));
      }
    }
  } catch (...) {
    loading_ = false;
    throw;
  }
  // A record's text is read from its start: a cursor left at the end, where
  // loading put it, scrolls a view shown or resized later to the text's end.
  moveCursor(QTextCursor::Start);
  document()->setModified(false);
  loading_ = false;
  UpdateAccess();
}

void TDBRichEdit::WriteField() {
  dvx::TField* field = link_.Field();
  if (field == nullptr) return;
  if (document()->isEmpty()) {
    field->Clear();
  } else if (storeRtf_) {
    WriteBlobBytes(*field, RtfWriter().Write(*document()));
  } else {
    field->SetAsString(toPlainText().toStdString());
  }
  document()->setModified(false);
}

bool TDBRichEdit::StartEdit() {
  startingEdit_ = true;
  try {
    const bool editing = link_.BeginEdit();
    startingEdit_ = false;
    return editing;
  } catch (const std::exception& error) {
    // The record could not be put into edit state (another program holds
    // its lock, say): the change is dropped and the record shown as stored.
    startingEdit_ = false;
    ReportDataControlError(error);
    return false;
  }
}

void TDBRichEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && link_.Modified()) {
    link_.Reset();
    event->accept();
    return;
  }
  if (!isReadOnly() && KeyChangesText(*event, TTextKind::MultiLine) && !link_.Editing()) {
    // Entering edit state re-reads the record: the same text, which must
    // not be loaded again under the caret and selection the key acts on.
    const bool editing = StartEdit();
    if (!editing) {
      event->accept();
      return;
    }
  }
  TRichTextView::keyPressEvent(event);
}

void TDBRichEdit::ContentChanged() {
  if (loading_ || link_.Field() == nullptr) return;
  if (!link_.Editing()) {
    // A change that came without a key (a paste from the menu, the tool
    // bar's formatting): start the edit now; entering edit state re-reads
    // the record, which must not throw the change away.
    const bool editing = StartEdit();
    if (!editing) {
      // The change cannot be stored: show the field's value again, once
      // the document has finished the change it is reporting.
      QMetaObject::invokeMethod(this, [this] { link_.Reset(); }, Qt::QueuedConnection);
      return;
    }
  }
  link_.SetModified();
}

}  // namespace fendra
