// TDataSet: opening and closing, states, editing with post and cancel,
// controls, events and error handling. The window of buffers is in
// dataset_window.cpp, field access in dataset_fields.cpp, searches in
// dataset_search.cpp.
#include "engine/components/dataset.h"

#include <algorithm>

#include "engine/components/abort_error.h"
#include "engine/components/data_link.h"
#include "engine/components/data_source.h"
#include "engine/components/database_error.h"
#include "engine/components/dataset_messages.h"

namespace dvx {

namespace {

std::function<void(const std::exception&)>& ErrorHandler() {
  static std::function<void(const std::exception&)> handler;
  return handler;
}

std::string& LastError() {
  static std::string text;
  return text;
}

}  // namespace

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
  // The subclass has closed the dataset; the sources only forget it.
  const std::vector<TDataSource*> sources = dataSources_;
  for (TDataSource* source : sources) source->SetDataSet(nullptr);
}

// --- state ---------------------------------------------------------------

void TDataSet::SetActive(bool active) {
  if (Loading()) {
    streamedActive_ = active;
    return;
  }
  if (active == Active()) return;
  if (active) {
    DoEvent(BeforeOpen);
    OpenCursor();
    DoEvent(AfterOpen);
  } else {
    DoEvent(BeforeClose);
    CloseCursor();
    DoEvent(AfterClose);
  }
}

void TDataSet::Loaded() {
  if (streamedActive_) {
    streamedActive_ = false;
    SetActive(true);
  }
}

void TDataSet::OpenCursor() {
  state_ = dsOpening;
  try {
    InternalOpen();
    UpdateBufferCount();
    ClearBuffers();
    InternalFirst();
    GetNextRecords();
  } catch (...) {
    state_ = dsInactive;
    if (IsCursorOpen()) InternalClose();
    FreeBuffers();
    DestroyFields();
    throw;
  }
  bof_ = true;
  eof_ = recordCount_ == 0;
  state_ = dsInactive;  // SetState tells the links of the change
  SetState(dsBrowse);
}

void TDataSet::CloseCursor() {
  // Close cancels a pending change: the caller decided by calling Close.
  if (state_ == dsEdit || state_ == dsInsert) InternalCancel();
  SetState(dsInactive);
  ClearBuffers();
  InternalClose();
  FreeBuffers();
  DestroyFields();
  bof_ = eof_ = true;
  modified_ = false;
}

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  modified_ = false;
  DataEvent(deUpdateState);
}

bool TDataSet::IsEmpty() const { return recordCount_ == 0; }

void TDataSet::CheckActive() const {
  if (state_ == dsInactive || state_ == dsOpening) DatabaseError(kSDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
  if (state_ != dsInactive) DatabaseError(kSDataSetOpen, this);
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(kSDataSetReadOnly, this);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  if (state_ == dsEdit || state_ == dsInsert) {
    UpdateRecord();
    if (modified_)
      Post();
    else
      Cancel();
  }
}

void TDataSet::UpdateRecord() {
  if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey) DatabaseError(kSNotEditing, this);
  DataEvent(deUpdateRecord);
}

// --- editing -------------------------------------------------------------

void TDataSet::CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& handler) {
  for (;;) {
    try {
      UpdateCursorPos();
      operation();
      return;
    } catch (const EAbort&) {
      CursorPosChanged();
      throw;
    } catch (const std::exception& error) {
      // The source may have moved before it failed.
      CursorPosChanged();
      TDataAction action = daFail;
      if (handler) handler(*this, error, action);
      if (action == daFail) throw;
      if (action == daAbort) throw EAbort();
    }
  }
}

void TDataSet::Edit() {
  CheckActive();
  if (state_ == dsEdit || state_ == dsInsert) return;
  if (recordCount_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  DoEvent(BeforeEdit);
  CheckOperation([this] { InternalEdit(); }, OnEditError);
  SetState(dsEdit);
  DataEvent(deRecordChange);
  DoEvent(AfterEdit);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  DoEvent(BeforeInsert);
  DoEvent(BeforeScroll);
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoEvent(OnNewRecord);
  } catch (...) {
    // The new record is dropped as Cancel would drop it.
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync(0);
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange);
  DoEvent(AfterInsert);
  DoEvent(AfterScroll);
}

