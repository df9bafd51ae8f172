#pragma once
// Where the ciphers plug into the page path.
//
// The disk page manager builds one TDVXPageCipher when a database with a
// CryptoAlgorithm other than 0 is created or opened (not for an open that
// skips the key check: header-only queries pay no key derivation), and runs
// the page area through it in whole pages, each enciphered at the page's
// position relative to HeaderOffset. The KeyCheckBlock is enciphered as one
// transfer at position 26, its checksum taken over the plain bytes.
//
// By default the manager builds the database cipher of the crypto library
// (the algorithm and mode of the header, the key derived from the password
// and the file's salt, or the raw key) and fills new pages from a
// linear-feedback generator of its own. A provider set here replaces either
// part, for every new manager (SetPageCryptoProvider) or for one
// (TDVXDiskPageManager::SetCryptoProvider); tests use it to inject a cipher
// whose output they can predict.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/crypto/crypto_info.h"
#include "engine/crypto/page_cipher.h"

namespace dvx {

struct TDVXPageCryptoProvider {
  // `salt` holds the file's kKeySaltSize salt bytes. A null result:
  // the algorithm is not available. Unset: the crypto library's cipher.
  std::function<std::unique_ptr<TDVXPageCipher>(const TDVXCryptoInfo& info, const uint8_t* salt)> createCipher;
  // Fills the salt, the KeyCheckBlock and new pages. Unset: the system
  // random source for salt and KeyCheckBlock, the manager's generator for
  // pages.
  std::function<void(uint8_t* buffer, size_t count)> fillRandom;
};

// The process-wide provider that new disk page managers take.
TDVXPageCryptoProvider PageCryptoProvider();
void SetPageCryptoProvider(TDVXPageCryptoProvider provider);

}  // namespace dvx
