#pragma once
// The KeyCheckBlock of an encrypted database's header: 256 random bytes
// stored enciphered at header offset 26, with the engine CRC-32 of the plain
// bytes as KeyCheckSum at offset 282. Opening deciphers the block with the
// supplied key and compares checksums; a wrong key gives another checksum
// (but for a chance of 2^-32).
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/storage/file_header.h"
#include "engine/storage/storage_errors.h"
#include "engine/crypto/page_cipher.h"
#include "engine/core/platform/random.h"

namespace dvx {

// kKeyCheckBlockSize comes with the header layout (file_header.h). The
// block's position relative to HeaderOffset is the transfer position it is
// enciphered at.
constexpr uint64_t kKeyCheckBlockPosition = kKeyCheckBlockOffset;

// Fills `block` (kKeyCheckBlockSize bytes) from `random`, enciphers it in
// place and returns the checksum of the plain bytes (the KeyCheckSum).
uint32_t CreateKeyCheckBlock(TDVXPageCipher& cipher, TDVXRandom& random, uint8_t* block);

// Whether the stored block deciphers to bytes with checksum `keyCheckSum`.
// `block` is not changed.
bool KeyCheckBlockMatches(TDVXPageCipher& cipher, const uint8_t* block, uint32_t keyCheckSum);

// KeyCheckBlockMatches, or "Error opening database file '%s', invalid
// encryption key" (10712) naming `fileName`.
void CheckEncryptionKey(TDVXPageCipher& cipher, const uint8_t* block, uint32_t keyCheckSum,
                        const std::string& fileName);

}  // namespace dvx
