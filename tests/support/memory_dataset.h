#pragma once
// TMemoryDataSet: a dataset over a std::vector of rows, for tests of the
// dataset framework and of the controls built on it. Header-only; it uses
// the framework alone.
//
// Fields: Key ftInteger (required), Name ftString(40), Amount ftFloat,
// Day ftDate, Notes ftMemo, Picture ftGraphic; a test may add more field
// definitions of any type before opening (their values start NULL). Rows keep their order;
// Insert puts a new row before the active one, Append after the last.
// Bookmarks are the row's identity (8 bytes), which stays with the row
// through inserts and deletes of others. RefuseNextPost / RefuseNextDelete
// make the next InternalPost / InternalDelete fail with the given text
// (before anything changes), to test the failure paths.
//
// Record buffer: a TMemoryRecord object (values, row id, flag), then the
// calculated-field area at CalcFieldsOffset().
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/components/database_error.h"
#include "engine/components/dataset.h"
#include "engine/components/dataset_messages.h"
#include "engine/core/locale.h"
#include "engine/core/stream.h"

namespace dvx::testing {

class TMemoryDataSet : public TDataSet {
 public:
  static constexpr int kKey = 0, kName = 1, kAmount = 2, kDay = 3, kNotes = 4, kPicture = 5;
  static constexpr int kFieldCount = 6;
  static constexpr int kNameSize = 40;

  // One value per field in host format (BLOBs: their bytes); nullopt is NULL.
  using TValues = std::vector<std::optional<std::vector<uint8_t>>>;
  struct TRow {
    int64_t id = 0;
    TValues values;
  };

  explicit TMemoryDataSet(TComponent* owner = nullptr) : TDataSet(owner) {
    FieldDefs().Add("Key", ftInteger, 0, true);
    FieldDefs().Add("Name", ftString, kNameSize);
    FieldDefs().Add("Amount", ftFloat);
    FieldDefs().Add("Day", ftDate);
    FieldDefs().Add("Notes", ftMemo);
    FieldDefs().Add("Picture", ftGraphic);
  }
  ~TMemoryDataSet() override {
    if (Active()) Close();
  }

  // --- the rows, for setting up and checking ---
  // Adds a row at the end (a closed or browsing dataset; Refresh shows it).
  // An empty name and a day of 0 are NULL.
  void AddRow(int32_t key, const std::string& nameUtf8 = {}, std::optional<double> amount = {}, int32_t day = 0,
              const std::string& notes = {}, const std::vector<uint8_t>& picture = {}) {
    TRow row;
    row.id = nextId_++;
    row.values.resize(FieldDefs().Count());
    row.values[kKey] = Bytes(&key, 4);
    if (!nameUtf8.empty()) {
      std::vector<uint8_t> name(kNameSize + 1, 0);
      const std::string ansi = Utf8ToAnsi(nameUtf8);
      std::memcpy(name.data(), ansi.data(), std::min<size_t>(ansi.size(), kNameSize));
      row.values[kName] = name;
    }
    if (amount) row.values[kAmount] = Bytes(&*amount, 8);
    if (day != 0) row.values[kDay] = Bytes(&day, 4);
    if (!notes.empty()) {
      const std::string ansi = Utf8ToAnsi(notes);
      row.values[kNotes] = std::vector<uint8_t>(ansi.begin(), ansi.end());
    }
    if (!picture.empty()) row.values[kPicture] = picture;
    rows_.push_back(std::move(row));
  }
  const std::vector<TRow>& Rows() const { return rows_; }
  // The key of each row in order (NULL keys as nullopt).
  std::vector<std::optional<int32_t>> Keys() const {
    std::vector<std::optional<int32_t>> keys;
    for (const TRow& row : rows_) keys.push_back(KeyOf(row.values));
    return keys;
  }
  static std::optional<int32_t> KeyOf(const TValues& values) {
    if (!values[kKey]) return std::nullopt;
    int32_t key = 0;
    std::memcpy(&key, values[kKey]->data(), 4);
    return key;
  }

  void RefuseNextPost(std::string message) { refusePost_ = std::move(message); }
  void RefuseNextDelete(std::string message) { refuseDelete_ = std::move(message); }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  bool CanModify() const override { return !readOnly_; }

