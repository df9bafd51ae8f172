#include "engine/crypto/lfsr_random.h"

#include <cstring>

namespace dvx {

TDVXLfsrRandom::TDVXLfsrRandom(TDVXRandom& source) {
  uint8_t seed[kLfsrSeedSize];
  source.Fill(seed, sizeof(seed));
  Seed(seed);
  volatile uint8_t* wipe = seed;
  for (size_t i = 0; i < sizeof(seed); ++i) wipe[i] = 0;
}

TDVXLfsrRandom::TDVXLfsrRandom(const uint8_t* seed) { Seed(seed); }

TDVXLfsrRandom::~TDVXLfsrRandom() {
  volatile uint64_t* wipe = state_.data();
  for (size_t i = 0; i < state_.size(); ++i) wipe[i] = 0;
}

void TDVXLfsrRandom::Seed(const uint8_t* seed) {
  uint8_t bytes[sizeof(state_)];
  std::memcpy(bytes, seed, kLfsrSeedSize);
  for (size_t i = kLfsrSeedSize; i < sizeof(bytes); ++i)
    bytes[i] = static_cast<uint8_t>(0xA5 ^ (i * 29));
  for (size_t w = 0; w < state_.size(); ++w) {
    uint64_t word = 0;
    for (int k = 7; k >= 0; --k) word = (word << 8) | bytes[w * 8 + k];
    state_[w] = word;
  }
  index_ = 0;
  // Let every seed bit reach every word before the first output.
  for (int i = 0; i < 64; ++i) Next64();
}

uint64_t TDVXLfsrRandom::Next64() {
  const uint64_t s0 = state_[index_];
  index_ = (index_ + 1) & 15;
  uint64_t s1 = state_[index_];
  s1 ^= s1 << 31;
  state_[index_] = s1 ^ s0 ^ (s1 >> 11) ^ (s0 >> 30);
  return state_[index_] * 0x106689D45497FDB5ull;
}

uint32_t TDVXLfsrRandom::Next(uint32_t range) {
  if (range == 0) return 0;
  // Rejection keeps the draw uniform: values at or above the largest
  // multiple of range below 2^32 are drawn again.
  const uint32_t limit = static_cast<uint32_t>((uint64_t{1} << 32) - ((uint64_t{1} << 32) % range));
  for (;;) {
    const uint32_t value = static_cast<uint32_t>(Next64() >> 32);
    if (limit == 0 || value < limit) return value % range;
  }
}

void TDVXLfsrRandom::Fill(void* buffer, size_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    uint64_t word = Next64();
    const size_t n = count < 8 ? count : 8;
    for (size_t i = 0; i < n; ++i, word >>= 8) *out++ = static_cast<uint8_t>(word);
    count -= n;
  }
}

}  // namespace dvx
