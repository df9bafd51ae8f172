#pragma once
// The block ciphers behind TDVXCryptoAlgorithm. A TDVXBlockCipher is keyed
// once and then transforms single blocks; the modes (cipher_mode.h) chain
// those blocks. Keyed objects keep their key schedules in memory that is
// wiped on destruction.
//
//   algorithm          cipher                          key bytes  block
//   craRijndael_128    AES-128                         16         16
//   craRijndael_256    AES-256                         32         16
//   craBlowfish        Blowfish, 448-bit key           56         8
//   craTwofish_128     Twofish-128                     16         16
//   craTwofish_256     Twofish-256                     32         16
//   craSquare          Square                          16         16
//   craDES_Single_8    DES                             8          8
//   craDES_Double_8    DES twice with one key          8          8
//   craDES_Double_16   DES with K1, then DES with K2   16         8
//   craDES_Triple_8    triple DES (EDE), one key       8          8
//   craDES_Triple_16   triple DES (EDE), K1 K2 K1      16         8
//   craDES_Triple_24   triple DES (EDE), K1 K2 K3      24         8
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/crypto/crypto_info.h"

namespace dvx {

constexpr size_t kMaxCipherBlockSize = 16;
constexpr size_t kMaxCipherKeyLength = 56;

class TDVXBlockCipher {
 public:
  virtual ~TDVXBlockCipher() = default;
  virtual size_t BlockSize() const = 0;
  // out = E(in) xor mask (mask may be null); in and out may alias.
  virtual void EncryptBlock(const uint8_t* in, uint8_t* out,
                            const uint8_t* mask = nullptr) const = 0;
  // out = D(in) xor mask (mask may be null); in and out may alias.
  virtual void DecryptBlock(const uint8_t* in, uint8_t* out,
                            const uint8_t* mask = nullptr) const = 0;
};

// Key length and block size of an algorithm; 10699 for anything but 1..12.
size_t CipherKeyLength(TDVXCryptoAlgorithm algorithm);
size_t CipherBlockSize(TDVXCryptoAlgorithm algorithm);

// Builds the keyed cipher. `keyLength` must equal CipherKeyLength; the key
// derivation (key_derivation.h) produces keys of exactly that length.
std::unique_ptr<TDVXBlockCipher> CreateBlockCipher(TDVXCryptoAlgorithm algorithm,
                                                   const uint8_t* key, size_t keyLength);

}  // namespace dvx
