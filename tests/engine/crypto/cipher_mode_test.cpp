#include "engine/crypto/cipher_mode.h"

#include <cryptopp/aes.h>
#include <cryptopp/des.h>
#include <cryptopp/filters.h>
#include <cryptopp/modes.h>
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

std::vector<uint8_t> Transform(const TDVXBlockCipher& cipher, TDVXCryptoMode mode,
                         const std::vector<uint8_t>& iv, const std::vector<uint8_t>& in,
                         bool decrypt = false) {
  std::vector<uint8_t> out(in.size());
  if (decrypt)
    DecryptMessage(cipher, mode, iv.data(), in.data(), out.data(), in.size());
  else
    EncryptMessage(cipher, mode, iv.data(), in.data(), out.data(), in.size());
  return out;
}

// NIST SP 800-38A, F.2.1, F.3.13 and F.4.1: AES-128, first two blocks.
class ModeKnownAnswerTest : public ::testing::Test {
 protected:
  std::vector<uint8_t> key_ = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
  std::vector<uint8_t> iv_ = FromHex("000102030405060708090a0b0c0d0e0f");
  std::vector<uint8_t> plain_ =
      FromHex("6bc1bee22e409f96e93d7e117393172a ae2d8a571e03ac9c9eb76fac45af8e51");
  std::unique_ptr<TDVXBlockCipher> aes_ = CreateBlockCipher(craRijndael_128, key_.data(), 16);
};

TEST_F(ModeKnownAnswerTest, Cbc) {
  EXPECT_EQ(ToHex(Transform(*aes_, acmCBC, iv_, plain_)),
            "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2");
}

TEST_F(ModeKnownAnswerTest, Cfb) {
  EXPECT_EQ(ToHex(Transform(*aes_, acmCFB, iv_, plain_)),
            "3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b");
}

TEST_F(ModeKnownAnswerTest, Ofb) {
  EXPECT_EQ(ToHex(Transform(*aes_, acmOFB, iv_, plain_)),
            "3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825");
}

// The residual-block termination by hand: the trailing r bytes are xored
// with E(last ciphertext block), or with E(IV) below one block.
TEST_F(ModeKnownAnswerTest, CbcTrailingPartialBlockIsXoredWithEncryptedLastCipherBlock) {
  std::vector<uint8_t> plain(plain_.begin(), plain_.begin() + 16 + 5);
  std::vector<uint8_t> cipher = Transform(*aes_, acmCBC, iv_, plain);
  EXPECT_EQ(ToHex(cipher.data(), 16), "7649abac8119b246cee98e9b12e9197d");
  uint8_t stream[16];
  aes_->EncryptBlock(cipher.data(), stream);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(cipher[16 + i], plain[16 + i] ^ stream[i]);
}

TEST_F(ModeKnownAnswerTest, MessagesBelowOneBlockAreXoredWithEncryptedVectorInCbcAndCts) {
  std::vector<uint8_t> plain(plain_.begin(), plain_.begin() + 11);
  uint8_t stream[16];
  aes_->EncryptBlock(iv_.data(), stream);
  for (TDVXCryptoMode mode : {acmCBC, acmCTS}) {
    std::vector<uint8_t> cipher = Transform(*aes_, mode, iv_, plain);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(cipher[i], plain[i] ^ stream[i]) << mode;
  }
}

TEST_F(ModeKnownAnswerTest, CtsOfExactlyOneBlockIsCbc) {
  std::vector<uint8_t> plain(plain_.begin(), plain_.begin() + 16);
  EXPECT_EQ(ToHex(Transform(*aes_, acmCTS, iv_, plain)), "7649abac8119b246cee98e9b12e9197d");
}

