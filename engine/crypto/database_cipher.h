#pragma once
// The page cipher of an encrypted database file.
//
// The key is derived once, when the object is built (key_derivation.h: a
// password costs 100,000 PBKDF2 iterations, so never per transfer). Every
// transfer is then enciphered on its own as one message in the database's
// mode (cipher_mode.h), with an initialisation vector of its own:
//
//   IV = E_K(V xor P)
//
// V is the configured vector (TDVXCryptoInfo::initVector, cut or padded with
// zero bytes to the block size) when useInitVector is set, otherwise the
// default vector of zero bytes. P is the transfer's 64-bit position relative
// to HeaderOffset, little-endian, xored into the first 8 bytes of V. So equal
// plaintext at different positions enciphers differently, the IV is not
// predictable without the key, and the database can be moved within the
// file that holds it. Bytes are read back by a transfer of the same position
// and length as the one that wrote them.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/crypto/block_cipher.h"
#include "engine/crypto/crypto_info.h"
#include "engine/crypto/page_cipher.h"

namespace dvx {

class TDVXDatabaseCipher : public TDVXPageCipher {
 public:
  // `info` must name an algorithm 1..12 (otherwise 10699) and a mode 0..3
  // (otherwise 10701). `salt` holds kKeySaltSize bytes (key_derivation.h);
  // it is only read when info.password is not empty and may be null
  // otherwise (a password without salt is refused: std::invalid_argument).
  // `info` is not kept.
  TDVXDatabaseCipher(const TDVXCryptoInfo& info, const uint8_t* salt);
  ~TDVXDatabaseCipher() override;
  TDVXDatabaseCipher(const TDVXDatabaseCipher&) = delete;
  TDVXDatabaseCipher& operator=(const TDVXDatabaseCipher&) = delete;

  // Both only read the keyed cipher and keep no state between transfers,
  // so concurrent transfers through one object are safe.
  void Encrypt(uint64_t position, const uint8_t* in, uint8_t* out, size_t count) override;
  void Decrypt(uint64_t position, const uint8_t* in, uint8_t* out, size_t count) override;

  TDVXCryptoAlgorithm Algorithm() const { return algorithm_; }
  TDVXCryptoMode Mode() const { return mode_; }
  size_t BlockSize() const { return cipher_->BlockSize(); }

 private:
  void TransferVector(uint64_t position, uint8_t* iv) const;

  TDVXCryptoAlgorithm algorithm_;
  TDVXCryptoMode mode_;
  std::unique_ptr<TDVXBlockCipher> cipher_;
  uint8_t baseVector_[kMaxCipherBlockSize] = {};
};

}  // namespace dvx
