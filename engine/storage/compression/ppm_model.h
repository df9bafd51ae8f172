#pragma once
// TPpmModel: the context model of the PPM coder (variant G): a tree of
// contexts up to the model order, each with the statistics of the symbols
// that followed it, built while coding and identical on both sides.
//
// Records in the model memory (offsets into TPpmSubAllocator's heap; every
// field in host byte order, the memory never leaves the process):
//
//   context, one unit:                     state, 6 bytes:
//     0  2  NumStats (1..256)                0  1  Symbol
//     2  2  SummFreq  | 2 1 OneState.Symbol  1  1  Freq (1..128)
//     4  4  Stats     | 3 1 OneState.Freq    2  4  Successor
//     8  4  Suffix    | 4 4 OneState.Successor
//
// A context with one symbol (a binary context) keeps that state in place of
// SummFreq and Stats; a larger one keeps its states in a block of
// (NumStats + 1) / 2 units. Suffix is the context one symbol shorter (0 for
// the order-0 root). A state's Successor is the context that follows the
// symbol, or, until that context is needed, the position in the text area
// just after the symbol was last seen there ("raw" successor, always at or
// below the text pointer, while contexts lie above it), or 0.
//
// Invariants (the coders rely on 1 to 3; a breach of any of them is caught
// where it would lead outside the model memory and ends in a restart or a
// refused stream, never in undefined behaviour):
//  1. Every symbol of a context also occurs in its suffix, so a suffix has
//     at least as many symbols; the root always has all 256.
//  2. A context with several symbols has SummFreq > the sum of its Freqs
//     (room for the escape) and SummFreq <= 2^15 when coded.
//  3. Freq stays below 255 (rescaling halves the frequencies of a context
//     once one passes kMaxFreq; a binary context counts up to 128).
//  4. The states of a context are kept roughly sorted by falling Freq.
#include <cstdint>
#include <cstring>

#include "engine/storage/compression/sub_allocator.h"

namespace dvx {

// Secondary escape estimation: an adaptive escape frequency for a class of
// contexts, kept as a scaled sum.
struct TPpmSee {
  uint16_t summ;
  uint8_t shift;
  uint8_t count;

  uint32_t Mean() {
    const uint32_t r = summ >> shift;
    summ = static_cast<uint16_t>(summ - r);
    return r + (r == 0);
  }
  void Update();
};

class TPpmModel {
 public:
  static constexpr int kMinOrder = 2;
  static constexpr int kMaxOrder = 16;

  TPpmModel(int maxOrder, uint32_t memoryBytes);

  // How often the model ran out of memory and started afresh.
  uint32_t RestartCount() const { return restarts_; }

 protected:
  static constexpr uint32_t kStateSize = 6;
  static constexpr uint32_t kMaxFreq = 124;
  static constexpr uint32_t kIntBits = 7;
  static constexpr uint32_t kPeriodBits = 7;
  static constexpr uint32_t kBinShift = kIntBits + kPeriodBits;  // binary probabilities are out of 2^14
  static constexpr uint32_t kBinScale = 1u << kBinShift;

  // Field access on the records above.
  static uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  static uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  static void Store16(uint8_t* p, uint32_t v) {
    const uint16_t w = static_cast<uint16_t>(v);
    std::memcpy(p, &w, 2);
  }
  static void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

  static uint8_t Symbol(const uint8_t* s) { return s[0]; }
  static uint32_t Freq(const uint8_t* s) { return s[1]; }
  static void SetFreq(uint8_t* s, uint32_t f) { s[1] = static_cast<uint8_t>(f); }
  static uint32_t Successor(const uint8_t* s) { return Load32(s + 2); }
  static void SetSuccessor(uint8_t* s, uint32_t v) { Store32(s + 2, v); }
  static void SwapStates(uint8_t* a, uint8_t* b) {
    uint8_t t[kStateSize];
    std::memcpy(t, a, kStateSize);
    std::memcpy(a, b, kStateSize);
    std::memcpy(b, t, kStateSize);
  }

