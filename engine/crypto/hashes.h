#pragma once
// The message digests of the data protection subsystem. RIPEMD-128 and
// SHA-256 carry the key derivation (key_derivation.h); the others are
// offered for stored checksums and later use.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace CryptoPP {
class HashTransformation;
}

namespace dvx {

enum class TDVXHashKind { MD4, MD5, SHA1, SHA256, RIPEMD128, RIPEMD160, RIPEMD256, RIPEMD320 };

// An incremental digest: Update any number of times, then Final, after which
// the object starts over.
class TDVXHash {
 public:
  explicit TDVXHash(TDVXHashKind kind);
  ~TDVXHash();
  TDVXHash(const TDVXHash&) = delete;
  TDVXHash& operator=(const TDVXHash&) = delete;

  TDVXHashKind Kind() const { return kind_; }
  size_t DigestSize() const;
  // The block length the HMAC construction pads keys to.
  size_t BlockSize() const;
  void Update(const void* data, size_t count);
  std::vector<uint8_t> Final();

 private:
  TDVXHashKind kind_;
  std::unique_ptr<CryptoPP::HashTransformation> hash_;
};

std::vector<uint8_t> HashBytes(TDVXHashKind kind, const void* data, size_t count);
inline std::vector<uint8_t> HashBytes(TDVXHashKind kind, std::string_view text) {
  return HashBytes(kind, text.data(), text.size());
}

}  // namespace dvx
