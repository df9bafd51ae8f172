#pragma once
// The linear-feedback shift register generator that fills new pages of an
// encrypted database with random bytes, so that page space never written
// does not hold zeros (known plaintext).
//
// The register is 1024 bits wide, kept as 16 64-bit words and stepped with
// xorshift feedback (a linear recurrence over GF(2) of full period
// 2^1024 - 1); each step's output word is multiplied by an odd constant to
// hide the linear structure from simple tests. It is seeded with 100 random
// bytes; the rest of the register holds a fixed non-zero pattern, so no seed
// can give the all-zero register.
//
// Fast, not a source of key material (salts and the KeyCheckBlock draw from
// TDVXRandom::System()). Not thread-safe: the owner serialises use.
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/core/platform/random.h"

namespace dvx {

constexpr size_t kLfsrSeedSize = 100;

class TDVXLfsrRandom : public TDVXRandom {
 public:
  // Draws the 100 seed bytes from `source`.
  explicit TDVXLfsrRandom(TDVXRandom& source);
  // `seed` must hold kLfsrSeedSize bytes.
  explicit TDVXLfsrRandom(const uint8_t* seed);
  ~TDVXLfsrRandom() override;

  uint64_t Next64();
  uint32_t Next(uint32_t range) override;
  void Fill(void* buffer, size_t count) override;

 private:
  void Seed(const uint8_t* seed);
  std::array<uint64_t, 16> state_{};
  size_t index_ = 0;
};

}  // namespace dvx
