#include "engine/crypto/block_cipher.h"

#include <cryptopp/aes.h>
#include <cryptopp/blowfish.h>
#include <cryptopp/des.h>
#include <cryptopp/misc.h>
#include <cryptopp/square.h>
#include <cryptopp/twofish.h>

#include <algorithm>
#include <stdexcept>

#include "engine/crypto/crypto_names.h"

namespace dvx {
namespace {

struct TAlgorithmShape {
  size_t keyLength;
  size_t blockSize;
};

constexpr TAlgorithmShape kShapes[kCryptoAlgorithmLast + 1] = {
    {0, 0},   // craNone
    {16, 16}, {32, 16},  // Rijndael
    {56, 8},             // Blowfish
    {16, 16}, {32, 16},  // Twofish
    {16, 16},            // Square
    {8, 8},              // DES
    {8, 8},   {16, 8},   // double DES
    {8, 8},   {16, 8},  {24, 8}};  // triple DES

// One Crypto++ block cipher, keyed in both directions.
template <class TCipher>
class TLibraryBlockCipher : public TDVXBlockCipher {
 public:
  TLibraryBlockCipher(const uint8_t* key, size_t keyLength)
      : encryption_(key, keyLength), decryption_(key, keyLength) {}
  size_t BlockSize() const override { return TCipher::BLOCKSIZE; }
  void EncryptBlock(const uint8_t* in, uint8_t* out, const uint8_t* mask) const override {
    encryption_.ProcessAndXorBlock(in, mask, out);
  }
  void DecryptBlock(const uint8_t* in, uint8_t* out, const uint8_t* mask) const override {
    decryption_.ProcessAndXorBlock(in, mask, out);
  }

 private:
  typename TCipher::Encryption encryption_;
  typename TCipher::Decryption decryption_;
};

// DES applied twice: E2(E1(x)); with one key both passes use it.
class TDoubleDes : public TDVXBlockCipher {
 public:
  TDoubleDes(const uint8_t* key1, const uint8_t* key2)
      : encryption1_(key1, 8), encryption2_(key2, 8), decryption1_(key1, 8),
        decryption2_(key2, 8) {}
  size_t BlockSize() const override { return 8; }
  void EncryptBlock(const uint8_t* in, uint8_t* out, const uint8_t* mask) const override {
    uint8_t middle[8];
    encryption1_.ProcessBlock(in, middle);
    encryption2_.ProcessAndXorBlock(middle, mask, out);
  }
  void DecryptBlock(const uint8_t* in, uint8_t* out, const uint8_t* mask) const override {
    uint8_t middle[8];
    decryption2_.ProcessBlock(in, middle);
    decryption1_.ProcessAndXorBlock(middle, mask, out);
  }

 private:
  CryptoPP::DES::Encryption encryption1_, encryption2_;
  CryptoPP::DES::Decryption decryption1_, decryption2_;
};

}  // namespace

size_t CipherKeyLength(TDVXCryptoAlgorithm algorithm) {
  return kShapes[CheckCryptoAlgorithm(algorithm)].keyLength;
}

size_t CipherBlockSize(TDVXCryptoAlgorithm algorithm) {
  return kShapes[CheckCryptoAlgorithm(algorithm)].blockSize;
}

std::unique_ptr<TDVXBlockCipher> CreateBlockCipher(TDVXCryptoAlgorithm algorithm,
                                                   const uint8_t* key, size_t keyLength) {
  if (keyLength != CipherKeyLength(algorithm))
    throw std::invalid_argument("block cipher key of the wrong length");
  switch (algorithm) {
    case craRijndael_128:
    case craRijndael_256:
      return std::make_unique<TLibraryBlockCipher<CryptoPP::AES>>(key, keyLength);
    case craBlowfish:
      return std::make_unique<TLibraryBlockCipher<CryptoPP::Blowfish>>(key, keyLength);
    case craTwofish_128:
    case craTwofish_256:
      return std::make_unique<TLibraryBlockCipher<CryptoPP::Twofish>>(key, keyLength);
    case craSquare:
      return std::make_unique<TLibraryBlockCipher<CryptoPP::Square>>(key, keyLength);
    case craDES_Single_8:
      return std::make_unique<TLibraryBlockCipher<CryptoPP::DES>>(key, keyLength);
    case craDES_Double_8:
      return std::make_unique<TDoubleDes>(key, key);
    case craDES_Double_16:
      return std::make_unique<TDoubleDes>(key, key + 8);
    case craDES_Triple_8: {
      // EDE with K1 = K2 = K3.
      uint8_t tripled[24];
      for (int i = 0; i < 3; ++i) std::copy(key, key + 8, tripled + 8 * i);
      auto cipher = std::make_unique<TLibraryBlockCipher<CryptoPP::DES_EDE3>>(tripled, 24);
      CryptoPP::SecureWipeBuffer(tripled, sizeof(tripled));
      return cipher;
    }
    case craDES_Triple_16:
      return std::make_unique<TLibraryBlockCipher<CryptoPP::DES_EDE2>>(key, keyLength);
    case craDES_Triple_24:
      return std::make_unique<TLibraryBlockCipher<CryptoPP::DES_EDE3>>(key, keyLength);
    case craNone:
      break;
  }
  CheckCryptoAlgorithm(algorithm);  // raises 10699
  return nullptr;
}

}  // namespace dvx