  int64_t RecordCount() override {
    CheckActive();
    if (!Filtered()) return static_cast<int64_t>(rows_.size());
    int64_t count = 0;
    for (size_t i = 0; i < rows_.size(); ++i) count += Accepts(i) ? 1 : 0;
    return count;
  }
  int64_t RecNo() override {
    CheckActive();
    if (State() == dsInsert || IsEmpty()) return -1;
    const int index = IndexOfId(Record(ActiveBuffer())->id);
    if (index < 0) return -1;
    int64_t number = 0;
    for (int i = 0; i <= index; ++i) number += (!Filtered() || Accepts(i)) ? 1 : 0;
    return number;
  }
  void SetRecNo(int64_t recNo) override {
    CheckBrowseMode();
    int64_t number = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
      if (Filtered() && !Accepts(i)) continue;
      if (++number == recNo) {
        if (BeforeScroll) BeforeScroll(*this);
        CursorPosChanged();
        position_ = static_cast<int>(i);
        Resync(rmExact | rmCenter);
        if (AfterScroll) AfterScroll(*this);
        return;
      }
    }
  }
  bool BookmarkValid(const TBookmark& bookmark) override {
    return Active() && bookmark.size() == 8 && IndexOfId(IdOf(bookmark.data())) >= 0;
  }
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) override {
    if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? 1 : -1);
    const int x = IndexOfId(IdOf(a.data()));
    const int y = IndexOfId(IdOf(b.data()));
    return x < y ? -1 : (x > y ? 1 : 0);
  }

  std::unique_ptr<TDVXStream> CreateBlobStream(TField& field, TBlobStreamMode mode) override;

  // How often the hooks ran, for tests that check what the framework asks.
  int postCalls = 0;
  int deleteCalls = 0;

 protected:
  struct TMemoryRecord {
    TValues values;
    int64_t id = -1;
    TBookmarkFlag flag = bfInserted;
  };
  static constexpr int kHeaderSize = (sizeof(TMemoryRecord) + 15) / 16 * 16;

  static TMemoryRecord* Record(uint8_t* buffer) { return std::launder(reinterpret_cast<TMemoryRecord*>(buffer)); }
  static const TMemoryRecord* Record(const uint8_t* buffer) {
    return std::launder(reinterpret_cast<const TMemoryRecord*>(buffer));
  }

  uint8_t* AllocRecordBuffer() override {
    auto* buffer = new uint8_t[kHeaderSize + std::max(CalcFieldsSize(), 1)]();
    new (buffer) TMemoryRecord();
    Record(buffer)->values.resize(FieldDefs().Count());
    return buffer;
  }
  void FreeRecordBuffer(uint8_t*& buffer) override {
    if (buffer == nullptr) return;
    Record(buffer)->~TMemoryRecord();
    delete[] buffer;
    buffer = nullptr;
  }
  void InternalInitRecord(uint8_t* buffer) override {
    TMemoryRecord* record = Record(buffer);
    record->values.assign(FieldDefs().Count(), std::nullopt);
    record->id = -1;
    record->flag = bfInserted;
    std::memset(buffer + kHeaderSize, 0, static_cast<size_t>(CalcFieldsSize()));
  }
  TGetResult GetRecord(uint8_t* buffer, TGetMode mode, bool /*doCheck*/) override {
    const int count = static_cast<int>(rows_.size());
    switch (mode) {
      case gmCurrent:
        if (position_ < 0) return grBOF;
        if (position_ >= count) return grEOF;
        if (!Fill(buffer, position_)) return grError;
        return grOK;
      case gmNext:
        for (int p = std::max(position_ + 1, 0); p < count; ++p)
          if (Fill(buffer, p)) {
            position_ = p;
            return grOK;
          }
        position_ = count;
        return grEOF;
      case gmPrior:
        for (int p = std::min(position_ - 1, count - 1); p >= 0; --p)
          if (Fill(buffer, p)) {
            position_ = p;
            return grOK;
          }
        position_ = -1;
        return grBOF;
    }
    return grError;
  }
  void InternalOpen() override {
    CreateFields();
    position_ = -1;
  }
  void InternalClose() override { position_ = -1; }
  bool IsCursorOpen() const override { return Active(); }
  void InternalFirst() override { position_ = -1; }
  void InternalLast() override { position_ = static_cast<int>(rows_.size()); }
  void InternalGotoBookmark(const uint8_t* bookmark) override { GotoId(IdOf(bookmark)); }
  void InternalSetToRecord(uint8_t* buffer) override { GotoId(Record(buffer)->id); }
  int BookmarkSize() const override { return 8; }
  void GetBookmarkData(const uint8_t* buffer, uint8_t* bookmark) const override {
    std::memcpy(bookmark, &Record(buffer)->id, 8);
  }
  void SetBookmarkData(uint8_t* buffer, const uint8_t* bookmark) override { Record(buffer)->id = IdOf(bookmark); }
  TBookmarkFlag GetBookmarkFlag(const uint8_t* buffer) const override { return Record(buffer)->flag; }
  void SetBookmarkFlag(uint8_t* buffer, TBookmarkFlag flag) override { Record(buffer)->flag = flag; }
  bool GetFieldDataFrom(const uint8_t* buffer, const TField& field, void* data) override {
    const auto& value = Record(buffer)->values.at(field.FieldNo() - 1);
    if (!value) return false;
    if (data != nullptr && !field.IsBlob()) std::memcpy(data, value->data(), value->size());
    return true;
  }
  void SetFieldDataIn(uint8_t* buffer, const TField& field, const void* data) override {
    auto& value = Record(buffer)->values.at(field.FieldNo() - 1);
    if (data == nullptr)
      value.reset();
    else
      value = Bytes(data, static_cast<size_t>(field.DataSize()));
  }
  int CalcFieldsOffset() const override { return kHeaderSize; }
  void InternalPost() override {
    ++postCalls;
    if (refusePost_) {
      const std::string message = *refusePost_;
      refusePost_.reset();
      DatabaseError(message, this);
    }
    TMemoryRecord* record = Record(ActiveBuffer());
    if (State() == dsInsert) {
      TRow row;
      row.id = nextId_++;
      row.values = record->values;
      // The source stands on the row the new one was inserted before.
      int at = record->flag == bfInserted ? IndexOfId(record->id) : static_cast<int>(rows_.size());
      if (at < 0) at = static_cast<int>(rows_.size());
      rows_.insert(rows_.begin() + at, std::move(row));
      position_ = at;
    } else {
      const int at = IndexOfId(record->id);
      if (at < 0) DatabaseError(kSRecordChanged, this);
      rows_[at].values = record->values;
      position_ = at;
    }
  }
  void InternalDelete() override {
    ++deleteCalls;
    if (refuseDelete_) {
      const std::string message = *refuseDelete_;
      refuseDelete_.reset();
      DatabaseError(message, this);
    }
    const int at = IndexOfId(Record(ActiveBuffer())->id);
    if (at < 0) DatabaseError(kSRecordChanged, this);
    rows_.erase(rows_.begin() + at);
    position_ = at;  // the next row, or past the end
  }

 private:
  friend class TMemoryBlobStream;

  static std::vector<uint8_t> Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(p, p + size);
  }
  static int64_t IdOf(const uint8_t* bookmark) {
    int64_t id = 0;
    std::memcpy(&id, bookmark, 8);
    return id;
  }
  int IndexOfId(int64_t id) const {
    for (size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i].id == id) return static_cast<int>(i);
    return -1;
  }
  void GotoId(int64_t id) {
    const int at = IndexOfId(id);
    if (at < 0) DatabaseError(kSRecordNotFound, this);
    position_ = at;
  }
  // Reads row `index` into the buffer; false when the filter refuses it.
  bool Fill(uint8_t* buffer, int index) {
    TMemoryRecord* record = Record(buffer);
    record->values = rows_[index].values;
    record->values.resize(FieldDefs().Count());
    record->id = rows_[index].id;
    record->flag = bfCurrent;
    if (Filtered() && !RecordFilterAccepts(buffer)) return false;
    CalculateFields(buffer);
    return true;
  }
  bool Accepts(size_t index) {
    uint8_t* buffer = AllocRecordBuffer();
    const bool ok = Fill(buffer, static_cast<int>(index));
    FreeRecordBuffer(buffer);
    return ok;
  }

  std::vector<TRow> rows_;
  int64_t nextId_ = 1;
  int position_ = -1;  // -1 before the first row, rows_.size() after the last
  std::optional<std::string> refusePost_;
  std::optional<std::string> refuseDelete_;
  bool readOnly_ = false;
};

