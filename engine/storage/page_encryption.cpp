#include "engine/storage/page_encryption.h"

#include <cryptopp/misc.h>

#include <functional>

#include "engine/core/exception.h"
#include "engine/core/platform/random.h"
#include "engine/crypto/crypto_names.h"
#include "engine/crypto/database_cipher.h"
#include "engine/crypto/key_derivation.h"
#include "engine/storage/key_check_block.h"
#include "engine/storage/storage_errors.h"

namespace dvx {
namespace {

static_assert(kSaltSize == kKeySaltSize);

// A provider's fill function as the random source the KeyCheckBlock takes.
class TFunctionRandom : public TDVXRandom {
 public:
  explicit TFunctionRandom(std::function<void(uint8_t*, size_t)> fill) : fill_(std::move(fill)) {}
  uint32_t Next(uint32_t range) override {
    uint32_t value = 0;
    Fill(&value, sizeof value);
    return value % range;
  }
  void Fill(void* buffer, size_t count) override { fill_(static_cast<uint8_t*>(buffer), count); }

 private:
  std::function<void(uint8_t*, size_t)> fill_;
};

}  // namespace

TDVXPageEncryption::TDVXPageEncryption(TDVXPageCryptoProvider provider) : provider_(std::move(provider)) {}

TDVXPageEncryption::~TDVXPageEncryption() { Clear(); }

void TDVXPageEncryption::Clear() {
  cipher_.reset();
  CryptoPP::SecureWipeBuffer(salt_.data(), salt_.size());
}

void TDVXPageEncryption::CheckParameters(int algorithm, int mode) {
  if (algorithm != craNone) CheckCryptoAlgorithm(algorithm);
  CheckCryptoMode(mode);
}

void TDVXPageEncryption::FillKeyMaterial(uint8_t* buffer, size_t count) {
  if (provider_.fillRandom)
    provider_.fillRandom(buffer, count);
  else
    TDVXRandom::System().Fill(buffer, count);
}

void TDVXPageEncryption::FillPage(uint8_t* buffer, size_t count) {
  if (provider_.fillRandom) {
    provider_.fillRandom(buffer, count);
    return;
  }
  if (!pageRandom_) pageRandom_ = std::make_unique<TDVXLfsrRandom>(TDVXRandom::System());
  pageRandom_->Fill(buffer, count);
}

void TDVXPageEncryption::CreateCipher(const TDVXCryptoInfo& crypto) {
  cipher_.reset();
  if (crypto.algorithm == craNone) return;
  if (provider_.createCipher) {
    cipher_ = provider_.createCipher(crypto, salt_.data());
    if (!cipher_)
      throw EDVXException(kErrCipherUnavailable, "Error - crypto algorithm %d is not available",
                          {int(crypto.algorithm)});
  } else {
    cipher_ = std::make_unique<TDVXDatabaseCipher>(crypto, salt_.data());
  }
}

void TDVXPageEncryption::PrepareNew(const TDVXCryptoInfo& crypto) {
  CheckParameters(crypto.algorithm, crypto.mode);
  salt_.fill(0);
  if (crypto.algorithm != craNone) FillKeyMaterial(salt_.data(), salt_.size());
  CreateCipher(crypto);
}

void TDVXPageEncryption::FillKeyCheck(TDVXFileHeader& header, const TDVXCryptoInfo& crypto) {
  if (!cipher_) return;
  TFunctionRandom random([this](uint8_t* b, size_t n) { FillKeyMaterial(b, n); });
  header.keyCheckSum = CreateKeyCheckBlock(*cipher_, random, header.keyCheckBlock.data());
  header.cryptoAlgorithm = crypto.algorithm;
  header.cryptoMode = crypto.mode;
  header.passwordUsed = crypto.password.empty() ? 0 : 1;
}

void TDVXPageEncryption::Open(const TDVXCryptoInfo& crypto, const TDVXFileHeader& header, const uint8_t* salt,
                              bool skipKeyCheck, const std::string& fileName) {
  std::copy(salt, salt + kSaltSize, salt_.begin());
  cipher_.reset();
  if (skipKeyCheck) return;
  CreateCipher(crypto);
  CheckEncryptionKey(*cipher_, header.keyCheckBlock.data(), header.keyCheckSum, fileName);
}

}  // namespace dvx
