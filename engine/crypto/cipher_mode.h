#pragma once
// The four chaining modes of TDVXCryptoMode over a keyed TDVXBlockCipher,
// for messages of any length from 1 byte. With B the block size and IV the
// message's initialisation vector (B bytes):
//
//   acmCBC  cipher block chaining over the whole blocks; a trailing partial
//           block of r bytes is closed by residual-block termination: it is
//           xored with the first r bytes of E(previous ciphertext block), or
//           of E(IV) when the message is shorter than one block.
//   acmCTS  CBC with ciphertext stealing when the message holds at least one
//           block. One block is plain CBC. Longer messages take the form in
//           which the last two cipher blocks are always swapped, also when
//           the length is a multiple of B: ..., C(n-2), E(Pn|0 xor X), X
//           cut to the length of Pn, where X = E(P(n-1) xor C(n-2)). Below
//           one block, residual termination with E(IV) as in CBC.
//   acmCFB  cipher feedback with B-byte feedback; the last block may be
//           partial.
//   acmOFB  output feedback; the last block may be partial.
//
// The ciphertext is exactly as long as the plaintext in every mode. `in`
// and `out` may be the same buffer (but must not otherwise overlap).
#include <cstddef>
#include <cstdint>

#include "engine/crypto/block_cipher.h"
#include "engine/crypto/crypto_info.h"

namespace dvx {

void EncryptMessage(const TDVXBlockCipher& cipher, TDVXCryptoMode mode, const uint8_t* iv,
                    const uint8_t* in, uint8_t* out, size_t count);
void DecryptMessage(const TDVXBlockCipher& cipher, TDVXCryptoMode mode, const uint8_t* iv,
                    const uint8_t* in, uint8_t* out, size_t count);

}  // namespace dvx