// A BLOB stream over one field of the active buffer. Writes go to a copy
// that replaces the buffer's value when the stream is freed; the dataset
// then hears that the field changed.
class TMemoryBlobStream : public TDVXMemoryStream {
 public:
  TMemoryBlobStream(TMemoryDataSet& dataSet, TField& field, TBlobStreamMode mode)
      : dataSet_(dataSet), field_(field), mode_(mode) {
    if (mode != bmRead && dataSet.State() != dsEdit && dataSet.State() != dsInsert)
      DatabaseError(kSNotEditing, &dataSet);
    if (mode != bmRead && !dataSet.CanModify()) DatabaseError(kSDataSetReadOnly, &dataSet);
    buffer_ = dataSet.ActiveBuffer();
    if (buffer_ != nullptr && mode != bmWrite) {
      const auto& value = TMemoryDataSet::Record(buffer_)->values.at(field.FieldNo() - 1);
      if (value) Bytes() = *value;
    }
    // Opening for writing cuts the value.
    modified_ = mode == bmWrite;
  }
  ~TMemoryBlobStream() override {
    if (!modified_ || buffer_ == nullptr) return;
    auto& value = TMemoryDataSet::Record(buffer_)->values.at(field_.FieldNo() - 1);
    if (Bytes().empty())
      value.reset();
    else
      value = Bytes();
    try {
      dataSet_.BlobModified(field_);
    } catch (const std::exception& error) {
      TDataSet::ReportException(error);
    }
  }
  size_t Write(const void* buffer, size_t count) override {
    if (mode_ == bmRead) return 0;
    if (count > 0) modified_ = true;
    return TDVXMemoryStream::Write(buffer, count);
  }
  void SetSize(uint64_t size) override {
    if (mode_ == bmRead) return;
    modified_ = true;
    TDVXMemoryStream::SetSize(size);
  }

 private:
  TMemoryDataSet& dataSet_;
  TField& field_;
  TBlobStreamMode mode_;
  uint8_t* buffer_ = nullptr;
  bool modified_ = false;
};

inline std::unique_ptr<TDVXStream> TMemoryDataSet::CreateBlobStream(TField& field, TBlobStreamMode mode) {
  return std::make_unique<TMemoryBlobStream>(*this, field, mode);
}

}  // namespace dvx::testing
