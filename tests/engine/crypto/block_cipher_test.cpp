#include "engine/crypto/block_cipher.h"

#include <cryptopp/des.h>
#include <cryptopp/square.h>
#include <gtest/gtest.h>

#include "tests/support/byte_helpers.h"
#include "engine/core/exception.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

using testing::FromHex;
using testing::Pattern;
using testing::ToHex;

std::string EncryptHex(TDVXCryptoAlgorithm algorithm, const std::vector<uint8_t>& key,
                       std::string_view plainHex) {
  auto cipher = CreateBlockCipher(algorithm, key.data(), key.size());
  std::vector<uint8_t> block = FromHex(plainHex);
  EXPECT_EQ(block.size(), cipher->BlockSize());
  std::vector<uint8_t> out(block.size());
  cipher->EncryptBlock(block.data(), out.data());
  std::vector<uint8_t> back(block.size());
  cipher->DecryptBlock(out.data(), back.data());
  EXPECT_EQ(back, block) << "decryption does not invert encryption";
  return ToHex(out);
}

std::vector<uint8_t> Repeat(std::string_view hex, int times) {
  std::vector<uint8_t> once = FromHex(hex), all;
  for (int i = 0; i < times; ++i) all.insert(all.end(), once.begin(), once.end());
  return all;
}

// Published single-block vectors: FIPS-197 appendix C, the Blowfish and
// Twofish authors' tables, the DES worked examples and the triple DES example
// of NIST SP 800-67.
TEST(BlockCipherKnownAnswer, AesFips197) {
  EXPECT_EQ(EncryptHex(craRijndael_128, FromHex("000102030405060708090a0b0c0d0e0f"),
                       "00112233445566778899aabbccddeeff"),
            "69c4e0d86a7b0430d8cdb78070b4c55a");
  EXPECT_EQ(EncryptHex(craRijndael_256,
                       FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"),
                       "00112233445566778899aabbccddeeff"),
            "8ea2b7ca516745bfeafc49904b496089");
}

// Blowfish cycles its key bytes over the subkey array, so the published
// 8-byte-key vectors hold for the 448-bit key made of seven copies.
TEST(BlockCipherKnownAnswer, BlowfishWithRepeatedEightByteKey) {
  EXPECT_EQ(EncryptHex(craBlowfish, Repeat("0000000000000000", 7), "0000000000000000"),
            "4ef997456198dd78");
  EXPECT_EQ(EncryptHex(craBlowfish, Repeat("ffffffffffffffff", 7), "ffffffffffffffff"),
            "51866fd5b85ecb8a");
  EXPECT_EQ(EncryptHex(craBlowfish, Repeat("0123456789abcdef", 7), "1111111111111111"),
            "61f9c3802281b096");
}

TEST(BlockCipherKnownAnswer, TwofishZeroKeys) {
  EXPECT_EQ(EncryptHex(craTwofish_128, std::vector<uint8_t>(16), "00000000000000000000000000000000"),
            "9f589f5cf6122c32b6bfec2f2ae8c35a");
  EXPECT_EQ(EncryptHex(craTwofish_256, std::vector<uint8_t>(32), "00000000000000000000000000000000"),
            "57ff739d4dc92c1bd7fc01700cc8216f");
}

TEST(BlockCipherKnownAnswer, Des) {
  EXPECT_EQ(EncryptHex(craDES_Single_8, FromHex("133457799bbcdff1"), "0123456789abcdef"),
            "85e813540f0ab405");
  EXPECT_EQ(EncryptHex(craDES_Single_8, FromHex("0123456789abcdef"), "4e6f772069732074"),
            "3fa40e8a984d4815");
}

TEST(BlockCipherKnownAnswer, TripleDesThreeKeys) {
  EXPECT_EQ(EncryptHex(craDES_Triple_24,
                       FromHex("0123456789abcdef23456789abcdef01456789abcdef0123"),
                       "5468652071756663"),
            "a826fd8ce53b855f");
}

// The DES compositions checked against the single DES above.
class DesCompositionTest : public ::testing::Test {
 protected:
  std::vector<uint8_t> DesEncrypt(const std::vector<uint8_t>& key, std::vector<uint8_t> block,
                                  bool decrypt = false) {
    auto des = CreateBlockCipher(craDES_Single_8, key.data(), 8);
    if (decrypt)
      des->DecryptBlock(block.data(), block.data());
    else
      des->EncryptBlock(block.data(), block.data());
    return block;
  }
  std::vector<uint8_t> Encrypt(TDVXCryptoAlgorithm algorithm, const std::vector<uint8_t>& key,
                               std::vector<uint8_t> block) {
    auto cipher = CreateBlockCipher(algorithm, key.data(), key.size());
    cipher->EncryptBlock(block.data(), block.data());
    return block;
  }
  std::vector<uint8_t> k1_ = FromHex("0123456789abcdef");
  std::vector<uint8_t> k2_ = FromHex("23456789abcdef01");
  std::vector<uint8_t> k3_ = FromHex("456789abcdef0123");
  std::vector<uint8_t> plain_ = FromHex("5468652071756663");
};

TEST_F(DesCompositionTest, DoubleWithOneKeyAppliesTheKeyTwice) {
  EXPECT_EQ(Encrypt(craDES_Double_8, k1_, plain_), DesEncrypt(k1_, DesEncrypt(k1_, plain_)));
}

