#include "engine/crypto/crypto_info.h"

#include <cstring>

namespace dvx {
namespace {

// A store the compiler may not drop although the memory is released next.
void Wipe(void* data, size_t count) {
  volatile uint8_t* p = static_cast<volatile uint8_t*>(data);
  while (count--) *p++ = 0;
}

}  // namespace

TDVXCryptoInfo::TDVXCryptoInfo(const TDVXCryptoInfo& other)
    : rawKey(other.rawKey),
      initVector(other.initVector),
      password(other.password),
      algorithm(other.algorithm),
      mode(other.mode),
      useInitVector(other.useInitVector) {}

TDVXCryptoInfo& TDVXCryptoInfo::operator=(const TDVXCryptoInfo& other) {
  if (this == &other) return *this;
  Clear();
  rawKey = other.rawKey;
  initVector = other.initVector;
  password = other.password;
  algorithm = other.algorithm;
  mode = other.mode;
  useInitVector = other.useInitVector;
  return *this;
}

TDVXCryptoInfo::~TDVXCryptoInfo() { Clear(); }

void TDVXCryptoInfo::Clear() {
  Wipe(rawKey.data(), rawKey.size());
  Wipe(initVector.data(), initVector.size());
  Wipe(password.data(), password.size());
  rawKey.clear();
  initVector.clear();
  password.clear();
  algorithm = craNone;
  mode = acmCTS;
  useInitVector = false;
}

}  // namespace dvx
