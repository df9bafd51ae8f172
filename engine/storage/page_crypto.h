#pragma once
// Where the ciphers plug into the page path.
//
// The disk page manager asks the crypto provider for one TDVXPageCipher when
// a database with a CryptoAlgorithm other than 0 is created or opened, and
// runs every transfer of page-area bytes through it, at the transfer's
// position relative to HeaderOffset: whole pages (at the page's position),
// partial page transfers (at their own position), direct internal-file
// transfers (one transfer per page segment) and free-space bitmap pages (as
// whole pages). The KeyCheckBlock is enciphered as one transfer at position
// 26, its checksum taken over the plain bytes (EngineCrc32).
//
// The data-protection module installs its factory with
// SetPageCryptoProvider: createCipher builds the cipher of
// info.algorithm/info.mode from the password (key derivation) or the raw
// key, with the configured initialisation vector when useInitVector is set;
// fillRandom fills the KeyCheckBlock and new pages of encrypted databases.
// Without a provider an encrypted database cannot be created or opened.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/crypto/crypto_info.h"
#include "engine/storage/page_cipher.h"

namespace dvx {

struct TDVXPageCryptoProvider {
  // Null result: the algorithm is not available.
  std::function<std::unique_ptr<TDVXPageCipher>(const TDVXCryptoInfo& info)> createCipher;
  // Unset: the system random source.
  std::function<void(uint8_t* buffer, size_t count)> fillRandom;
};

// The process-wide provider that new disk page managers take.
TDVXPageCryptoProvider PageCryptoProvider();
void SetPageCryptoProvider(TDVXPageCryptoProvider provider);

}  // namespace dvx
