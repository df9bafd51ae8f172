#include "engine/storage/compression/ppm_codec.h"

#include <algorithm>

#include "engine/storage/compression/ppm_model.h"
#include "engine/storage/compression/range_coder.h"

namespace dvx {
namespace {

constexpr int kEndSymbol = -1;

// The total of a context after escapes: the symbols still possible plus the
// escape estimate, which gives way when the sum would pass what the coder
// accepts (the symbols themselves stay below it by invariant 2).
uint32_t MaskedTotal(uint32_t sum, uint32_t escFreq) {
  const uint32_t total = sum + escFreq;
  return total <= kMaxRangeTotal ? total : std::max(sum + 1, kMaxRangeTotal);
}

// A symbol is coded in MinContext (the longest context) when it is there;
// otherwise an escape is coded and the search goes on in the suffix, with
// the symbols already ruled out masked. Escaping from the root codes the
// end symbol. Both sides make the same model calls in the same order.
class TPpmEncoder : public TPpmModel {
 public:
  TPpmEncoder(const TPpmModelParams& params, uint8_t* out, size_t capacity)
      : TPpmModel(params.order, params.memoryBytes), rc_(out, capacity) {}

  // `symbol` 0..255, or kEndSymbol.
  void EncodeSymbol(int symbol) {
    if (NumStats(minContext_) != 1) {
      if (EncodeInFirstContext(symbol)) return;
    } else {
      uint16_t& prob = BinProb();
      uint8_t* s = OneState(minContext_);
      if (Symbol(s) == symbol) {
        rc_.EncodeBit(prob, kBinShift, false);
        prob = ProbAfterHit(prob);
        foundState_ = s;
        UpdateBin();
        return;
      }
      rc_.EncodeBit(prob, kBinShift, true);
      prob = ProbAfterMiss(prob);
      EscapeFromBinary(prob);
    }
    while (EscapeToSuffix()) {
      if (EncodeInMaskedContext(symbol)) return;
    }
  }

  TPpmRangeEncoder& Coder() { return rc_; }

 private:
  bool EncodeInFirstContext(int symbol) {
    BoundTotal(minContext_);
    const uint32_t total = SummFreq(minContext_);
    const uint32_t ns = NumStats(minContext_);
    uint8_t* s = Stats(minContext_);
    if (Symbol(s) == symbol) {
      rc_.Encode(0, Freq(s), total);
      foundState_ = s;
      Update1_0();
      return true;
    }
    prevSuccess_ = 0;
    uint32_t low = Freq(s);
    for (uint32_t i = 1; i < ns; ++i) {
      s += kStateSize;
      if (Symbol(s) == symbol) {
        rc_.Encode(low, Freq(s), total);
        foundState_ = s;
        Update1();
        return true;
      }
      low += Freq(s);
    }
    hiBitsFlag_ = HighBitsFlag(Symbol(foundState_));
    rc_.Encode(low, total - std::min(low, total), total);
    NewMask();
    s = Stats(minContext_);
    for (uint32_t i = 0; i < ns; ++i, s += kStateSize) Mask(Symbol(s));
    return false;
  }

  bool EncodeInMaskedContext(int symbol) {
    BoundTotal(minContext_);
    uint8_t* s;
    const uint32_t ns = StatesOf(minContext_, s);
    uint32_t sum = 0, low = 0, unmasked = 0;
    uint8_t* found = nullptr;
    for (uint32_t i = 0; i < ns; ++i, s += kStateSize) {
      if (Masked(Symbol(s))) continue;
      if (Symbol(s) == symbol) {
        found = s;
        low = sum;
      }
      sum += Freq(s);
      ++unmasked;
    }
    if (unmasked == 0) return false;  // everything here was ruled out: the escape is certain
    uint32_t escFreq;
    TPpmSee* see = MakeEscFreq(unmasked, escFreq);
    const uint32_t total = MaskedTotal(sum, escFreq);
    if (found != nullptr) {
      rc_.Encode(low, Freq(found), total);
      see->Update();
      foundState_ = found;
      Update2();
      return true;
    }
    rc_.Encode(sum, total - std::min(sum, total), total);
    see->summ = static_cast<uint16_t>(see->summ + total);
    StatesOf(minContext_, s);
    for (uint32_t i = 0; i < ns; ++i, s += kStateSize) Mask(Symbol(s));
    return false;
  }

  TPpmRangeEncoder rc_;
};

class TPpmDecoder : public TPpmModel {
 public:
  TPpmDecoder(const TPpmModelParams& params, std::span<const uint8_t> code)
      : TPpmModel(params.order, params.memoryBytes), rc_(code.data(), code.size()) {}

