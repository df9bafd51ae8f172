#pragma once
// Record buffers of a test table built and read through the record-buffer
// functions of the schema layer, and records read and walked through a
// record manager; the fixtures of the record manager tests derive from it,
// add their fields to `fields_` and name their manager in Records().
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/base_record_manager.h"
#include "engine/storage/blob_value_stream.h"

namespace dvx::test {

class TRecordBufferHelpers : public ::testing::Test {
 protected:
  // A zeroed record buffer of the table with every field NULL.
  std::vector<uint8_t> NewRecord() {
    std::vector<uint8_t> buffer(static_cast<size_t>(fields_.RecordSize()), 0);
    for (int i = 0; i < fields_.Count(); ++i) SetNull(true, i, buffer.data());
    return buffer;
  }
  void SetInt(std::vector<uint8_t>& buffer, int field, int32_t value) {
    SetFieldData(field, fields_, &value, buffer.data());
  }
  int32_t GetInt(const std::vector<uint8_t>& buffer, int field) {
    int32_t value = 0;
    EXPECT_TRUE(GetFieldData(field, fields_, &value, buffer.data()));
    return value;
  }
  void SetText(std::vector<uint8_t>& buffer, int field, const std::string& text) {
    SetFieldData(field, fields_, text.empty() ? nullptr : text.c_str(), buffer.data());
  }
  // The text of a string field; "" for NULL.
  std::string GetText(const std::vector<uint8_t>& buffer, int field) {
    std::vector<char> text(static_cast<size_t>(fields_.Items(field)->MemoryDataSize()) + 1, 0);
    if (!GetFieldData(field, fields_, text.data(), buffer.data())) return "";
    return text.data();
  }
  void SetBlob(std::vector<uint8_t>& buffer, int field, const std::vector<uint8_t>& value) {
    TDVXBlobValueStream stream(*fields_.Items(field));
    stream.WriteBuffer(value.data(), value.size(), 0);
    stream.StoreInto(field, fields_, buffer.data());
  }
  // The whole value of a BLOB stream.
  static std::vector<uint8_t> ReadAll(TDVXStream& stream) {
    std::vector<uint8_t> value(static_cast<size_t>(stream.Size()));
    stream.SetPosition(0);
    stream.ReadBuffer(value.data(), value.size(), 0);
    return value;
  }

  // The record manager the walking helpers below use.
  virtual TDVXBaseRecordManager& Records() = 0;

  std::vector<uint8_t> Read(const TDVXRecordID& id) {
    std::vector<uint8_t> buffer = NewRecord();
    TDVXGetRecordRequest request;
    request.session = session_;
    request.recordID = id;
    request.buffer = buffer.data();
    EXPECT_EQ(grrDone, Records().GetRecord(request));
    return buffer;
  }
  // GetRecord with a mode and flags; the record ID read, or kNoRecordID.
  TDVXGetRecordResult Step(TDVXGetRecordMode mode, TDVXRecordID& id, bool first = false, bool last = false) {
    std::vector<uint8_t> buffer = NewRecord();
    TDVXGetRecordRequest request;
    request.session = session_;
    request.mode = mode;
    request.first = first;
    request.last = last;
    request.recordID = id;
    request.buffer = buffer.data();
    TDVXGetRecordResult result = Records().GetRecord(request);
    if (result == grrDone) id = request.recordID;
    return result;
  }
  // Every record in RecordID order, walked forward from the first.
  std::vector<TDVXRecordID> Walk() {
    std::vector<TDVXRecordID> ids;
    TDVXRecordID id = kNoRecordID;
    for (TDVXGetRecordResult r = Step(grmNext, id, true); r == grrDone; r = Step(grmNext, id)) ids.push_back(id);
    return ids;
  }
  TDVXFieldDefs fields_;
  int32_t session_ = 1;
};

}  // namespace dvx::test