void TDataSet::Insert() {
  CheckActive();
  BeginInsertAppend();
  // The new buffer takes the active row; the rows from there move down
  // and the last one leaves a full window. It carries the bookmark of the
  // record it stands before, so that the source can go back there (cancel)
  // or insert before it (post).
  TBookmark anchor;
  if (recordCount_ > 0) {
    anchor.resize(BookmarkSize());
    GetBookmarkData(buffers_[activeRecord_], anchor.data());
  }
  uint8_t* fresh = ScratchBuffer();
  if (recordCount_ < bufferCount_) {
    // The free buffer behind the used rows becomes the scratch buffer.
    buffers_[bufferCount_] = buffers_[recordCount_];
    for (int i = recordCount_; i > activeRecord_; --i) buffers_[i] = buffers_[i - 1];
    ++recordCount_;
  } else {
    buffers_[bufferCount_] = buffers_[bufferCount_ - 1];
    for (int i = bufferCount_ - 1; i > activeRecord_; --i) buffers_[i] = buffers_[i - 1];
  }
  buffers_[activeRecord_] = fresh;
  CursorPosChanged();
  InternalInitRecord(fresh);
  if (anchor.empty()) {
    SetBookmarkFlag(fresh, bfBOF);
  } else {
    SetBookmarkData(fresh, anchor.data());
    SetBookmarkFlag(fresh, bfInserted);
  }
  bof_ = eof_ = false;
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Append() {
  CheckActive();
  BeginInsertAppend();
  // The new record comes after the last one: the window shows the last
  // records and the new one below them.
  ClearBuffers();
  uint8_t* fresh = buffers_[0];
  InternalInitRecord(fresh);
  SetBookmarkFlag(fresh, bfEOF);
  recordCount_ = 1;
  activeRecord_ = 0;
  InternalLast();
  cursorRecord_ = 0;
  GetPriorRecords();
  bof_ = eof_ = false;
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::CheckRequiredFields() {
  for (int i = 0; i < fields_.Count(); ++i) {
    TField& field = fields_[i];
    // The engine numbers auto-increment fields itself.
    if (field.Required() && !field.ReadOnly() && field.FieldKind() == fkData && field.DataType() != ftAutoInc &&
        field.IsNull()) {
      field.FocusControl();
      DatabaseError(MessageText(kSFieldRequired, {field.DisplayLabel()}), this);
    }
  }
}

void TDataSet::Post() {
  CheckActive();
  if (state_ != dsEdit && state_ != dsInsert) DatabaseError(kSNotEditing, this);
  DataEvent(deUpdateRecord);
  DataEvent(deCheckBrowseMode);
  CheckRequiredFields();
  DoEvent(BeforePost);
  // A failure leaves the state and the values as they are.
  CheckOperation([this] { InternalPost(); }, OnPostError);
  SetState(dsBrowse);
  Resync(0);
  DoEvent(AfterPost);
}

void TDataSet::Cancel() {
  CheckActive();
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode);
  DoEvent(BeforeCancel);
  UpdateCursorPos();
  InternalCancel();
  SetState(dsBrowse);
  Resync(0);
  DoEvent(AfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert) {
    // Deleting a record that was never written drops it.
    Cancel();
    return;
  }
  CheckCanModify();
  if (state_ == dsEdit) Cancel();
  if (recordCount_ == 0) DatabaseError(kSDataSetEmpty, this);
  DataEvent(deCheckBrowseMode);
  DoEvent(BeforeDelete);
  DoEvent(BeforeScroll);
  // A failure leaves the record and the window as they were.
  CheckOperation([this] { InternalDelete(); }, OnDeleteError);
  SetState(dsBrowse);
  Resync(0);
  DoEvent(AfterDelete);
  DoEvent(AfterScroll);
}

void TDataSet::ClearFields() {
  if (state_ != dsEdit && state_ != dsInsert) DatabaseError(kSNotEditing, this);
  for (int i = 0; i < fields_.Count(); ++i) {
    TField& field = fields_[i];
    if (field.FieldKind() == fkData && !field.ReadOnly() && !field.IsNull()) field.Clear();
  }
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  DoEvent(BeforeRefresh);
  UpdateCursorPos();
  InternalRefresh();
  Resync(0);
  DoEvent(AfterRefresh);
}

// --- controls and events -------------------------------------------------

void TDataSet::DisableControls() {
  if (disableCount_++ == 0) {
    disableState_ = state_;
    pendingEvent_ = deDataSetChange;
    eventPending_ = false;
  }
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ > 0) return;
  if (state_ != disableState_) DataEvent(deUpdateState);
  if (eventPending_ && disableState_ != dsInactive && state_ != dsInactive) DataEvent(pendingEvent_);
  eventPending_ = false;
}

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
  if (tempDepth_ > 0) return;
  if (disableCount_ > 0) {
    eventPending_ = true;
    // A close (the fields are gone) or a new layout needs the controls to
    // rebind, not only to re-read.
    if (event == deLayoutChange || (event == deUpdateState && state_ == dsInactive)) pendingEvent_ = deLayoutChange;
    return;
  }
  const std::vector<TDataSource*> sources = dataSources_;
  for (TDataSource* source : sources) source->NotifyDataEvent(event, info);
}

void TDataSet::AttachDataSource(TDataSource& source) {
  if (std::find(dataSources_.begin(), dataSources_.end(), &source) == dataSources_.end())
    dataSources_.push_back(&source);
  if (Active()) UpdateBufferCount();
}

void TDataSet::DetachDataSource(TDataSource& source) {
  dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), &source), dataSources_.end());
  if (Active()) UpdateBufferCount();
}

// --- error handling ------------------------------------------------------

void TDataSet::SetErrorHandler(std::function<void(const std::exception&)> handler) {
  ErrorHandler() = std::move(handler);
}

void TDataSet::ReportException(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error) != nullptr) return;
  LastError() = error.what();
  if (ErrorHandler()) ErrorHandler()(error);
}

const std::string& TDataSet::LastHandledError() { return LastError(); }

void TDataSet::HandleException(const std::exception& error) { ReportException(error); }

}  // namespace dvx
