#pragma once
// The random source for generated names, default database names, salts and
// the seed of the page-filling generator.
#include <cstddef>
#include <cstdint>

namespace dvx {

class TDVXRandom {
 public:
  virtual ~TDVXRandom() = default;
  // A uniformly drawn value in [0, range); range must be positive.
  virtual uint32_t Next(uint32_t range) = 0;
  virtual void Fill(void* buffer, size_t count) = 0;

  // Seeded from the operating system's entropy; safe to use from several
  // threads.
  static TDVXRandom& System();
};

}  // namespace dvx