  static uint32_t NumStats(const uint8_t* c) { return Load16(c); }
  static void SetNumStats(uint8_t* c, uint32_t n) { Store16(c, n); }
  static uint32_t SummFreq(const uint8_t* c) { return Load16(c + 2); }
  static void SetSummFreq(uint8_t* c, uint32_t f) { Store16(c + 2, f); }
  static uint32_t StatsRef(const uint8_t* c) { return Load32(c + 4); }
  static void SetStatsRef(uint8_t* c, uint32_t v) { Store32(c + 4, v); }
  static uint32_t SuffixRef(const uint8_t* c) { return Load32(c + 8); }
  static void SetSuffixRef(uint8_t* c, uint32_t v) { Store32(c + 8, v); }
  static uint8_t* OneState(uint8_t* c) { return c + 2; }

  uint8_t* Ptr(uint32_t ref) const { return base_ + ref; }
  uint32_t Ref(const uint8_t* p) const { return static_cast<uint32_t>(p - base_); }
  uint8_t* Stats(const uint8_t* c) const { return Ptr(StatsRef(c)); }
  // The states of a context, whatever its kind; returns their number.
  uint32_t StatesOf(uint8_t* c, uint8_t*& first) const {
    const uint32_t n = NumStats(c);
    first = n == 1 ? OneState(c) : Stats(c);
    return n;
  }

  // Symbol masking during escapes: a symbol is masked when its stamp is the
  // current one, so starting a new mask costs nothing.
  void NewMask() {
    if (++maskStamp_ == 0) {
      std::memset(charMask_, 0, sizeof charMask_);
      maskStamp_ = 1;
    }
  }
  bool Masked(uint8_t symbol) const { return charMask_[symbol] == maskStamp_; }
  void Mask(uint8_t symbol) { charMask_[symbol] = maskStamp_; }

  // After an escape: on to the suffix of MinContext; false at the root,
  // where the escape was the end symbol.
  bool EscapeToSuffix() {
    ++orderFall_;
    const uint32_t suffix = SuffixRef(minContext_);
    if (suffix == 0) return false;
    minContext_ = Ptr(suffix);
    return true;
  }
  static uint32_t HighBitsFlag(uint8_t symbol) { return symbol < 0x40 ? 0 : 8; }

  // The adaptive probability (of 2^14) that the binary context MinContext
  // sees its symbol again; sets HiBitsFlag as a side effect.
  uint16_t& BinProb();
  static uint16_t ProbAfterHit(uint16_t p) { return static_cast<uint16_t>(p + (1u << kIntBits) - ProbMean(p)); }
  static uint16_t ProbAfterMiss(uint16_t p) { return static_cast<uint16_t>(p - ProbMean(p)); }
  void EscapeFromBinary(uint16_t prob);
  // The escape estimate for MinContext when nonMasked of its symbols are
  // still possible.
  TPpmSee* MakeEscFreq(uint32_t nonMasked, uint32_t& escFreq);
  // Keeps a context's total within what the range coder accepts.
  void BoundTotal(uint8_t* c);

  // Model updates after a symbol was coded in MinContext:
  void Update1_0();  // as the first (most probable) state
  void Update1();    // as another state, with no escape before it
  void Update2();    // after escapes
  void UpdateBin();  // in a binary context

  uint8_t* minContext_ = nullptr;
  uint8_t* maxContext_ = nullptr;
  uint8_t* foundState_ = nullptr;
  int orderFall_ = 0;
  int runLength_ = 0;
  uint32_t prevSuccess_ = 0;
  uint32_t hiBitsFlag_ = 0;

 private:
  static uint32_t ProbMean(uint32_t p) { return (p + (1u << (kPeriodBits - 2))) >> kPeriodBits; }

  void Restart();
  void Rescale();
  void NextContext();
  void UpdateModel();
  uint32_t CreateSuccessors(bool skip);
  uint8_t* FindState(uint8_t* c, uint8_t symbol) const;

  TPpmSubAllocator alloc_;
  uint8_t* base_;
  int maxOrder_;
  int initRL_ = 0;
  uint32_t initEsc_ = 0;
  uint32_t restarts_ = 0;
  uint32_t maskStamp_ = 0;
  uint32_t charMask_[256] = {};
  uint16_t binSumm_[128][64];
  TPpmSee see_[25][16];
  TPpmSee dummySee_;
};

}  // namespace dvx
