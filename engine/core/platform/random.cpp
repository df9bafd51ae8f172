#include "engine/core/platform/random.h"

#include <sys/random.h>

#include <mutex>
#include <random>

namespace dvx {
namespace {

class TDVXSystemRandom : public TDVXRandom {
 public:
  TDVXSystemRandom() {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(), device(), device()};
    engine_.seed(seed);
  }

  uint32_t Next(uint32_t range) override {
    if (range == 0) return 0;
    std::lock_guard<std::mutex> guard(lock_);
    return std::uniform_int_distribution<uint32_t>(0, range - 1)(engine_);
  }

  // Key material and salts come straight from the kernel's generator.
  void Fill(void* buffer, size_t count) override {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
      ssize_t n = ::getrandom(out + done, count - done, 0);
      if (n <= 0) {
        std::lock_guard<std::mutex> guard(lock_);
        for (; done < count; ++done) out[done] = static_cast<uint8_t>(engine_());
        return;
      }
      done += static_cast<size_t>(n);
    }
  }

 private:
  std::mutex lock_;
  std::mt19937_64 engine_;
};

}  // namespace

TDVXRandom& TDVXRandom::System() {
  static TDVXSystemRandom* random = new TDVXSystemRandom();
  return *random;
}

}  // namespace dvx
