#pragma once
// The record managers of in-memory and temporary tables over one test
// table: an integer, a variable string, a compressed memo, a BLOB and a
// fixed string. Records are built and read through the record-buffer
// helpers; BLOB values come back through the manager's own OpenBlob.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/platform/memory_file.h"
#include "engine/storage/compression/compressor.h"
#include "engine/storage/memory_record_manager.h"
#include "engine/storage/memory_storage_errors.h"
#include "engine/storage/temporary_record_manager.h"
#include "tests/engine/storage/record_buffer_helpers.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {

using testing::Pattern;
using testing::ThrowsDvx;
using ::testing::HasSubstr;

enum { kId, kName, kText, kPicture, kCode };

class TMemoryRecordsFixture : public TRecordBufferHelpers {
 protected:
  void SetUp() override {
    fields_.Add("Id", aftInteger);
    fields_.Add("Name", aftVarchar, 300);
    TDVXFieldDef* text = fields_.Add("Text", aftMemo);
    text->SetBlobCompressionAlgorithm(caZLIB);
    text->SetBlobCompressionMode(1);
    text->SetBlobBlockSize(700);
    fields_.Add("Picture", aftBlob);
    fields_.Add("Code", aftChar, 6);
    fields_.RecomputeLayout();
    info_.tableID = 1;
    info_.tableName = "Remedies";
    info_.fields = &fields_;
  }

  void MakeMemory(int32_t growthStep = 4) {
    memory_ = std::make_unique<TDVXMemoryRecordManager>(info_, growthStep);
    temporary_.reset();
  }
  // `limit` records in memory, a write buffer of `buffer` records, the
  // file in the test's in-memory file system.
  void MakeTemporary(int64_t limit, int32_t buffer = 2, int64_t growthStep = 3) {
    TDVXTemporaryRecordSettings settings;
    settings.memoryLimitRecords = limit;
    settings.bufferRecords = buffer;
    settings.growthStep = growthStep;
    settings.fileSystem = &fs_;
    settings.directory = "tmp/";
    temporary_ = std::make_unique<TDVXTemporaryRecordManager>(info_, settings);
    memory_.reset();
  }

  TDVXBaseRecordManager& Records() override {
    if (memory_) return *memory_;
    return *temporary_;
  }
  std::vector<uint8_t> GetBlob(const std::vector<uint8_t>& buffer, int field) {
    auto stream = memory_ ? memory_->OpenBlob(field, buffer.data()) : temporary_->OpenBlob(field, buffer.data());
    return ReadAll(*stream);
  }
  size_t StoredBlobs() const { return memory_ ? memory_->Blobs().Count() : temporary_->Blobs().Count(); }

  // A record with id `id` and, unless empty, a picture.
  TDVXRecordID Insert(int32_t id, const std::vector<uint8_t>& picture = {}) {
    std::vector<uint8_t> r = NewRecord();
    SetInt(r, kId, id);
    if (!picture.empty()) SetBlob(r, kPicture, picture);
    return Records().InsertRecord(r.data(), session_);
  }

  TDVXMemoryFileSystem fs_;
  TDVXStorageTableInfo info_;
  std::unique_ptr<TDVXMemoryRecordManager> memory_;
  std::unique_ptr<TDVXTemporaryRecordManager> temporary_;
};

}  // namespace dvx::test
