#pragma once
// TDVXTemporaryPageManager: the index pages of a temporary table. The first
// M page numbers (the memory limit) live in an inner memory page manager;
// pages M and above live in a temporary file, page n at offset n × 4096.
// The file ("DVX<random>.tmp" in the temporary directory) is created when
// the first page beyond the limit is written and deleted when the manager
// is destroyed.
//
// Invariants:
//  1. Numbers below M are allocated by the inner manager (lowest free
//     first); numbers from M on are handed out in rising order and never
//     reused, and bit n - M of the file's allocation array is 1 exactly
//     while page n is allocated.
//  2. The page count is the inner manager's count plus the file's 1 bits.
//
// Stream form: the memory page manager's counters for the whole manager
// (capacity = M, highest number used, growth step, page size, header size,
// page count), the file side's allocation bit array, then the inner
// manager's stream form, then the buffer of every allocated file page in
// rising order.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/platform/file.h"
#include "engine/core/platform/temp_files.h"
#include "engine/core/temporary_stream.h"
#include "engine/storage/bit_array.h"
#include "engine/storage/memory_page_manager.h"

namespace dvx {

class TDVXTemporaryPageManager : public TDVXPageManager {
 public:
  static constexpr int kPageSize = TDVXMemoryPageManager::kPageSize;

  // A tenth of the memory available to the engine (the allocator's limit
  // or the free physical memory, whichever is smaller), in pages.
  static int32_t DefaultMemoryLimit();

  explicit TDVXTemporaryPageManager(int32_t memoryLimitPages = DefaultMemoryLimit(),
                                    TDVXFileSystem& fileSystem = TDVXFileSystem::Default(),
                                    std::string directory = TempDirectory());
  ~TDVXTemporaryPageManager() override;

  int32_t GetPageCount() override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) override;
  void InternalAddPage(TDVXPage& page) override;
  void InternalRemovePage(int32_t pageNo) override;
  void InternalReadPage(TDVXPage& page) override;
  void InternalWritePage(TDVXPage& page) override;

  int32_t MemoryLimit() const { return memoryLimit_; }
  bool IsAllocated(int32_t pageNo) const;
  // Whether the temporary file exists, and its name ("" before it does).
  bool HasFile() const { return file_ && file_->InFile(); }
  std::string FileName() const { return file_ ? file_->FileName() : std::string(); }

 protected:
  void CheckPageNo(int32_t pageNo) override;
  const char* ClassName() const override { return "TDVXTemporaryPageManager"; }
  // A commit that fails part way (a write of the file) puts back the pages
  // it wrote: BeginCommit keeps what the pages about to be written hold,
  // AbortCommit writes that back, so the change set, whole again, is what
  // a cancel drops.
  int32_t BeginCommit(const std::vector<TDVXPage*>& pages, const std::set<int32_t>& added) override;
  void AbortCommit() override;
  void EndCommit() override { before_.clear(); }

 private:
  bool InFile(int32_t pageNo) const { return pageNo >= memoryLimit_; }
  int32_t FileBit(int32_t pageNo) const { return pageNo - memoryLimit_; }
  TDVXTemporaryStream& File();
  void ReadFilePage(int32_t pageNo, uint8_t* buffer);
  void WriteFilePage(int32_t pageNo, const uint8_t* buffer);

  int32_t memoryLimit_;
  TDVXFileSystem& fileSystem_;
  std::string directory_;
  std::unique_ptr<TDVXMemoryPageManager> inner_;
  // Bit i: page M + i.
  TDVXBitArray fileAllocated_;
  std::unique_ptr<TDVXTemporaryStream> file_;
  // The stored bytes of the pages the commit under way overwrites.
  std::vector<std::pair<int32_t, std::vector<uint8_t>>> before_;
};

}  // namespace dvx
