#include "engine/storage/compression/ppm_model.h"

#include <algorithm>

namespace dvx {
namespace {

// Initial escape probabilities of binary contexts (scaled by 2^14), one per
// combination of the low four bits of the binary context's index: whether
// the last symbol was predicted, the size class of the suffix, and whether
// the last symbol had its high bits set.
constexpr uint16_t kInitBinEsc[16] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3, 0x5FFB, 0x5545, 0x63D1, 0x5D9D,
                                      0x64A1, 0x5ABC, 0x6632, 0x6051, 0x68F6, 0x549B, 0x6BCA, 0x3AB0};

// The initial escape count of a context that grows out of a binary one,
// by the binary context's probability of a miss (in sixteenths).
constexpr uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};

struct TTables {
  uint8_t ns2Indx[256];    // symbol count - 1 -> row of the SEE table
  uint8_t ns2BSIndx[256];  // symbol count - 1 -> suffix class of a binary context
};

constexpr TTables MakeTables() {
  TTables t{};
  // Rows 0, 1, 2 for one, two, three symbols; then each row covers one
  // symbol count more than the row before.
  int i = 0;
  for (; i < 3; ++i) t.ns2Indx[i] = static_cast<uint8_t>(i);
  for (int row = 3, left = 1; i < 256; ++i) {
    t.ns2Indx[i] = static_cast<uint8_t>(row);
    if (--left == 0) left = ++row - 2;
  }
  for (i = 0; i < 256; ++i) t.ns2BSIndx[i] = static_cast<uint8_t>(i == 0 ? 0 : i == 1 ? 2 : i < 11 ? 4 : 6);
  return t;
}

constexpr TTables kTables = MakeTables();
static_assert(kTables.ns2Indx[255] == 24, "the SEE table has 25 rows");

}  // namespace

void TPpmSee::Update() {
  // Adapts quickly at first, then ever more slowly up to 2^7 steps.
  if (shift < 7 && --count == 0) {
    summ = static_cast<uint16_t>(summ << 1);
    count = static_cast<uint8_t>(3 << shift++);
  }
}

TPpmModel::TPpmModel(int maxOrder, uint32_t memoryBytes)
    : alloc_(memoryBytes), base_(alloc_.Base()), maxOrder_(maxOrder) {
  Restart();
  restarts_ = 0;
}

void TPpmModel::Restart() {
  ++restarts_;
  alloc_.Reset();
  std::memset(charMask_, 0, sizeof charMask_);
  maskStamp_ = 0;
  orderFall_ = maxOrder_;
  runLength_ = initRL_ = -std::min(maxOrder_, 12) - 1;
  prevSuccess_ = 0;
  hiBitsFlag_ = 0;
  initEsc_ = 0;

  // The root: all 256 symbols once, and room for one escape.
  uint8_t* root = Ptr(alloc_.AllocContext());
  SetNumStats(root, 256);
  SetSummFreq(root, 256 + 1);
  SetSuffixRef(root, 0);
  const uint32_t stats = alloc_.AllocUnits(TPpmSubAllocator::UnitsToIndex(256 / 2));
  SetStatsRef(root, stats);
  for (uint32_t i = 0; i < 256; ++i) {
    uint8_t* s = Ptr(stats) + i * kStateSize;
    s[0] = static_cast<uint8_t>(i);
    SetFreq(s, 1);
    SetSuccessor(s, 0);
  }
  minContext_ = maxContext_ = root;
  foundState_ = Ptr(stats);

  for (uint32_t row = 0; row < 128; ++row)
    for (uint32_t k = 0; k < 16; ++k)
      for (uint32_t m = 0; m < 64; m += 16) binSumm_[row][k + m] = static_cast<uint16_t>(kBinScale - kInitBinEsc[k] / (row + 2));
  for (uint32_t row = 0; row < 25; ++row)
    for (auto& see : see_[row]) see = {static_cast<uint16_t>((5 * row + 10) << (kPeriodBits - 4)), kPeriodBits - 4, 4};
  dummySee_ = {0, kPeriodBits, 64};
}

uint8_t* TPpmModel::FindState(uint8_t* c, uint8_t symbol) const {
  uint8_t* s;
  const uint32_t n = StatesOf(c, s);
  for (uint32_t i = 0; i < n; ++i, s += kStateSize)
    if (Symbol(s) == symbol) return s;
  return nullptr;
}

uint16_t& TPpmModel::BinProb() {
  uint8_t* s = OneState(minContext_);
  const uint32_t row = std::clamp<uint32_t>(Freq(s), 1, 128) - 1;
  const uint32_t suffix = SuffixRef(minContext_);
  const uint32_t suffixStats = suffix != 0 ? NumStats(Ptr(suffix)) : 1;
  hiBitsFlag_ = HighBitsFlag(Symbol(foundState_));
  const uint32_t column = prevSuccess_ + kTables.ns2BSIndx[std::clamp<uint32_t>(suffixStats, 1, 256) - 1] + hiBitsFlag_ +
                          2 * HighBitsFlag(Symbol(s)) + (runLength_ < 0 ? 0x20 : 0);
  return binSumm_[row][column];
}

void TPpmModel::EscapeFromBinary(uint16_t prob) {
  initEsc_ = kExpEscape[prob >> 10];
  NewMask();
  Mask(Symbol(OneState(minContext_)));
  prevSuccess_ = 0;
}

