#pragma once
// TPpmSubAllocator: the memory of one PPM model, taken once per compress or
// decompress call and carved into 12-byte units.
//
// Heap layout (offsets from Base(); offset 0 is the null reference):
//   0             12               reserved, so no unit or text byte has offset 0
//   12            TextArea         the text area: the symbols seen so far, one
//                                  byte each, growing upwards from 12
//   UnitsStart    ..               units: state arrays from LoUnit upwards,
//                                  contexts from HiUnit downwards, free
//                                  blocks anywhere in between
//   UnitsEnd      12               sentinel unit, never handed out
// About 7/8 of the memory starts as units and 1/8 as text area; when the
// units run out the allocator takes units from the top of the text area.
//
// A block is 1..128 units in one of 38 size classes (1, 2, 3, 4, 6, 8, 10,
// 12, 15, 18, 21, 24, then 28 to 128 in steps of 4). A block of n units is
// rounded up to its class and freed with the same n. Free blocks wait in one
// list per class; their first unit holds
//   0  4  stamp      kFreeStamp while gluing, otherwise unused
//   4  4  units      the block's length in units
//   8  4  next       offset of the next free block, 0 at the end
//
// Invariants:
//  1. [UnitsStart, LoUnit) and [HiUnit, UnitsEnd) are tiled by blocks: every
//     unit belongs to exactly one block, free or in use; [LoUnit, HiUnit) is
//     unused.
//  2. Every block offset is a multiple of 4, so the model may read 16- and
//     32-bit fields at their natural alignment.
//  3. The first byte pair of a block in use never reads 0xFF 0xFF: the model
//     keeps a context's symbol count (at most 256) or a state's symbol and
//     frequency (below 255) there. Gluing relies on it to tell free blocks
//     from used ones.
//  4. The text area is [12, Text) and Text < UnitsStart.
#include <cstdint>

#include "engine/core/memory_manager.h"

namespace dvx {

class TPpmSubAllocator {
 public:
  static constexpr uint32_t kUnitSize = 12;
  static constexpr int kIndexCount = 38;
  static constexpr uint32_t kMaxBlockUnits = 128;

  // Takes memoryBytes (plus the reserved and sentinel units) from the engine
  // allocator, zero-filled so that nothing the model reads depends on what
  // the memory held before.
  explicit TPpmSubAllocator(uint32_t memoryBytes);
  TPpmSubAllocator(const TPpmSubAllocator&) = delete;
  TPpmSubAllocator& operator=(const TPpmSubAllocator&) = delete;

  // Forgets every block and the text: the state right after construction.
  void Reset();

  uint8_t* Base() const { return base_; }

  // Blocks: an offset, or 0 when the memory is exhausted.
  uint32_t AllocContext();
  uint32_t AllocUnits(int index);
  // Moves a block of `units` to one of units + 1 when that needs a larger
  // class; the old block is freed. 0 when the memory is exhausted (the old
  // block is then kept).
  uint32_t ExpandUnits(uint32_t block, uint32_t units);
  // Gives back the tail of a block shrinking from oldUnits to newUnits,
  // moving it when a block of the smaller class is free anyway.
  uint32_t ShrinkUnits(uint32_t block, uint32_t oldUnits, uint32_t newUnits);
  void FreeUnits(uint32_t block, uint32_t units);

  static int UnitsToIndex(uint32_t units) { return kTables.units2Index[units - 1]; }
  static uint32_t IndexToUnits(int index) { return kTables.index2Units[index]; }

  // The text area. PutText returns false when the text would reach the units.
  uint32_t Text() const { return text_; }
  uint32_t TextStart() const { return kTextStart; }
  bool PutText(uint8_t symbol);
  void UnputText() { --text_; }
  uint32_t UnitsStart() const { return unitsStart_; }

 private:
  static constexpr uint32_t kTextStart = kUnitSize;
  static constexpr uint32_t kFreeStamp = 0xFFFFFFFFu;

  struct TTables {
    uint8_t index2Units[kIndexCount];
    uint8_t units2Index[kMaxBlockUnits];
  };
  static const TTables kTables;
  static TTables MakeTables();

  uint32_t Get32(uint32_t at) const;
  void Put32(uint32_t at, uint32_t value);
  void InsertNode(uint32_t block, int index);
  uint32_t RemoveNode(int index);
  // Frees an arbitrary run of units as blocks of the classes.
  void FreeRun(uint32_t block, uint32_t units);
  void SplitBlock(uint32_t block, int oldIndex, int newIndex);
  void GlueFreeBlocks();
  uint32_t AllocUnitsRare(int index);

  TDVXBufferPtr memory_;
  uint8_t* base_;
  uint32_t initialUnitsStart_;
  uint32_t unitsEnd_;
  uint32_t text_ = kTextStart;
  uint32_t unitsStart_ = 0;
  uint32_t loUnit_ = 0;
  uint32_t hiUnit_ = 0;
  // Failed searches still allowed to take text area before the next glue.
  uint32_t glueCount_ = 0;
  uint32_t freeList_[kIndexCount] = {};
};

}  // namespace dvx
