#include "engine/storage/page_crypto.h"

#include <mutex>

namespace dvx {
namespace {

std::mutex& ProviderLock() {
  static std::mutex lock;
  return lock;
}

TDVXPageCryptoProvider& Provider() {
  static TDVXPageCryptoProvider provider;
  return provider;
}

}  // namespace

TDVXPageCryptoProvider PageCryptoProvider() {
  std::lock_guard<std::mutex> guard(ProviderLock());
  return Provider();
}

void SetPageCryptoProvider(TDVXPageCryptoProvider provider) {
  std::lock_guard<std::mutex> guard(ProviderLock());
  Provider() = std::move(provider);
}

}  // namespace dvx
