#pragma once
// Helpers shared by the storage tests: an in-memory file system, managers
// over it with lock waits short enough for tests, and byte access.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/storage/disk_page_manager.h"
#include "engine/core/exception.h"
#include "engine/core/platform/memory_file.h"

namespace dvx::test {

inline TDVXLockParams FastLocks() { return TDVXLockParams{3, 1}; }

// Runs `f` and returns the native code of the EDVXException it raises
// (0 when it raises none).
inline int32_t NativeOf(const std::function<void()>& f, std::string* message = nullptr) {
  try {
    f();
  } catch (const EDVXException& e) {
    if (message) *message = e.what();
    return e.NativeError();
  }
  return 0;
}

inline int32_t ReadI32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) |
                              (static_cast<uint32_t>(b.at(at + 3)) << 24));
}
inline uint16_t ReadU16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
inline void WriteI32(std::vector<uint8_t>& b, size_t at, int32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}
inline void WriteU16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b.at(at) = static_cast<uint8_t>(v);
  b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}

// A cipher for testing the hook: XOR with a key stream derived from the
// position, so bytes read back at another position come out wrong.
class TXorTestCipher : public TDVXPageCipher {
 public:
  explicit TXorTestCipher(uint8_t key) : key_(key) {}
  void Encrypt(uint64_t position, const uint8_t* in, uint8_t* out, size_t count) override { Run(position, in, out, count); }
  void Decrypt(uint64_t position, const uint8_t* in, uint8_t* out, size_t count) override { Run(position, in, out, count); }

 private:
  void Run(uint64_t position, const uint8_t* in, uint8_t* out, size_t count) {
    for (size_t i = 0; i < count; ++i) out[i] = in[i] ^ static_cast<uint8_t>(key_ + (position + i) * 31);
  }
  uint8_t key_;
};

// A provider whose key is the first byte of the password.
inline TDVXPageCryptoProvider XorProvider() {
  TDVXPageCryptoProvider provider;
  provider.createCipher = [](const TDVXCryptoInfo& info, const uint8_t*) -> std::unique_ptr<TDVXPageCipher> {
    uint8_t key = info.password.empty() ? 0 : static_cast<uint8_t>(info.password[0]);
    return std::make_unique<TXorTestCipher>(key);
  };
  provider.fillRandom = [](uint8_t* buffer, size_t count) {
    for (size_t i = 0; i < count; ++i) buffer[i] = static_cast<uint8_t>(0xA0 + i % 7);
  };
  return provider;
}

class TDiskFixture : public ::testing::Test {
 protected:
  static constexpr const char* kFile = "test.dvx";

  std::unique_ptr<TDVXDiskPageManager> NewManager() {
    return std::make_unique<TDVXDiskPageManager>(FastLocks(), fs_);
  }
  std::unique_ptr<TDVXDiskPageManager> Create(int pageSize = 4096, int extent = 8) {
    auto pm = NewManager();
    pm->CreateDatabaseFile(kFile, pageSize, extent);
    return pm;
  }
  std::unique_ptr<TDVXDiskPageManager> Open(bool exclusive = true, bool readOnly = false) {
    auto pm = NewManager();
    TDVXCryptoInfo crypto;
    pm->OpenDatabaseFile(kFile, readOnly, false, exclusive, crypto);
    return pm;
  }
  std::vector<uint8_t> Bytes() { return fs_.Contents(kFile); }

  TDVXMemoryFileSystem fs_;
};

}  // namespace dvx::test