  // 0..255, kEndSymbol, or kDamaged.
  static constexpr int kDamaged = -2;
  int DecodeSymbol() {
    if (NumStats(minContext_) != 1) {
      const int symbol = DecodeInFirstContext();
      if (symbol != kEscape) return symbol;
    } else {
      uint16_t& prob = BinProb();
      const int bit = rc_.DecodeBit(prob, kBinShift);
      if (bit < 0) return kDamaged;
      if (bit == 0) {
        prob = ProbAfterHit(prob);
        foundState_ = OneState(minContext_);
        const uint8_t symbol = Symbol(foundState_);
        UpdateBin();
        return symbol;
      }
      prob = ProbAfterMiss(prob);
      EscapeFromBinary(prob);
    }
    while (EscapeToSuffix()) {
      const int symbol = DecodeInMaskedContext();
      if (symbol != kEscape) return symbol;
    }
    return kEndSymbol;
  }

  const TPpmRangeDecoder& Coder() const { return rc_; }

 private:
  static constexpr int kEscape = -3;

  int DecodeInFirstContext() {
    BoundTotal(minContext_);
    const uint32_t total = SummFreq(minContext_);
    const uint32_t ns = NumStats(minContext_);
    const uint32_t count = rc_.GetCount(total);
    if (count >= total) return kDamaged;
    uint8_t* s = Stats(minContext_);
    uint32_t high = Freq(s);
    if (count < high) {
      rc_.Decode(0, high);
      foundState_ = s;
      const uint8_t symbol = Symbol(s);
      Update1_0();
      return symbol;
    }
    prevSuccess_ = 0;
    for (uint32_t i = 1; i < ns; ++i) {
      s += kStateSize;
      high += Freq(s);
      if (high > count) {
        rc_.Decode(high - Freq(s), Freq(s));
        foundState_ = s;
        const uint8_t symbol = Symbol(s);
        Update1();
        return symbol;
      }
    }
    if (high >= total) return kDamaged;  // no room for an escape: only a breach of invariant 2
    hiBitsFlag_ = HighBitsFlag(Symbol(foundState_));
    rc_.Decode(high, total - high);
    NewMask();
    s = Stats(minContext_);
    for (uint32_t i = 0; i < ns; ++i, s += kStateSize) Mask(Symbol(s));
    return kEscape;
  }

  int DecodeInMaskedContext() {
    BoundTotal(minContext_);
    uint8_t* s;
    const uint32_t ns = StatesOf(minContext_, s);
    uint8_t* candidates[256];
    uint32_t unmasked = 0, sum = 0;
    for (uint32_t i = 0; i < ns && unmasked < 256; ++i, s += kStateSize) {
      if (Masked(Symbol(s))) continue;
      candidates[unmasked++] = s;
      sum += Freq(s);
    }
    if (unmasked == 0) return kEscape;
    uint32_t escFreq;
    TPpmSee* see = MakeEscFreq(unmasked, escFreq);
    const uint32_t total = MaskedTotal(sum, escFreq);
    const uint32_t count = rc_.GetCount(total);
    if (count >= total) return kDamaged;
    if (count < sum) {
      uint32_t high = 0, k = 0;
      while ((high += Freq(candidates[k])) <= count) ++k;
      uint8_t* found = candidates[k];
      rc_.Decode(high - Freq(found), Freq(found));
      see->Update();
      foundState_ = found;
      const uint8_t symbol = Symbol(found);
      Update2();
      return symbol;
    }
    rc_.Decode(sum, total - sum);
    see->summ = static_cast<uint16_t>(see->summ + total);
    for (uint32_t i = 0; i < unmasked; ++i) Mask(Symbol(candidates[i]));
    return kEscape;
  }

  TPpmRangeDecoder rc_;
};

}  // namespace

std::optional<size_t> PpmEncode(const TPpmModelParams& params, std::span<const uint8_t> input, uint8_t* out,
                                size_t capacity, TPpmRunInfo* info) {
  TPpmEncoder encoder(params, out, capacity);
  for (const uint8_t byte : input) {
    encoder.EncodeSymbol(byte);
    if (encoder.Coder().Failed()) return std::nullopt;
  }
  encoder.EncodeSymbol(kEndSymbol);
  encoder.Coder().Flush();
  if (info != nullptr) info->restarts = encoder.RestartCount();
  if (encoder.Coder().Failed()) return std::nullopt;
  return encoder.Coder().Size();
}

TPpmDecodeResult PpmDecode(const TPpmModelParams& params, std::span<const uint8_t> code, size_t maxSize,
                           std::vector<uint8_t>& out, TPpmRunInfo* info) {
  out.clear();
  out.reserve(std::min<size_t>(maxSize, 1u << 20));
  TPpmDecoder decoder(params, code);
  TPpmDecodeResult result = TPpmDecodeResult::Ok;
  for (;;) {
    const int symbol = decoder.DecodeSymbol();
    if (symbol == TPpmDecoder::kDamaged || decoder.Coder().Overrun()) {
      result = TPpmDecodeResult::Damaged;
      break;
    }
    if (symbol == kEndSymbol) {
      if (decoder.Coder().Consumed() != code.size()) result = TPpmDecodeResult::Damaged;
      break;
    }
    if (out.size() == maxSize) {
      result = TPpmDecodeResult::TooLong;
      break;
    }
    out.push_back(static_cast<uint8_t>(symbol));
  }
  if (info != nullptr) info->restarts = decoder.RestartCount();
  return result;
}

}  // namespace dvx
