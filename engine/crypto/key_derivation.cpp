#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1  // MD4 and MD5 live in Weak
#include "engine/crypto/key_derivation.h"

#include <cryptopp/md4.h>
#include <cryptopp/md5.h>
#include <cryptopp/pwdbased.h>
#include <cryptopp/ripemd.h>
#include <cryptopp/sha.h>

#include <algorithm>
#include <stdexcept>

#include "engine/crypto/block_cipher.h"

namespace dvx {
namespace {

// Names a hash type without making an object of it.
template <class THash>
struct THashTag {
  using Type = THash;
};

template <class THash>
void Derive(const void* password, size_t passwordLength, const uint8_t* salt,
            size_t saltLength, uint32_t iterations, uint8_t* out, size_t outLength) {
  CryptoPP::PKCS5_PBKDF2_HMAC<THash> kdf;
  kdf.DeriveKey(out, outLength, 0, static_cast<const CryptoPP::byte*>(password), passwordLength,
                salt, saltLength, iterations);
}

}  // namespace

TDVXHashKind KeyDerivationHash(TDVXCryptoAlgorithm algorithm) {
  // The two "through RIPEMD-128" variants of the algorithm list.
  if (algorithm == craRijndael_128 || algorithm == craTwofish_128) return TDVXHashKind::RIPEMD128;
  return TDVXHashKind::SHA256;
}

void Pbkdf2Hmac(TDVXHashKind kind, const void* password, size_t passwordLength,
                const uint8_t* salt, size_t saltLength, uint32_t iterations, uint8_t* out,
                size_t outLength) {
  if (iterations == 0) throw std::invalid_argument("PBKDF2 needs at least one iteration");
  auto derive = [&](auto hash) {
    Derive<typename decltype(hash)::Type>(password, passwordLength, salt, saltLength, iterations,
                                          out, outLength);
  };
  switch (kind) {
    case TDVXHashKind::MD4: return derive(THashTag<CryptoPP::Weak::MD4>{});
    case TDVXHashKind::MD5: return derive(THashTag<CryptoPP::Weak::MD5>{});
    case TDVXHashKind::SHA1: return derive(THashTag<CryptoPP::SHA1>{});
    case TDVXHashKind::SHA256: return derive(THashTag<CryptoPP::SHA256>{});
    case TDVXHashKind::RIPEMD128: return derive(THashTag<CryptoPP::RIPEMD128>{});
    case TDVXHashKind::RIPEMD160: return derive(THashTag<CryptoPP::RIPEMD160>{});
    case TDVXHashKind::RIPEMD256: return derive(THashTag<CryptoPP::RIPEMD256>{});
    case TDVXHashKind::RIPEMD320: return derive(THashTag<CryptoPP::RIPEMD320>{});
  }
}

TDVXKeyBytes DeriveCipherKey(const TDVXCryptoInfo& info, const uint8_t* salt,
                             size_t saltLength) {
  const size_t keyLength = CipherKeyLength(info.algorithm);
  TDVXKeyBytes key;
  key.CleanNew(keyLength);  // zero bytes pad a short raw key
  if (!info.password.empty()) {
    Pbkdf2Hmac(KeyDerivationHash(info.algorithm), info.password.data(), info.password.size(),
               salt, saltLength, kKeyDerivationIterations, key.data(), keyLength);
  } else {
    std::copy_n(info.rawKey.data(), std::min(keyLength, info.rawKey.size()), key.data());
  }
  return key;
}

}  // namespace dvx
