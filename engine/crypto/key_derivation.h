#pragma once
// Cipher keys from passwords or raw key bytes.
//
// A password is stretched with PBKDF2-HMAC over the database's 16-byte
// random salt, 100,000 iterations, to exactly the cipher's key length. The
// HMAC hash is RIPEMD-128 for craRijndael_128 and craTwofish_128 and SHA-256
// for every other algorithm. The iteration count is part of the file format:
// changing it makes existing encrypted files unreadable.
//
// Without a password the raw key bytes are the key as given, cut to the key
// length or padded with zero bytes.
#include <cryptopp/secblock.h>

#include <cstddef>
#include <cstdint>

#include "engine/crypto/crypto_info.h"
#include "engine/crypto/hashes.h"

namespace dvx {

constexpr uint32_t kKeyDerivationIterations = 100000;
constexpr size_t kKeySaltSize = 16;

// Key bytes; the memory is wiped when the block is released.
using TDVXKeyBytes = CryptoPP::SecByteBlock;

TDVXHashKind KeyDerivationHash(TDVXCryptoAlgorithm algorithm);

// PBKDF2 (PKCS #5 v2) with HMAC over `kind`; iterations >= 1.
void Pbkdf2Hmac(TDVXHashKind kind, const void* password, size_t passwordLength,
                const uint8_t* salt, size_t saltLength, uint32_t iterations, uint8_t* out,
                size_t outLength);

// The key of info.algorithm (10699 for craNone or an unknown number): from
// info.password when it is not empty, otherwise from info.rawKey. The salt
// only enters the password path.
TDVXKeyBytes DeriveCipherKey(const TDVXCryptoInfo& info, const uint8_t* salt,
                             size_t saltLength);

}  // namespace dvx
