#pragma once
// TDataSet: the dataset framework's base. A dataset shows a source of
// records (an engine cursor for the engine datasets) as a current record
// with typed fields, a small window of record buffers around it for the
// controls that show several rows, states, navigation, bookmarks, editing
// with post and cancel, filters, locates and BLOB streams. Subclasses
// supply the source through the protected hooks below; everything else is
// the framework's.
//
// The window of record buffers
//
//   buffers_[0 .. bufferCount_-1]   record buffers, allocated by the hook
//                                   AllocRecordBuffer; bufferCount_ is the
//                                   largest window a data link asks for
//                                   (1 without links), one extra buffer
//                                   serving as scratch for inserts and
//                                   calculated fields
//   recordCount_                    how many of them hold records now
//   activeRecord_                   the row of the current record
//
// Invariants (browse state, outside the framework's own calls):
//   1. The source's position is the record in buffers_[recordCount_-1]
//      (the last fetched) unless a hook call is under way; UpdateCursorPos
//      moves the source back to the active record before any operation
//      that works on "the current record" of the source.
//   2. 0 <= activeRecord_ < recordCount_ <= bufferCount_, or recordCount_
//      == 0 and the dataset is empty.
//   3. Each buffer holds its record's bookmark and flag (hooks
//      Get/SetBookmarkData, Get/SetBookmarkFlag).
// Resync re-reads the window around the current record: the current
// record first (gmCurrent), then records before it up to its old row (or
// to the middle with rmCenter), then after it, then before it again to
// fill the window; a current record that can no longer be read moves to
// its neighbour, or fails with "Record not found or changed by another
// user" under rmExact.
//
// States:
//   inactive --Open--> browse --Edit--> edit --Post/Cancel--> browse
//                        |  \--Insert/Append--> insert --Post/Cancel--> browse
//                        \--Close--> inactive
//   set-key, calc-fields, filter, new-value and old-value are entered and
//   left inside one operation (SetTempState / RestoreState).
// A failed Post leaves edit or insert state with the user's values intact;
// a failed Delete leaves the record and the position as they were. Close
// never posts or drops a pending change on its own: a caller that may be
// in edit or insert state asks Modified() and State() and decides (Close
// in those states cancels the change, which is the caller's decision by
// calling Close).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/component.h"
#include "engine/components/dataset_types.h"
#include "engine/components/field.h"
#include "engine/components/field_defs.h"
#include "engine/components/index_defs.h"
#include "engine/core/stream.h"
#include "engine/values/variant.h"

namespace dvx {

class TDataLink;
class TDataSource;

// What a source holds while the framework fetches the rows of its window in
// one go (TDataSet::BeginFetch). Ending it may report what it held back (the
// engine tells observers of other programs' changes when its read ends), so
// its destructor may throw.
class TFetchScope {
 public:
  virtual ~TFetchScope() noexcept(false) = default;
};

class TDataSet : public TComponent {
 public:
  using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
  using TFilterRecordEvent = std::function<void(TDataSet&, bool& accept)>;
  using TDataSetErrorEvent = std::function<void(TDataSet&, const std::exception& error, TDataAction& action)>;

  explicit TDataSet(TComponent* owner = nullptr);
  // A subclass closes the dataset in its own destructor (Close calls hooks).
  ~TDataSet() override;

  // --- state ---
  TDataSetState State() const { return state_; }
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool active);  // while loading only remembered, acted on in Loaded()
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const;
  // A field of the record being edited or inserted was written.
  bool Modified() const { return modified_; }
  virtual bool CanModify() const { return true; }
  // "Dataset is not opened" (EDatabaseError) when inactive.
  void CheckActive() const;
  void CheckInactive() const;  // "Cannot perform this operation on an open dataset"
  // Posts a pending change (deCheckBrowseMode first, so controls write theirs).
  void CheckBrowseMode();
  // "Cannot modify a read-only dataset" when CanModify() is false.
  void CheckCanModify() const;

  // --- navigation ---
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // The distance actually moved.
  int MoveBy(int distance);
  virtual int64_t RecordCount();
  // 1-based number of the active record, -1 when none.
  virtual int64_t RecNo();
  virtual void SetRecNo(int64_t recNo);
  // Re-reads the window (Resync) and tells the links.
  void Refresh();
  void Resync(TResyncModes mode);
  // Moves the source back to the active record (invariant 1).
  void UpdateCursorPos();
  // Calls a link's deUpdateRecord so pending control edits reach the fields.
  void UpdateRecord();

