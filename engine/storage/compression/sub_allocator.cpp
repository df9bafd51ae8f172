#include "engine/storage/compression/sub_allocator.h"

#include <cstring>

namespace dvx {

TPpmSubAllocator::TTables TPpmSubAllocator::MakeTables() {
  TTables t{};
  // Four classes each of steps 1, 2 and 3 units, then steps of 4 up to 128.
  uint32_t units = 0;
  for (int i = 0; i < kIndexCount; ++i) {
    const uint32_t step = i < 12 ? static_cast<uint32_t>(i / 4 + 1) : 4;
    units += step;
    t.index2Units[i] = static_cast<uint8_t>(units);
  }
  for (uint32_t u = 1, i = 0; u <= kMaxBlockUnits; ++u) {
    if (t.index2Units[i] < u) ++i;
    t.units2Index[u - 1] = static_cast<uint8_t>(i);
  }
  return t;
}

const TPpmSubAllocator::TTables TPpmSubAllocator::kTables = TPpmSubAllocator::MakeTables();

TPpmSubAllocator::TPpmSubAllocator(uint32_t memoryBytes) {
  const uint32_t unitBytes = memoryBytes / 8 / kUnitSize * 7 * kUnitSize;
  // The units start on a multiple of 4 (invariant 2); the text area keeps
  // the rest of the memory.
  initialUnitsStart_ = (kTextStart + (memoryBytes - unitBytes) + 3) & ~3u;
  unitsEnd_ = initialUnitsStart_ + unitBytes;
  memory_ = AllocBuffer(static_cast<size_t>(unitsEnd_) + kUnitSize, true);
  base_ = memory_.get();
  Reset();
}

void TPpmSubAllocator::Reset() {
  std::memset(freeList_, 0, sizeof freeList_);
  text_ = kTextStart;
  unitsStart_ = loUnit_ = initialUnitsStart_;
  hiUnit_ = unitsEnd_;
  glueCount_ = 0;
  Put32(unitsEnd_, 0);  // the sentinel never looks free
}

uint32_t TPpmSubAllocator::Get32(uint32_t at) const {
  uint32_t v;
  std::memcpy(&v, base_ + at, 4);
  return v;
}

void TPpmSubAllocator::Put32(uint32_t at, uint32_t value) { std::memcpy(base_ + at, &value, 4); }

void TPpmSubAllocator::InsertNode(uint32_t block, int index) {
  Put32(block + 4, IndexToUnits(index));
  Put32(block + 8, freeList_[index]);
  freeList_[index] = block;
}

uint32_t TPpmSubAllocator::RemoveNode(int index) {
  const uint32_t block = freeList_[index];
  freeList_[index] = Get32(block + 8);
  return block;
}

void TPpmSubAllocator::FreeRun(uint32_t block, uint32_t units) {
  while (units > kMaxBlockUnits) {
    InsertNode(block, kIndexCount - 1);
    block += kMaxBlockUnits * kUnitSize;
    units -= kMaxBlockUnits;
  }
  int index = UnitsToIndex(units);
  if (IndexToUnits(index) != units) {
    // The class below fits; the rest (at most 3 units, since neighbouring
    // classes differ by at most 4) is a class of its own.
    const uint32_t head = IndexToUnits(--index);
    InsertNode(block + head * kUnitSize, UnitsToIndex(units - head));
  }
  InsertNode(block, index);
}

void TPpmSubAllocator::SplitBlock(uint32_t block, int oldIndex, int newIndex) {
  const uint32_t kept = IndexToUnits(newIndex);
  FreeRun(block + kept * kUnitSize, IndexToUnits(oldIndex) - kept);
}

// Merges neighbouring free blocks into runs and sorts the runs back into the
// lists, so that many small freed blocks can serve a large request.
void TPpmSubAllocator::GlueFreeBlocks() {
  // The unused gap must not look like a free block (invariant 3 covers the
  // blocks in use, the sentinel the end of the units).
  if (loUnit_ != hiUnit_) Put32(loUnit_, 0);

  // Stamp every free block and chain all of them into one list.
  uint32_t all = 0;
  for (int i = 0; i < kIndexCount; ++i) {
    for (uint32_t block = freeList_[i]; block != 0;) {
      const uint32_t next = Get32(block + 8);
      Put32(block, kFreeStamp);
      Put32(block + 4, IndexToUnits(i));
      Put32(block + 8, all);
      all = block;
      block = next;
    }
    freeList_[i] = 0;
  }

  // Each block swallows the free blocks that follow it in memory; a
  // swallowed block keeps its place in the chain with 0 units. Every block
  // is swallowed at most once, so this ends after as many steps as there are
  // free blocks.
  for (uint32_t block = all; block != 0; block = Get32(block + 8)) {
    uint32_t units = Get32(block + 4);
    if (units == 0) continue;
    for (;;) {
      const uint32_t next = block + units * kUnitSize;
      if (next >= unitsEnd_ || Get32(next) != kFreeStamp) break;
      const uint32_t more = Get32(next + 4);
      if (more == 0) break;
      units += more;
      Put32(next + 4, 0);
    }
    Put32(block + 4, units);
  }

  // Chain the runs alone: sorting a run into the lists writes block heads
  // inside it, which may be the heads of swallowed blocks still chained.
  uint32_t runs = 0;
  for (uint32_t block = all; block != 0;) {
    const uint32_t next = Get32(block + 8);
    Put32(block, 0);
    if (Get32(block + 4) != 0) {
      Put32(block + 8, runs);
      runs = block;
    }
    block = next;
  }
  for (uint32_t block = runs; block != 0;) {
    const uint32_t next = Get32(block + 8);
    FreeRun(block, Get32(block + 4));
    block = next;
  }
}

uint32_t TPpmSubAllocator::AllocUnitsRare(int index) {
  if (glueCount_ == 0) {
    glueCount_ = 255;
    GlueFreeBlocks();
    if (freeList_[index] != 0) return RemoveNode(index);
  }
  for (int i = index + 1; i < kIndexCount; ++i) {
    if (freeList_[i] != 0) {
      const uint32_t block = RemoveNode(i);
      SplitBlock(block, i, index);
      return block;
    }
  }
  // Nothing large enough is free: take units from the top of the text area
  // while it has room to spare.
  --glueCount_;
  const uint32_t bytes = IndexToUnits(index) * kUnitSize;
  if (unitsStart_ - text_ <= bytes) return 0;
  unitsStart_ -= bytes;
  return unitsStart_;
}

uint32_t TPpmSubAllocator::AllocContext() {
  if (hiUnit_ != loUnit_) return hiUnit_ -= kUnitSize;
  if (freeList_[0] != 0) return RemoveNode(0);
  return AllocUnitsRare(0);
}

uint32_t TPpmSubAllocator::AllocUnits(int index) {
  if (freeList_[index] != 0) return RemoveNode(index);
  const uint32_t bytes = IndexToUnits(index) * kUnitSize;
  if (hiUnit_ - loUnit_ >= bytes) {
    const uint32_t block = loUnit_;
    loUnit_ += bytes;
    return block;
  }
  return AllocUnitsRare(index);
}

uint32_t TPpmSubAllocator::ExpandUnits(uint32_t block, uint32_t units) {
  const int oldIndex = UnitsToIndex(units);
  const int newIndex = UnitsToIndex(units + 1);
  if (oldIndex == newIndex) return block;
  const uint32_t moved = AllocUnits(newIndex);
  if (moved == 0) return 0;
  std::memcpy(base_ + moved, base_ + block, units * kUnitSize);
  InsertNode(block, oldIndex);
  return moved;
}

uint32_t TPpmSubAllocator::ShrinkUnits(uint32_t block, uint32_t oldUnits, uint32_t newUnits) {
  const int oldIndex = UnitsToIndex(oldUnits);
  const int newIndex = UnitsToIndex(newUnits);
  if (oldIndex == newIndex) return block;
  if (freeList_[newIndex] != 0) {
    const uint32_t moved = RemoveNode(newIndex);
    std::memcpy(base_ + moved, base_ + block, newUnits * kUnitSize);
    InsertNode(block, oldIndex);
    return moved;
  }
  SplitBlock(block, oldIndex, newIndex);
  return block;
}

void TPpmSubAllocator::FreeUnits(uint32_t block, uint32_t units) { InsertNode(block, UnitsToIndex(units)); }

bool TPpmSubAllocator::PutText(uint8_t symbol) {
  if (text_ + 1 >= unitsStart_) return false;
  base_[text_++] = symbol;
  return true;
}

}  // namespace dvx
