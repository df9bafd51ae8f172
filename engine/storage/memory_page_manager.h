#pragma once
// TDVXMemoryPageManager: the index pages of an in-memory table, kept in
// page buffers of its own instead of a database file. Pages have no page
// header; their whole buffer is data.
//
// Invariants:
//  1. A page number n is allocated exactly when bit n of the allocation
//     array is 1; the page count is the number of 1 bits, and the highest
//     used number is the highest 1 bit (-1 with none).
//  2. The array of page buffers has `capacity` slots, at least highest + 1;
//     a slot that holds no page is zero.
//  3. Page objects of the cache copy their buffer from their slot when read
//     and back into it when written, so the uncommitted changes of a session
//     never reach the slots before its commit and are lost with a cancel.
//     (Page objects do not point into the slots: a slot can be replaced by
//     a load while a page object lives.)
//
// Stream form (SaveToStream / LoadFromStream; the index part of a saved
// in-memory table):
//   0   4  capacity (page slots)
//   4   4  highest page number used (-1 with none)
//   8   4  growth step
//   12  2  page size
//   14  2  page header size
//   16  4  page count
//   20  …  the allocation bit array (TDVXBitArray's form; `capacity` bits)
//   …   capacity × page size: every slot's buffer, in order
#include <cstdint>
#include <vector>

#include "engine/core/memory_manager.h"
#include "engine/storage/bit_array.h"
#include "engine/storage/page_manager.h"

namespace dvx {

// The counters at the head of the stream form (the temporary page manager
// writes the same ones for itself). Read checks the page geometry and the
// growth step; the counts are checked by the caller against its bits.
struct TDVXPageStreamCounters {
  int32_t capacity = 0;
  int32_t highest = -1;
  int32_t growthStep = 0;
  int32_t pageCount = 0;

  void Write(TDVXStream& stream, int pageSize, int headerSize) const;
  static TDVXPageStreamCounters Read(TDVXStream& stream, int pageSize);
};

class TDVXMemoryPageManager : public TDVXPageManager {
 public:
  static constexpr int kPageSize = 4096;
  static constexpr int32_t kGrowthStep = 50;

  TDVXMemoryPageManager();
  ~TDVXMemoryPageManager() override;

  int32_t GetPageCount() override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) override;
  void InternalAddPage(TDVXPage& page) override;
  void InternalRemovePage(int32_t pageNo) override;
  void InternalReadPage(TDVXPage& page) override;
  void InternalWritePage(TDVXPage& page) override;

  int32_t Capacity() const { return static_cast<int32_t>(slots_.size()); }
  int32_t HighestPageNo() const { return allocated_.HighestSet(); }
  bool IsAllocated(int32_t pageNo) const;
  // Frees every page and slot (the cache is emptied too).
  void Clear();

  // The largest capacity a stream form may give (64 GiB of pages).
  static constexpr int32_t kMaxCapacity = int32_t{1} << 24;

 protected:
  void CheckPageNo(int32_t pageNo) override;
  const char* ClassName() const override { return "TDVXMemoryPageManager"; }

 private:
  void Grow(int32_t pageNo);
  uint8_t* Slot(int32_t pageNo) { return slots_[static_cast<size_t>(pageNo)].get(); }

  // One engine buffer per page slot, so growing never moves a page.
  std::vector<TDVXBufferPtr> slots_;
  TDVXBitArray allocated_;
  int32_t pageCount_ = 0;
  int32_t growthStep_ = kGrowthStep;
};

}  // namespace dvx