TEST_F(DesCompositionTest, DoubleWithTwoKeysAppliesFirstThenSecond) {
  std::vector<uint8_t> key = k1_;
  key.insert(key.end(), k2_.begin(), k2_.end());
  EXPECT_EQ(Encrypt(craDES_Double_16, key, plain_), DesEncrypt(k2_, DesEncrypt(k1_, plain_)));
}

TEST_F(DesCompositionTest, TripleWithTwoKeysIsEncryptDecryptEncryptWithFirstKeyAgain) {
  std::vector<uint8_t> key = k1_;
  key.insert(key.end(), k2_.begin(), k2_.end());
  EXPECT_EQ(Encrypt(craDES_Triple_16, key, plain_),
            DesEncrypt(k1_, DesEncrypt(k2_, DesEncrypt(k1_, plain_), true)));
}

TEST_F(DesCompositionTest, TripleWithThreeKeysIsEncryptDecryptEncrypt) {
  std::vector<uint8_t> key = k1_;
  key.insert(key.end(), k2_.begin(), k2_.end());
  key.insert(key.end(), k3_.begin(), k3_.end());
  EXPECT_EQ(Encrypt(craDES_Triple_24, key, plain_),
            DesEncrypt(k3_, DesEncrypt(k2_, DesEncrypt(k1_, plain_), true)));
}

TEST_F(DesCompositionTest, TripleWithOneKeyCollapsesToSingleDes) {
  EXPECT_EQ(Encrypt(craDES_Triple_8, k1_, plain_), DesEncrypt(k1_, plain_));
}

// No published Square vector is at hand; the wrapper is checked against the
// library's cipher used directly, and against its own inverse.
TEST(BlockCipherKnownAnswer, SquareMatchesLibraryCipher) {
  std::vector<uint8_t> key = Pattern(16, 7), plain = Pattern(16, 8);
  CryptoPP::Square::Encryption direct(key.data(), key.size());
  uint8_t expected[16];
  direct.ProcessBlock(plain.data(), expected);
  EXPECT_EQ(EncryptHex(craSquare, key, ToHex(plain)), ToHex(expected, 16));
}

struct TShape {
  TDVXCryptoAlgorithm algorithm;
  size_t keyLength;
  size_t blockSize;
};

TEST(BlockCipherShape, KeyLengthsAndBlockSizesOfEveryAlgorithm) {
  const TShape shapes[] = {{craRijndael_128, 16, 16}, {craRijndael_256, 32, 16},
                           {craBlowfish, 56, 8},      {craTwofish_128, 16, 16},
                           {craTwofish_256, 32, 16},  {craSquare, 16, 16},
                           {craDES_Single_8, 8, 8},   {craDES_Double_8, 8, 8},
                           {craDES_Double_16, 16, 8}, {craDES_Triple_8, 8, 8},
                           {craDES_Triple_16, 16, 8}, {craDES_Triple_24, 24, 8}};
  for (const TShape& s : shapes) {
    SCOPED_TRACE(static_cast<int>(s.algorithm));
    EXPECT_EQ(CipherKeyLength(s.algorithm), s.keyLength);
    EXPECT_EQ(CipherBlockSize(s.algorithm), s.blockSize);
    std::vector<uint8_t> key = Pattern(s.keyLength, s.algorithm);
    auto cipher = CreateBlockCipher(s.algorithm, key.data(), key.size());
    EXPECT_EQ(cipher->BlockSize(), s.blockSize);
  }
}

TEST(BlockCipherShape, MaskIsXoredIntoTheResultAndInPlaceWorks) {
  std::vector<uint8_t> key = Pattern(32, 3), block = Pattern(16, 4), mask = Pattern(16, 5);
  auto cipher = CreateBlockCipher(craTwofish_256, key.data(), key.size());
  uint8_t plain[16], masked[16];
  cipher->EncryptBlock(block.data(), plain);
  cipher->EncryptBlock(block.data(), masked, mask.data());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(masked[i], plain[i] ^ mask[i]);
  std::vector<uint8_t> inPlace = block;
  cipher->EncryptBlock(inPlace.data(), inPlace.data());
  EXPECT_EQ(ToHex(inPlace), ToHex(plain, 16));
  uint8_t unmasked[16];
  cipher->DecryptBlock(plain, unmasked, mask.data());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(unmasked[i], block[i] ^ mask[i]);
  cipher->DecryptBlock(plain, plain);
  EXPECT_EQ(ToHex(plain, 16), ToHex(block));
}

TEST(BlockCipherShape, UnknownAlgorithmsAreRefusedWithTheEngineMessage) {
  for (int value : {0, 13, 255}) {
    EXPECT_THAT([&] { CipherKeyLength(static_cast<TDVXCryptoAlgorithm>(value)); },
                ThrowsDvx(10699, "Error - unknown crypto algorithm = " + std::to_string(value)));
  }
  uint8_t key[16] = {};
  EXPECT_THAT([&] { CreateBlockCipher(static_cast<TDVXCryptoAlgorithm>(13), key, 16); }, ThrowsDvx());
}

TEST(BlockCipherShape, KeyOfTheWrongLengthIsRefused) {
  uint8_t key[32] = {};
  EXPECT_THROW(CreateBlockCipher(craRijndael_128, key, 32), std::invalid_argument);
  EXPECT_THROW(CreateBlockCipher(craDES_Double_16, key, 8), std::invalid_argument);
}

}  // namespace
}  // namespace dvx
