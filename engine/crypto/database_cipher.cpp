#include "engine/crypto/database_cipher.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "engine/crypto/cipher_mode.h"
#include "engine/crypto/crypto_names.h"
#include "engine/crypto/key_derivation.h"

namespace dvx {

TDVXDatabaseCipher::TDVXDatabaseCipher(const TDVXCryptoInfo& info, const uint8_t* salt)
    : algorithm_(CheckCryptoAlgorithm(info.algorithm)), mode_(CheckCryptoMode(info.mode)) {
  if (!info.password.empty() && salt == nullptr)
    throw std::invalid_argument("a password key needs the database's salt");
  TDVXKeyBytes key = DeriveCipherKey(info, salt, salt ? kKeySaltSize : 0);
  cipher_ = CreateBlockCipher(algorithm_, key.data(), key.size());
  if (info.useInitVector)
    std::copy_n(info.initVector.data(), std::min(info.initVector.size(), cipher_->BlockSize()),
                baseVector_);
}

TDVXDatabaseCipher::~TDVXDatabaseCipher() {
  volatile uint8_t* wipe = baseVector_;
  for (size_t i = 0; i < sizeof(baseVector_); ++i) wipe[i] = 0;
}

void TDVXDatabaseCipher::TransferVector(uint64_t position, uint8_t* iv) const {
  std::memcpy(iv, baseVector_, cipher_->BlockSize());
  for (int i = 0; i < 8; ++i) iv[i] ^= static_cast<uint8_t>(position >> (8 * i));
  cipher_->EncryptBlock(iv, iv);
}

void TDVXDatabaseCipher::Encrypt(uint64_t position, const uint8_t* in, uint8_t* out,
                                 size_t count) {
  uint8_t iv[kMaxCipherBlockSize];
  TransferVector(position, iv);
  EncryptMessage(*cipher_, mode_, iv, in, out, count);
}

void TDVXDatabaseCipher::Decrypt(uint64_t position, const uint8_t* in, uint8_t* out,
                                 size_t count) {
  uint8_t iv[kMaxCipherBlockSize];
  TransferVector(position, iv);
  DecryptMessage(*cipher_, mode_, iv, in, out, count);
}

}  // namespace dvx
