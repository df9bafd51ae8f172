#pragma once
// TDVXPageEncryption: the encryption of one database file's page area. It
// owns what the page path needs to encipher: the 16-byte salt of the key
// derivation (stored plain in the reserved area after the lock bytes), the
// page cipher, the KeyCheckBlock that proves a key right, and the random
// generator that fills new pages so that page space never written does not
// hold zeros.
//
// Creating a file: PrepareNew (salt drawn, key derived before the file
// exists, so a refused cipher leaves an existing file alone), then
// FillKeyCheck into the new header. Opening one: Open with the salt read
// from the file; unless the key check is skipped, the cipher is built and
// the KeyCheckBlock compared (10712 on a wrong key). Without a cipher
// (plain file, or key check skipped) Encrypt and Decrypt are not called.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/crypto/crypto_info.h"
#include "engine/crypto/lfsr_random.h"
#include "engine/storage/file_header.h"
#include "engine/storage/page_crypto.h"

namespace dvx {

class TDVXPageEncryption {
 public:
  explicit TDVXPageEncryption(TDVXPageCryptoProvider provider = PageCryptoProvider());
  ~TDVXPageEncryption();
  TDVXPageEncryption(const TDVXPageEncryption&) = delete;
  TDVXPageEncryption& operator=(const TDVXPageEncryption&) = delete;

  void SetProvider(TDVXPageCryptoProvider provider) { provider_ = std::move(provider); }

  // Raises 10699 or 10701 for an algorithm or mode outside the lists. The
  // mode byte is checked in plain files too: a stray value there means the
  // header was damaged.
  static void CheckParameters(int algorithm, int mode);

  // A new file: draws the salt (encrypted only) and derives the key.
  void PrepareNew(const TDVXCryptoInfo& crypto);
  // Fills the header's crypto area for the prepared cipher: KeyCheckBlock,
  // KeyCheckSum, algorithm, mode and PasswordUsed.
  void FillKeyCheck(TDVXFileHeader& header, const TDVXCryptoInfo& crypto);
  // An opened encrypted file: `salt` as read from the file; with
  // `skipKeyCheck` no cipher is built (no key derivation).
  void Open(const TDVXCryptoInfo& crypto, const TDVXFileHeader& header, const uint8_t* salt, bool skipKeyCheck,
            const std::string& fileName);
  // Forgets the cipher and wipes the salt.
  void Clear();

  bool HasCipher() const { return cipher_ != nullptr; }
  // `position` relative to HeaderOffset; `in` and `out` may be the same.
  void Encrypt(uint64_t position, const uint8_t* in, uint8_t* out, size_t count) {
    cipher_->Encrypt(position, in, out, count);
  }
  void Decrypt(uint64_t position, const uint8_t* in, uint8_t* out, size_t count) {
    cipher_->Decrypt(position, in, out, count);
  }
  // Random bytes for page space never written.
  void FillPage(uint8_t* buffer, size_t count);
  const std::array<uint8_t, kSaltSize>& Salt() const { return salt_; }

 private:
  void CreateCipher(const TDVXCryptoInfo& crypto);
  // Salt and KeyCheckBlock bytes: the provider's, or the system source.
  void FillKeyMaterial(uint8_t* buffer, size_t count);

  TDVXPageCryptoProvider provider_;
  std::unique_ptr<TDVXPageCipher> cipher_;
  std::array<uint8_t, kSaltSize> salt_{};
  // Seeded on first use.
  std::unique_ptr<TDVXLfsrRandom> pageRandom_;
};

}  // namespace dvx
