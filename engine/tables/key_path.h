#pragma once
// TDVXKeyPath: a position in a B-tree, from the root down to one entry of a
// leaf. Level 0 is the root; each level holds the page, the entry taken on
// it and the page's entry count when the level was reached. A leaf level
// may stand at its count (just behind its last entry) while a search
// settles its position.
#include <array>
#include <cstddef>
#include <cstdint>

namespace dvx {

struct TDVXKeyPathLevel {
  int32_t pageNo = -1;
  uint16_t entryNo = 0;
  uint16_t count = 0;
};

class TDVXKeyPath {
 public:
  static constexpr int kMaxDepth = 32;

  int Depth() const { return depth_; }
  bool Empty() const { return depth_ == 0; }
  void Clear() { depth_ = 0; }
  // A 33rd level is a range error: no tree of this engine is that deep,
  // so a path that would need it runs through a damaged tree.
  void Push(int32_t pageNo, int entryNo, int count);
  void Pop();

  const TDVXKeyPathLevel& Level(int level) const;
  TDVXKeyPathLevel& Level(int level);
  const TDVXKeyPathLevel& Leaf() const { return Level(depth_ - 1); }
  TDVXKeyPathLevel& Leaf() { return Level(depth_ - 1); }

  // Where the path stands as a fraction of the tree, counting every page
  // as full as the ones on the path: the sum over the levels of
  // entry · (product of the deeper levels' counts), divided by the product
  // of all counts. 0 for an empty path or a level without entries.
  double Position() const;

 private:
  std::array<TDVXKeyPathLevel, kMaxDepth> levels_{};
  int depth_ = 0;
};

}  // namespace dvx
