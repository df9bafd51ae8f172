#pragma once
// Helpers shared by the storage tests: an in-memory file system, managers
// over it with lock waits short enough for tests, and the shared byte
// helpers and matchers.
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
#include "tests/support/byte_helpers.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {

inline TDVXLockParams FastLocks() { return TDVXLockParams{3, 1}; }

using testing::DvxCodeOf;
using testing::DvxErrorOf;
using testing::FromHex;
using testing::Pattern;
using testing::ReadI32;
using testing::ReadU16;
using testing::ThrowsDvx;
using testing::ThrowsDvxWithText;
using testing::ToHex;
using testing::WriteI32;
using testing::WriteU16;
using ::testing::_;
using ::testing::HasSubstr;

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
