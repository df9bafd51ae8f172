#pragma once
// TDVXCursor / TDVXLocalCursor: one client's open view of one table: its
// record buffer, its position and its current index. The cursor hands its
// work to the table's shared object (table_data.h); record operations come
// back as result codes (0 for success, the native error code otherwise,
// with the message in LastMessage), navigation as TDVXGetRecordResult.
//
// Record buffer: RecordSize bytes of the record, then the record ID of the
// record in the buffer (PageNo int32, PageItemNo uint16, little-endian),
// then one state byte (kRecordInserted after an insert through this
// cursor).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/storage/base_record_manager.h"
#include "engine/storage/record_id.h"

namespace dvx {

class TDVXFieldDefs;
class TDVXLocalSession;
class TDVXTableData;

constexpr int kCursorRecordIDSize = 6;
constexpr uint8_t kRecordInserted = 3;

// A cursor's position and buffer, kept around a transaction.
struct TDVXCursorSnapshot {
  bool bof = true;
  bool eof = false;
  TDVXRecordID recordID = kNoRecordID;
  std::vector<uint8_t> buffer;
};

class TDVXCursor {
 public:
  virtual ~TDVXCursor() = default;
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual void First() = 0;
  virtual void Last() = 0;
  virtual TDVXGetRecordResult GetRecord(TDVXGetRecordMode mode) = 0;
  virtual int32_t InsertRecord() = 0;
  virtual int32_t UpdateRecord() = 0;
  virtual int32_t DeleteRecord() = 0;
  virtual int64_t GetRecordCount() = 0;
};

class TDVXLocalCursor : public TDVXCursor {
 public:
  TDVXLocalCursor(TDVXLocalSession& session, std::string tableName, bool exclusive = false);
  ~TDVXLocalCursor() override;
  TDVXLocalCursor(const TDVXLocalCursor&) = delete;
  TDVXLocalCursor& operator=(const TDVXLocalCursor&) = delete;

  // Registers with the table (loading it for the first cursor) and stands
  // before the first record.
  void Open() override;
  void Close() override;
  bool IsOpen() const override { return table_ != nullptr; }

  TDVXLocalSession& Session() { return session_; }
  int32_t SessionID() const;
  const std::string& TableName() const { return tableName_; }
  bool Exclusive() const { return exclusive_; }
  // 30953 while closed.
  TDVXTableData& Table() const;
  const TDVXFieldDefs& Fields() const;

  // The record part of the buffer (RecordSize bytes).
  uint8_t* Record() { return buffer_.data(); }
  const uint8_t* Record() const { return buffer_.data(); }
  std::vector<uint8_t>& Buffer() { return buffer_; }
  // Every field NULL, then the defaults (no autoincrement values: those
  // are drawn by the insert for fields left NULL).
  void NewRecord();

  // Position.
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  const TDVXRecordID& RecordID() const { return recordID_; }
  void SetPosition(bool bof, bool eof, const TDVXRecordID& id);
  // The index whose order the cursor walks; -1 for physical order.
  int32_t CurrentIndexID() const { return currentIndexID_; }
  // "" for physical order; an unknown name is 30957.
  void SetCurrentIndex(const std::string& indexName);

  void First() override;
  void Last() override;
  TDVXGetRecordResult GetRecord(TDVXGetRecordMode mode) override;
  int32_t InsertRecord() override;
  int32_t UpdateRecord() override;
  int32_t DeleteRecord() override;
  int64_t GetRecordCount() override;
  const std::string& LastMessage() const { return lastMessage_; }
  int32_t LastResult() const { return lastResult_; }

  TDVXCursorSnapshot TakeSnapshot() const;
  void PutSnapshot(const TDVXCursorSnapshot& snapshot);

 private:
  template <typename F>
  int32_t Run(F&& operation);
  void WriteRecordID();

  TDVXLocalSession& session_;
  std::string tableName_;
  bool exclusive_;
  TDVXTableData* table_ = nullptr;
  std::vector<uint8_t> buffer_;
  bool bof_ = true;
  bool eof_ = false;
  TDVXRecordID recordID_ = kNoRecordID;
  int32_t currentIndexID_ = -1;
  int32_t lastResult_ = 0;
  std::string lastMessage_;
};

}  // namespace dvx
