#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1  // MD4 and MD5 live in Weak
#include "engine/crypto/hashes.h"

#include <cryptopp/md4.h>
#include <cryptopp/md5.h>
#include <cryptopp/ripemd.h>
#include <cryptopp/sha.h>

namespace dvx {
namespace {

std::unique_ptr<CryptoPP::HashTransformation> MakeHash(TDVXHashKind kind) {
  switch (kind) {
    case TDVXHashKind::MD4: return std::make_unique<CryptoPP::Weak::MD4>();
    case TDVXHashKind::MD5: return std::make_unique<CryptoPP::Weak::MD5>();
    case TDVXHashKind::SHA1: return std::make_unique<CryptoPP::SHA1>();
    case TDVXHashKind::SHA256: return std::make_unique<CryptoPP::SHA256>();
    case TDVXHashKind::RIPEMD128: return std::make_unique<CryptoPP::RIPEMD128>();
    case TDVXHashKind::RIPEMD160: return std::make_unique<CryptoPP::RIPEMD160>();
    case TDVXHashKind::RIPEMD256: return std::make_unique<CryptoPP::RIPEMD256>();
    case TDVXHashKind::RIPEMD320: return std::make_unique<CryptoPP::RIPEMD320>();
  }
  return std::make_unique<CryptoPP::SHA256>();
}

}  // namespace

TDVXHash::TDVXHash(TDVXHashKind kind) : kind_(kind), hash_(MakeHash(kind)) {}

TDVXHash::~TDVXHash() = default;

size_t TDVXHash::DigestSize() const { return hash_->DigestSize(); }

size_t TDVXHash::BlockSize() const { return hash_->BlockSize(); }

void TDVXHash::Update(const void* data, size_t count) {
  hash_->Update(static_cast<const CryptoPP::byte*>(data), count);
}

std::vector<uint8_t> TDVXHash::Final() {
  std::vector<uint8_t> digest(hash_->DigestSize());
  hash_->Final(digest.data());
  return digest;
}

std::vector<uint8_t> HashBytes(TDVXHashKind kind, const void* data, size_t count) {
  TDVXHash hash(kind);
  hash.Update(data, count);
  return hash.Final();
}

}  // namespace dvx