  // --- bookmarks ---
  TBookmark GetBookmark();  // empty when there is no active record
  void GotoBookmark(const TBookmark& bookmark);  // an invalid one: "Record not found"
  virtual bool BookmarkValid(const TBookmark& bookmark);
  // -1, 0, 1 by the records' positions in the current order; an empty
  // bookmark sorts after a present one, two empty ones are equal.
  virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b);

  // --- editing ---
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  void ClearFields();

  // --- controls ---
  void DisableControls();
  void EnableControls();  // the last one re-tells the links what changed meanwhile
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // --- fields ---
  TFieldDefs& FieldDefs() { return fieldDefs_; }
  TIndexDefs& IndexDefs() { return indexDefs_; }
  TFields& Fields() { return fields_; }
  int FieldCount() const { return fields_.Count(); }
  TField* FindField(const std::string& name) const { return fields_.Find(name); }
  TField& FieldByName(const std::string& name) const;  // "Field '%s' not found"
  // Calculated fields a program declares before opening (name, type, size).
  void AddCalculatedField(const std::string& name, TFieldType dataType, int size = 0);

  // --- filters and searches ---
  const std::string& Filter() const { return filterText_; }
  virtual void SetFilter(const std::string& text);
  bool Filtered() const { return filtered_; }
  virtual void SetFiltered(bool filtered);
  const TFilterOptions& FilterOptions() const { return filterOptions_; }
  virtual void SetFilterOptions(const TFilterOptions& options);
  // The first record whose fields (names separated by ";") equal the
  // values; true and current there, false with the position unchanged.
  virtual bool Locate(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
                      const TLocateOptions& options = {});
  // The result fields (";") of the first record matching, without moving;
  // empty when none matches.
  virtual std::vector<TDVXVariant> Lookup(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
                                          const std::string& resultFields);
  bool FindFirst();
  bool FindLast();
  bool FindNext();
  bool FindPrior();

  // --- BLOB values ---
  virtual std::unique_ptr<TDVXStream> CreateBlobStream(TField& field, TBlobStreamMode mode) = 0;
  // A BLOB stream tells the dataset that it changed the field's value (when
  // it is freed): the record counts as modified, the field's OnChange runs
  // and the links hear deFieldChange.
  void BlobModified(TField& field);

  // --- field access, used by the fields ---
  // The host-format value of the field in the buffer of the current state;
  // false when NULL or there is no record. A null `buffer` only asks.
  bool GetFieldData(const TField& field, void* buffer);
  // Only in edit, insert, set-key, calc-fields, filter and new-value
  // states ("Dataset not in edit or insert mode"); marks the record
  // modified and tells the field and the links (deFieldChange).
  void SetFieldData(TField& field, const void* buffer);

  // --- events ---
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh, OnCalcFields, OnNewRecord;
  TFilterRecordEvent OnFilterRecord;
  TDataSetErrorEvent OnPostError, OnDeleteError, OnEditError;

  // --- data sources (data_source.h registers itself) ---
  void AttachDataSource(TDataSource& source);
  void DetachDataSource(TDataSource& source);

 protected:
  // --- hooks a subclass supplies ---
  virtual uint8_t* AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(uint8_t*& buffer) = 0;
  // A fresh record: every field NULL, bookmark none, flag bfInserted.
  virtual void InternalInitRecord(uint8_t* buffer) = 0;
  // Fetches the current, next or prior record into the buffer. With
  // doCheck an error is raised instead of returned as grError.
  virtual TGetResult GetRecord(uint8_t* buffer, TGetMode mode, bool doCheck) = 0;
  // Held while the rows of the window are fetched one after another
  // (GetNextRecords, GetPriorRecords, a resync), so a source can read them
  // as one walk instead of record by record. Scopes may nest. None here.
  virtual std::unique_ptr<TFetchScope> BeginFetch() { return nullptr; }
  virtual void InternalOpen() = 0;  // opens the source, fills FieldDefs, calls CreateFields
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalFirst() = 0;  // before the first record
  virtual void InternalLast() = 0;   // after the last record
  virtual void InternalGotoBookmark(const uint8_t* bookmark) = 0;
  // Makes the buffer's record the source's position.
  virtual void InternalSetToRecord(uint8_t* buffer) = 0;
  virtual int BookmarkSize() const = 0;
  virtual void GetBookmarkData(const uint8_t* buffer, uint8_t* bookmark) const = 0;
  virtual void SetBookmarkData(uint8_t* buffer, const uint8_t* bookmark) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(const uint8_t* buffer) const = 0;
  virtual void SetBookmarkFlag(uint8_t* buffer, TBookmarkFlag flag) = 0;
  // Field values in the host format (field.h) on a given buffer.
  virtual bool GetFieldDataFrom(const uint8_t* buffer, const TField& field, void* data) = 0;
  virtual void SetFieldDataIn(uint8_t* buffer, const TField& field, const void* data) = 0;
  // Calculated fields live in the buffer too, past the record; the
  // subclass says where (CalcFieldsOffset) and the framework keeps
  // them there as a presence byte followed by the value. A buffer needs
  // CalcFieldsSize() bytes from there (known once CreateFields ran).
  virtual int CalcFieldsOffset() const = 0;
  virtual void InternalEdit() {}
  virtual void InternalInsert() {}
  // Writes the active buffer: insert or update.
  virtual void InternalPost() = 0;
  virtual void InternalCancel() {}
  virtual void InternalDelete() = 0;
  virtual void InternalRefresh() {}
  // The filter changed (text, options or Filtered): the source applies it.
  virtual void FilterChanged() {}

  // --- for subclasses ---
  // Finds the next (or prior) record that passes the filter, or, when the
  // dataset is not Filtered, OnFilterRecord (FindFirst/FindNext/...). The
  // default walks the records with GetRecord; a subclass whose source can
  // apply the filter text on its own overrides it. On success the found
  // record becomes current (Resync).
  virtual bool FindRecord(bool restart, bool goForward);
  // The source moved on its own (a search, a bookmark check): the next
  // window operation repositions it first.
  void CursorPosChanged() { cursorRecord_ = -1; }
  // Makes the field objects from FieldDefs (and the calculated fields).
  void CreateFields();
  void DestroyFields();
  // Bytes of the calculated-field area of each buffer.
  int CalcFieldsSize() const { return calcFieldsSize_; }
  // The buffer the current state reads and writes.
  uint8_t* ActiveBuffer() const;
  // Temporarily makes `buffer` the buffer of `state` (filter, calc-fields,
  // set-key); RestoreState puts the old state back. Pairs nest; while a
  // temporary state is set the links hear nothing.
  TDataSetState SetTempState(TDataSetState state, uint8_t* buffer = nullptr);
  void RestoreState(TDataSetState state);
  // Tells every link of every data source.
  void DataEvent(TDataEvent event, intptr_t info = 0);
  // Runs OnCalcFields for a buffer (presence bytes cleared first).
  void CalculateFields(uint8_t* buffer);
  // Whether the record in the buffer passes OnFilterRecord (filter state;
  // an exception in the handler is reported through the error handler and
  // the record counts as accepted).
  bool RecordFilterAccepts(uint8_t* buffer);
  void SetModified(bool modified) { modified_ = modified; }
  // The framework's report of an error inside an event handler it must not
  // let escape (OnFilterRecord). The default writes nothing and keeps the
  // text for the application's error handler (SetErrorHandler).
  void HandleException(const std::exception& error);

 public:
  // The application's default error handling (a message box); used for
  // errors inside handlers that cannot pass them on.
  static void SetErrorHandler(std::function<void(const std::exception&)> handler);
  // What HandleException does, for helpers outside the dataset (a BLOB
  // stream that is freed): the installed handler gets the error; without
  // one its text is kept (LastHandledError).
  static void ReportException(const std::exception& error);
  static const std::string& LastHandledError();

 protected:
  void Loaded() override;

 private:
  // Buffer window machinery (dataset_window.cpp).
  void SetBufferCount(int count);
  void UpdateBufferCount();
  bool GetNextRecord();
  bool GetPriorRecord();
  int GetNextRecords();
  int GetPriorRecords();
  void ActivateBuffers();
  void ClearBuffers();
  void OpenCursor();
  void CloseCursor();
  void SetState(TDataSetState state);
  // Puts the source on the record of buffers_[index] (by its flag: the
  // first or last position for bfBOF/bfEOF buffers).
  void SetCurrentRecord(int index);
  uint8_t* ScratchBuffer() const { return buffers_[bufferCount_]; }
  void AllocateBuffers(int count);
  void FreeBuffers();
  // Runs `operation`, offering a failure to `handler` (daRetry runs it
  // again, daAbort raises EAbort, daFail passes the error on).
  void CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& handler);
  void CheckRequiredFields();
  void BeginInsertAppend();
  void EndInsertAppend();
  void DoEvent(const TDataSetNotifyEvent& event) { if (event) event(*this); }
  // The matching record of a Locate/Lookup, read into the scratch buffer
  // with the source on it.
  bool LocateRecord(const std::string& keyFields, const std::vector<TDVXVariant>& keyValues,
                    const TLocateOptions& options);
  bool RecordMatches(const std::vector<TField*>& fields, const std::vector<TDVXVariant>& values,
                     const TLocateOptions& options) const;
  std::vector<TField*> FieldList(const std::string& names) const;
  void ReadCalcField(const uint8_t* buffer, const TField& field, void* data, bool& present) const;
  friend class TDataSource;
  friend class TDataLink;
  friend class TField;

  TDataSetState state_ = dsInactive;
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  bool streamedActive_ = false;
  std::vector<uint8_t*> buffers_;
  uint8_t* tempBuffer_ = nullptr;  // the buffer of a temporary state
  int bufferCount_ = 0;
  int recordCount_ = 0;
  int activeRecord_ = 0;
  int cursorRecord_ = -1;      // the buffer whose record the source stands on; -1 unknown
  int scrollShift_ = 0;        // how far the buffers moved during one MoveBy (link rows follow)
  int disableCount_ = 0;
  TDataSetState disableState_ = dsInactive;
  TDataEvent pendingEvent_ = deDataSetChange;
  bool eventPending_ = false;
  int tempDepth_ = 0;
  std::vector<std::pair<TDataSetState, uint8_t*>> tempStack_;
  int calcFieldsSize_ = 0;
  TFieldDefs fieldDefs_;
  TIndexDefs indexDefs_;
  TFields fields_;
  struct TCalcFieldDecl {
    std::string name;
    TFieldType dataType;
    int size;
  };
  std::vector<TCalcFieldDecl> calcFieldDecls_;
  std::string filterText_;
  bool filtered_ = false;
  TFilterOptions filterOptions_;
  std::vector<TDataSource*> dataSources_;
};

}  // namespace dvx