// Whole-block CBC, CFB, OFB and ciphertext stealing beyond one block agree
// with the library's own mode implementations.
class ModeCrossCheckTest : public ::testing::TestWithParam<size_t> {
 protected:
  template <class TMode>
  std::vector<uint8_t> Library(const std::vector<uint8_t>& in) {
    typename TMode::Encryption e(key_.data(), key_.size(), iv_.data());
    std::string out;
    CryptoPP::StringSource(in.data(), in.size(), true,
                           new CryptoPP::StreamTransformationFilter(
                               e, new CryptoPP::StringSink(out),
                               CryptoPP::StreamTransformationFilter::NO_PADDING));
    return std::vector<uint8_t>(out.begin(), out.end());
  }
  std::vector<uint8_t> key_ = Pattern(16, 21);
  std::vector<uint8_t> iv_ = Pattern(16, 22);
  std::unique_ptr<TDVXBlockCipher> aes_ = CreateBlockCipher(craRijndael_128, key_.data(), 16);
};

TEST_P(ModeCrossCheckTest, AgreesWithLibraryModes) {
  const size_t length = GetParam();
  std::vector<uint8_t> plain = Pattern(length, static_cast<uint32_t>(length));
  if (length % 16 == 0) {
    EXPECT_EQ(Transform(*aes_, acmCBC, iv_, plain),
              Library<CryptoPP::CBC_Mode<CryptoPP::AES>>(plain));
  }
  EXPECT_EQ(Transform(*aes_, acmCFB, iv_, plain), Library<CryptoPP::CFB_Mode<CryptoPP::AES>>(plain));
  EXPECT_EQ(Transform(*aes_, acmOFB, iv_, plain), Library<CryptoPP::OFB_Mode<CryptoPP::AES>>(plain));
  if (length > 16) {
    EXPECT_EQ(Transform(*aes_, acmCTS, iv_, plain),
              Library<CryptoPP::CBC_CTS_Mode<CryptoPP::AES>>(plain));
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, ModeCrossCheckTest,
                         ::testing::Values(1, 15, 16, 17, 31, 32, 33, 47, 48, 100, 4095, 4096));

TEST(ModeCrossCheck, TripleDesCtsAgreesWithLibraryForEightByteBlocks) {
  std::vector<uint8_t> key = Pattern(24, 31), iv = Pattern(8, 32);
  auto cipher = CreateBlockCipher(craDES_Triple_24, key.data(), 24);
  for (size_t length : {9, 15, 16, 17, 23, 24, 4093}) {
    std::vector<uint8_t> plain = Pattern(length, 33);
    CryptoPP::CBC_CTS_Mode<CryptoPP::DES_EDE3>::Encryption e(key.data(), 24, iv.data());
    std::string out;
    CryptoPP::StringSource(plain.data(), plain.size(), true,
                           new CryptoPP::StreamTransformationFilter(e, new CryptoPP::StringSink(out)));
    EXPECT_EQ(ToHex(Transform(*cipher, acmCTS, iv, plain)),
              ToHex(reinterpret_cast<const uint8_t*>(out.data()), out.size()))
        << length;
  }
}

// Every algorithm and mode: ciphertext as long as the plaintext, decryption
// restores it, in-place transfers give the same bytes, and the ciphertext is
// not the plaintext.
struct TRoundTripCase {
  TDVXCryptoAlgorithm algorithm;
  TDVXCryptoMode mode;
};

class ModeRoundTripTest : public ::testing::TestWithParam<TRoundTripCase> {
 protected:
  void SetUp() override {
    key_ = Pattern(CipherKeyLength(GetParam().algorithm), 41);
    cipher_ = CreateBlockCipher(GetParam().algorithm, key_.data(), key_.size());
    iv_ = Pattern(cipher_->BlockSize(), 42);
    page_ = Pattern(4096, 43);
  }
  void Check(size_t length) {
    const TDVXCryptoMode mode = GetParam().mode;
    std::vector<uint8_t> plain(page_.begin(), page_.begin() + length);
    std::vector<uint8_t> cipher = Transform(*cipher_, mode, iv_, plain);
    ASSERT_EQ(Transform(*cipher_, mode, iv_, cipher, true), plain) << "length " << length;
    std::vector<uint8_t> inPlace = plain;
    EncryptMessage(*cipher_, mode, iv_.data(), inPlace.data(), inPlace.data(), length);
    ASSERT_EQ(inPlace, cipher) << "length " << length;
    DecryptMessage(*cipher_, mode, iv_.data(), inPlace.data(), inPlace.data(), length);
    ASSERT_EQ(inPlace, plain) << "length " << length;
    if (length >= 8) {
      ASSERT_NE(cipher, plain) << "length " << length;
    }
  }
  std::vector<uint8_t> key_, iv_, page_;
  std::unique_ptr<TDVXBlockCipher> cipher_;
};

TEST_P(ModeRoundTripTest, LengthsAroundBlockBoundariesAndPageSizes) {
  const size_t b = cipher_->BlockSize();
  for (size_t length = 1; length <= 4 * b + 1; ++length) Check(length);
  for (size_t length : {100, 255, 256, 257, 1000, 2047, 2048, 4056, 4095, 4096}) Check(length);
  uint32_t x = 12345;
  for (int i = 0; i < 40; ++i) {
    x = x * 1103515245 + 12345;
    Check(1 + (x >> 8) % 4096);
  }
}

std::vector<TRoundTripCase> AllCases() {
  std::vector<TRoundTripCase> cases;
  for (int a = 1; a <= kCryptoAlgorithmLast; ++a)
    for (int m = 0; m <= kCryptoModeLast; ++m)
      cases.push_back({static_cast<TDVXCryptoAlgorithm>(a), static_cast<TDVXCryptoMode>(m)});
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<TRoundTripCase>& info) {
  return "a" + std::to_string(info.param.algorithm) + "_m" + std::to_string(info.param.mode);
}

INSTANTIATE_TEST_SUITE_P(AllAlgorithmsAndModes, ModeRoundTripTest,
                         ::testing::ValuesIn(AllCases()), CaseName);

// One fast cipher takes every length from 1 byte to a whole page.
TEST(ModeRoundTrip, AesEveryLengthUpToAPageInEveryMode) {
  std::vector<uint8_t> key = Pattern(16, 51), iv = Pattern(16, 52);
  auto aes = CreateBlockCipher(craRijndael_128, key.data(), 16);
  std::vector<uint8_t> page = Pattern(4096, 53), cipher(4096), back(4096);
  for (int m = 0; m <= kCryptoModeLast; ++m) {
    const auto mode = static_cast<TDVXCryptoMode>(m);
    for (size_t length = 1; length <= 4096; ++length) {
      EncryptMessage(*aes, mode, iv.data(), page.data(), cipher.data(), length);
      DecryptMessage(*aes, mode, iv.data(), cipher.data(), back.data(), length);
      ASSERT_TRUE(std::equal(page.begin(), page.begin() + length, back.begin()))
          << "mode " << m << " length " << length;
    }
  }
}

// In CBC and CTS a change in the first block reaches every later byte.
TEST(ModeRoundTrip, ChainingModesSpreadAnEarlyChangeToTheEnd) {
  std::vector<uint8_t> key = Pattern(16, 61), iv = Pattern(16, 62);
  auto aes = CreateBlockCipher(craRijndael_128, key.data(), 16);
  for (TDVXCryptoMode mode : {acmCBC, acmCTS, acmCFB}) {
    std::vector<uint8_t> a = Pattern(100, 63), b = a;
    b[0] ^= 1;
    std::vector<uint8_t> ca = Transform(*aes, mode, iv, a), cb = Transform(*aes, mode, iv, b);
    EXPECT_NE(std::vector<uint8_t>(ca.end() - 4, ca.end()),
              std::vector<uint8_t>(cb.end() - 4, cb.end()))
        << mode;
  }
}

TEST(ModeErrors, UnknownModeIsRefusedWithTheEngineMessage) {
  std::vector<uint8_t> key = Pattern(16, 71), iv(16), data(32);
  auto aes = CreateBlockCipher(craRijndael_128, key.data(), 16);
  EXPECT_THAT([&] { EncryptMessage(*aes, static_cast<TDVXCryptoMode>(4), iv.data(), data.data(), data.data(), 32); },
              ThrowsDvx(10701, "Error - unknown crypto mode = 4"));
  EXPECT_THAT([&] { DecryptMessage(*aes, static_cast<TDVXCryptoMode>(200), iv.data(), data.data(),
                              data.data(), 32); }, ThrowsDvx());
}

}  // namespace
}  // namespace dvx