TPpmSee* TPpmModel::MakeEscFreq(uint32_t nonMasked, uint32_t& escFreq) {
  const uint32_t ns = NumStats(minContext_);
  if (ns == 256 || nonMasked == 0 || nonMasked > ns) {
    escFreq = 1;
    return &dummySee_;
  }
  const uint32_t numMasked = ns - nonMasked;
  const uint32_t suffix = SuffixRef(minContext_);
  const uint32_t suffixStats = suffix != 0 ? NumStats(Ptr(suffix)) : ns;
  // Columns: the suffix knows more symbols than are left here; the context
  // is young (low total per symbol); more symbols are masked than left;
  // the last symbol had high bits.
  TPpmSee* see = &see_[kTables.ns2Indx[nonMasked - 1]][0] + (suffixStats >= ns && nonMasked < suffixStats - ns) +
                 2 * (SummFreq(minContext_) < 11 * ns) + 4 * (numMasked > nonMasked) + hiBitsFlag_;
  escFreq = see->Mean();
  return see;
}

// The published model never meets a context whose total exceeds the coder's
// bottom in practice, but 256 symbols near kMaxFreq can reach it; halving
// the frequencies then keeps every interval codable (invariant 2).
void TPpmModel::BoundTotal(uint8_t* c) {
  const uint32_t ns = NumStats(c);
  if (ns == 1 || SummFreq(c) <= (1u << 15)) return;
  uint8_t* s = Stats(c);
  uint32_t before = 0, after = 0;
  for (uint32_t i = 0; i < ns; ++i, s += kStateSize) {
    before += Freq(s);
    SetFreq(s, (Freq(s) + 1) >> 1);
    after += Freq(s);
  }
  const uint32_t escape = SummFreq(c) > before ? SummFreq(c) - before : 1;
  SetSummFreq(c, after + ((escape + 1) >> 1));
}

void TPpmModel::Rescale() {
  uint8_t* stats = Stats(minContext_);
  uint8_t* s = foundState_;
  // The found state moves to the front.
  for (; s != stats; s -= kStateSize) SwapStates(s, s - kStateSize);
  const uint32_t numStats = NumStats(minContext_);
  uint32_t escFreq = SummFreq(minContext_) - Freq(s);
  // Halve, rounding up while the context is below the highest order; the
  // root always rounds up so that it keeps every symbol (invariant 1).
  const uint32_t adder = (orderFall_ != 0 || SuffixRef(minContext_) == 0) ? 1 : 0;
  SetFreq(s, (Freq(s) + 4 + adder) >> 1);
  uint32_t sumFreq = Freq(s);
  for (uint32_t i = 1; i < numStats; ++i) {
    s += kStateSize;
    escFreq -= Freq(s);
    SetFreq(s, (Freq(s) + adder) >> 1);
    sumFreq += Freq(s);
    // Insertion step: keep the states sorted by falling Freq.
    for (uint8_t* t = s; t != stats && Freq(t) > Freq(t - kStateSize); t -= kStateSize) SwapStates(t, t - kStateSize);
  }
  if (Freq(s) == 0) {
    uint32_t zeros = 0;
    while (Freq(s) == 0) {
      ++zeros;
      s -= kStateSize;
    }
    escFreq += zeros;
    const uint32_t left = numStats - zeros;
    SetNumStats(minContext_, left);
    if (left == 1) {
      // Back to a binary context.
      uint8_t first[kStateSize];
      std::memcpy(first, stats, kStateSize);
      do {
        first[1] = static_cast<uint8_t>(first[1] - (first[1] >> 1));
        escFreq >>= 1;
      } while (escFreq > 1);
      alloc_.FreeUnits(Ref(stats), (numStats + 1) >> 1);
      foundState_ = OneState(minContext_);
      std::memcpy(foundState_, first, kStateSize);
      return;
    }
    SetStatsRef(minContext_, alloc_.ShrinkUnits(Ref(stats), (numStats + 1) >> 1, (left + 1) >> 1));
  }
  SetSummFreq(minContext_, sumFreq + escFreq - (escFreq >> 1));
  foundState_ = Stats(minContext_);
}

void TPpmModel::Update1_0() {
  prevSuccess_ = 2 * Freq(foundState_) > SummFreq(minContext_) ? 1 : 0;
  runLength_ += static_cast<int>(prevSuccess_);
  SetSummFreq(minContext_, SummFreq(minContext_) + 4);
  SetFreq(foundState_, Freq(foundState_) + 4);
  if (Freq(foundState_) > kMaxFreq) Rescale();
  NextContext();
}

void TPpmModel::Update1() {
  uint8_t* s = foundState_;
  SetFreq(s, Freq(s) + 4);
  SetSummFreq(minContext_, SummFreq(minContext_) + 4);
  if (Freq(s) > Freq(s - kStateSize)) {
    SwapStates(s, s - kStateSize);
    foundState_ = s -= kStateSize;
    if (Freq(s) > kMaxFreq) Rescale();
  }
  NextContext();
}

void TPpmModel::Update2() {
  SetSummFreq(minContext_, SummFreq(minContext_) + 4);
  SetFreq(foundState_, Freq(foundState_) + 4);
  if (Freq(foundState_) > kMaxFreq) Rescale();
  runLength_ = initRL_;
  UpdateModel();
}

void TPpmModel::UpdateBin() {
  if (Freq(foundState_) < 128) SetFreq(foundState_, Freq(foundState_) + 1);
  prevSuccess_ = 1;
  ++runLength_;
  NextContext();
}

void TPpmModel::NextContext() {
  const uint32_t successor = Successor(foundState_);
  if (orderFall_ == 0 && successor > alloc_.Text())
    minContext_ = maxContext_ = Ptr(successor);
  else
    UpdateModel();
}

}  // namespace dvx
