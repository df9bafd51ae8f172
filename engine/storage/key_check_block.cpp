#include "engine/storage/key_check_block.h"

#include <cryptopp/misc.h>

#include "engine/crypto/crc32.h"
#include "engine/core/exception.h"

namespace dvx {

uint32_t CreateKeyCheckBlock(TDVXPageCipher& cipher, TDVXRandom& random, uint8_t* block) {
  random.Fill(block, kKeyCheckBlockSize);
  const uint32_t sum = EngineCrc32(block, kKeyCheckBlockSize);
  cipher.Encrypt(kKeyCheckBlockPosition, block, block, kKeyCheckBlockSize);
  return sum;
}

bool KeyCheckBlockMatches(TDVXPageCipher& cipher, const uint8_t* block, uint32_t keyCheckSum) {
  uint8_t plain[kKeyCheckBlockSize];
  cipher.Decrypt(kKeyCheckBlockPosition, block, plain, kKeyCheckBlockSize);
  const bool match = EngineCrc32(plain, kKeyCheckBlockSize) == keyCheckSum;
  CryptoPP::SecureWipeBuffer(plain, kKeyCheckBlockSize);
  return match;
}

void CheckEncryptionKey(TDVXPageCipher& cipher, const uint8_t* block, uint32_t keyCheckSum,
                        const std::string& fileName) {
  if (!KeyCheckBlockMatches(cipher, block, keyCheckSum))
    throw EDVXException(kErrInvalidEncryptionKey,
                        "Error opening database file '%s', invalid encryption key", {fileName});
}

}  // namespace dvx
