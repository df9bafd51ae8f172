#include "engine/crypto/cipher_mode.h"

#include <cstring>

#include "engine/crypto/crypto_names.h"

namespace dvx {
namespace {

using TBlock = uint8_t[kMaxCipherBlockSize];

void XorInto(uint8_t* out, const uint8_t* a, const uint8_t* b, size_t count) {
  for (size_t i = 0; i < count; ++i) out[i] = a[i] ^ b[i];
}

// Residual-block termination: the r trailing bytes are xored with E(chain).
void Residual(const TDVXBlockCipher& cipher, const uint8_t* chain, const uint8_t* in,
              uint8_t* out, size_t r) {
  TBlock stream;
  cipher.EncryptBlock(chain, stream);
  XorInto(out, in, stream, r);
}

// CBC over `blocks` whole blocks; `chain` holds the IV on entry and the last
// ciphertext block on return.
void CbcEncryptBlocks(const TDVXBlockCipher& cipher, uint8_t* chain, const uint8_t* in,
                      uint8_t* out, size_t blocks) {
  const size_t b = cipher.BlockSize();
  TBlock mixed;
  for (size_t i = 0; i < blocks; ++i, in += b, out += b) {
    XorInto(mixed, in, chain, b);
    cipher.EncryptBlock(mixed, out);
    std::memcpy(chain, out, b);
  }
}

void CbcDecryptBlocks(const TDVXBlockCipher& cipher, uint8_t* chain, const uint8_t* in,
                      uint8_t* out, size_t blocks) {
  const size_t b = cipher.BlockSize();
  TBlock saved;
  for (size_t i = 0; i < blocks; ++i, in += b, out += b) {
    std::memcpy(saved, in, b);  // in and out may be the same block
    cipher.DecryptBlock(saved, out, chain);
    std::memcpy(chain, saved, b);
  }
}

using TCbcBlocks = void (*)(const TDVXBlockCipher&, uint8_t*, const uint8_t*, uint8_t*, size_t);

// CBC over the whole blocks in either direction, then residual-block
// termination of a partial tail (the same keystream both ways).
void Cbc(TCbcBlocks wholeBlocks, const TDVXBlockCipher& cipher, const uint8_t* iv,
         const uint8_t* in, uint8_t* out, size_t count) {
  const size_t b = cipher.BlockSize();
  TBlock chain;
  std::memcpy(chain, iv, b);
  const size_t blocks = count / b;
  wholeBlocks(cipher, chain, in, out, blocks);
  if (count % b) Residual(cipher, chain, in + blocks * b, out + blocks * b, count % b);
}

void CbcEncrypt(const TDVXBlockCipher& cipher, const uint8_t* iv, const uint8_t* in,
                uint8_t* out, size_t count) {
  Cbc(CbcEncryptBlocks, cipher, iv, in, out, count);
}

void CbcDecrypt(const TDVXBlockCipher& cipher, const uint8_t* iv, const uint8_t* in,
                uint8_t* out, size_t count) {
  Cbc(CbcDecryptBlocks, cipher, iv, in, out, count);
}

void CtsEncrypt(const TDVXBlockCipher& cipher, const uint8_t* iv, const uint8_t* in,
                uint8_t* out, size_t count) {
  const size_t b = cipher.BlockSize();
  if (count <= b) return CbcEncrypt(cipher, iv, in, out, count);
  const size_t blocks = (count + b - 1) / b;    // n, the last one possibly partial
  const size_t last = count - (blocks - 1) * b;  // 1..b bytes in Pn
  TBlock chain, x, padded;
  std::memcpy(chain, iv, b);
  CbcEncryptBlocks(cipher, chain, in, out, blocks - 2);
  const uint8_t* pen = in + (blocks - 2) * b;
  uint8_t* outPen = out + (blocks - 2) * b;
  XorInto(x, pen, chain, b);
  cipher.EncryptBlock(x, x);  // X = E(P(n-1) xor C(n-2))
  std::memset(padded, 0, b);
  std::memcpy(padded, pen + b, last);  // read Pn before anything is written
  XorInto(padded, padded, x, b);
  cipher.EncryptBlock(padded, outPen);
  std::memcpy(outPen + b, x, last);
}

void CtsDecrypt(const TDVXBlockCipher& cipher, const uint8_t* iv, const uint8_t* in,
                uint8_t* out, size_t count) {
  const size_t b = cipher.BlockSize();
  if (count <= b) return CbcDecrypt(cipher, iv, in, out, count);
  const size_t blocks = (count + b - 1) / b;
  const size_t last = count - (blocks - 1) * b;
  TBlock chain, z, x;
  std::memcpy(chain, iv, b);
  CbcDecryptBlocks(cipher, chain, in, out, blocks - 2);
  const uint8_t* pen = in + (blocks - 2) * b;
  uint8_t* outPen = out + (blocks - 2) * b;
  cipher.DecryptBlock(pen, z);  // Z = Pn|0 xor X
  std::memcpy(x, pen + b, last);
  std::memcpy(x + last, z + last, b - last);
  XorInto(outPen + b, z, x, last);  // Pn; in+b is no longer needed (copied to x)
  cipher.DecryptBlock(x, outPen, chain);
}

void CfbEncrypt(const TDVXBlockCipher& cipher, const uint8_t* iv, const uint8_t* in,
                uint8_t* out, size_t count) {
  const size_t b = cipher.BlockSize();
  TBlock reg;
  std::memcpy(reg, iv, b);
  for (size_t done = 0; done < count; done += b) {
    const size_t n = count - done < b ? count - done : b;
    cipher.EncryptBlock(reg, reg);
    XorInto(out + done, in + done, reg, n);
    std::memcpy(reg, out + done, n);
  }
}

void CfbDecrypt(const TDVXBlockCipher& cipher, const uint8_t* iv, const uint8_t* in,
                uint8_t* out, size_t count) {
  const size_t b = cipher.BlockSize();
  TBlock reg, saved;
  std::memcpy(reg, iv, b);
  for (size_t done = 0; done < count; done += b) {
    const size_t n = count - done < b ? count - done : b;
    cipher.EncryptBlock(reg, reg);
    std::memcpy(saved, in + done, n);
    XorInto(out + done, saved, reg, n);
    std::memcpy(reg, saved, n);
  }
}

void Ofb(const TDVXBlockCipher& cipher, const uint8_t* iv, const uint8_t* in, uint8_t* out,
         size_t count) {
  const size_t b = cipher.BlockSize();
  TBlock reg;
  std::memcpy(reg, iv, b);
  for (size_t done = 0; done < count; done += b) {
    const size_t n = count - done < b ? count - done : b;
    cipher.EncryptBlock(reg, reg);
    XorInto(out + done, in + done, reg, n);
  }
}

}  // namespace

void EncryptMessage(const TDVXBlockCipher& cipher, TDVXCryptoMode mode, const uint8_t* iv,
                    const uint8_t* in, uint8_t* out, size_t count) {
  if (count == 0) return;
  switch (CheckCryptoMode(mode)) {
    case acmCTS: return CtsEncrypt(cipher, iv, in, out, count);
    case acmCBC: return CbcEncrypt(cipher, iv, in, out, count);
    case acmCFB: return CfbEncrypt(cipher, iv, in, out, count);
    case acmOFB: return Ofb(cipher, iv, in, out, count);
  }
}

void DecryptMessage(const TDVXBlockCipher& cipher, TDVXCryptoMode mode, const uint8_t* iv,
                    const uint8_t* in, uint8_t* out, size_t count) {
  if (count == 0) return;
  switch (CheckCryptoMode(mode)) {
    case acmCTS: return CtsDecrypt(cipher, iv, in, out, count);
    case acmCBC: return CbcDecrypt(cipher, iv, in, out, count);
    case acmCFB: return CfbDecrypt(cipher, iv, in, out, count);
    case acmOFB: return Ofb(cipher, iv, in, out, count);
  }
}

}  // namespace dvx
