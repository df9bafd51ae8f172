#include "engine/crypto/database_cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/byte_helpers.h"
#include "engine/crypto/cipher_mode.h"
#include "engine/crypto/crc32.h"
#include "engine/crypto/key_derivation.h"
#include "engine/core/exception.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;
using dvx::testing::ThrowsDvxWithText;

namespace dvx {
namespace {

using testing::Pattern;
using testing::ToHex;

constexpr size_t kPage = 4096;
// Positions relative to HeaderOffset: the first page of a new file, a later
// page, and a database far into a large carrier file.
constexpr uint64_t kPositions[] = {298, 298 + 5 * kPage + 40, (uint64_t{1} << 40) + 7};

TDVXCryptoInfo RawKeyInfo(TDVXCryptoAlgorithm algorithm, TDVXCryptoMode mode, uint32_t seed = 1) {
  TDVXCryptoInfo info;
  info.algorithm = algorithm;
  info.mode = mode;
  info.rawKey = Pattern(CipherKeyLength(algorithm), seed);
  return info;
}

TDVXCryptoInfo PasswordInfo(TDVXCryptoAlgorithm algorithm, TDVXCryptoMode mode, const std::string& password) {
  TDVXCryptoInfo info;
  info.algorithm = algorithm;
  info.mode = mode;
  info.password = password;
  return info;
}

std::vector<uint8_t> Encrypt(TDVXPageCipher& cipher, uint64_t position,
                             const std::vector<uint8_t>& plain) {
  std::vector<uint8_t> out(plain.size());
  cipher.Encrypt(position, plain.data(), out.data(), plain.size());
  return out;
}

std::vector<uint8_t> Decrypt(TDVXPageCipher& cipher, uint64_t position,
                             const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out(data.size());
  cipher.Decrypt(position, data.data(), out.data(), data.size());
  return out;
}

bool Contains(const std::vector<uint8_t>& haystack, const std::string& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
         haystack.end();
}

// Every algorithm and mode through the page cipher: partial and whole-page
// transfers at several positions come back, equal pages at different
// positions differ, and a sentinel text is gone from the ciphertext.
struct TCase {
  TDVXCryptoAlgorithm algorithm;
  TDVXCryptoMode mode;
};

class DatabaseCipherTest : public ::testing::TestWithParam<TCase> {
 protected:
  void SetUp() override {
    cipher_ = std::make_unique<TDVXDatabaseCipher>(
        RawKeyInfo(GetParam().algorithm, GetParam().mode), nullptr);
    page_ = Pattern(kPage, 5);
  }
  std::unique_ptr<TDVXDatabaseCipher> cipher_;
  std::vector<uint8_t> page_;
};

TEST_P(DatabaseCipherTest, TransfersOfManyLengthsRoundTripAtEveryPosition) {
  const size_t b = cipher_->BlockSize();
  std::vector<size_t> lengths;
  for (size_t n = 1; n <= 3 * b + 1; ++n) lengths.push_back(n);
  for (size_t n : {40, 100, 1000, 4055, 4056, 4095, 4096}) lengths.push_back(n);
  for (uint64_t position : kPositions) {
    for (size_t n : lengths) {
      std::vector<uint8_t> plain(page_.begin(), page_.begin() + n);
      std::vector<uint8_t> cipher = Encrypt(*cipher_, position, plain);
      ASSERT_EQ(Decrypt(*cipher_, position, cipher), plain) << position << " " << n;
    }
  }
}

TEST_P(DatabaseCipherTest, EqualPagesAtDifferentPositionsEncipherDifferently) {
  std::vector<uint8_t> a = Encrypt(*cipher_, 298, page_);
  std::vector<uint8_t> b = Encrypt(*cipher_, 298 + kPage, page_);
  EXPECT_NE(a, b);
  // Not even the first block may agree: the position is in the IV.
  EXPECT_NE(std::vector<uint8_t>(a.begin(), a.begin() + 8),
            std::vector<uint8_t>(b.begin(), b.begin() + 8));
  // The same transfer again gives the same bytes, or nothing could be read back.
  EXPECT_EQ(Encrypt(*cipher_, 298, page_), a);
}

TEST_P(DatabaseCipherTest, SentinelTextDoesNotSurviveEncryption) {
  const std::string sentinel = "SENTINEL-Arnica-montana-SENTINEL";
  std::vector<uint8_t> page(kPage, 0);
  for (size_t at = 40; at + sentinel.size() <= kPage; at += 200)
    std::copy(sentinel.begin(), sentinel.end(), page.begin() + at);
  ASSERT_TRUE(Contains(page, sentinel));
  std::vector<uint8_t> cipher = Encrypt(*cipher_, 298 + 7 * kPage, page);
  EXPECT_FALSE(Contains(cipher, sentinel));
  EXPECT_FALSE(Contains(cipher, "SENTINEL"));
  EXPECT_EQ(Decrypt(*cipher_, 298 + 7 * kPage, cipher), page);
}

TEST_P(DatabaseCipherTest, InPlaceTransfersMatchCopiesAndLeaveInputAlone) {
  std::vector<uint8_t> input = page_;
  std::vector<uint8_t> copy = Encrypt(*cipher_, 1000, input);
  EXPECT_EQ(input, page_);
  std::vector<uint8_t> inPlace = page_;
  cipher_->Encrypt(1000, inPlace.data(), inPlace.data(), inPlace.size());
  EXPECT_EQ(inPlace, copy);
  cipher_->Decrypt(1000, inPlace.data(), inPlace.data(), inPlace.size());
  EXPECT_EQ(inPlace, page_);
}

TEST_P(DatabaseCipherTest, AnotherKeyCannotReadThePage) {
  TDVXDatabaseCipher other(RawKeyInfo(GetParam().algorithm, GetParam().mode, 2), nullptr);
  std::vector<uint8_t> cipher = Encrypt(*cipher_, 298, page_);
  EXPECT_NE(Decrypt(other, 298, cipher), page_);
  EXPECT_NE(Encrypt(other, 298, page_), cipher);
}

std::vector<TCase> AllCases() {
  std::vector<TCase> cases;
  for (int a = 1; a <= kCryptoAlgorithmLast; ++a)
    for (int m = 0; m <= kCryptoModeLast; ++m)
      cases.push_back({static_cast<TDVXCryptoAlgorithm>(a), static_cast<TDVXCryptoMode>(m)});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllAlgorithmsAndModes, DatabaseCipherTest, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<TCase>& info) {
                           return "a" + std::to_string(info.param.algorithm) + "_m" +
                                  std::to_string(info.param.mode);
                         });

// One fast cipher takes every length from 1 byte to a whole page at a page
// position, in every mode.
TEST(DatabaseCipherLengths, EveryLengthUpToAPageRoundTrips) {
  std::vector<uint8_t> page = Pattern(kPage, 6), cipher(kPage), back(kPage);
  for (int m = 0; m <= kCryptoModeLast; ++m) {
    TDVXDatabaseCipher c(RawKeyInfo(craRijndael_128, static_cast<TDVXCryptoMode>(m)), nullptr);
    for (size_t n = 1; n <= kPage; ++n) {
      c.Encrypt(298 + 3 * kPage + 40, page.data(), cipher.data(), n);
      c.Decrypt(298 + 3 * kPage + 40, cipher.data(), back.data(), n);
      ASSERT_TRUE(std::equal(page.begin(), page.begin() + n, back.begin()))
          << "mode " << m << " length " << n;
    }
  }
}

// The transfer vector is part of the stored format: IV = E_K(V xor P), the
// 64-bit position little-endian in the first 8 bytes of V.
TEST(DatabaseCipherFormat, TransferVectorIsTheEncipheredVectorXorPosition) {
  TDVXCryptoInfo info = RawKeyInfo(craTwofish_256, acmCBC);
  info.useInitVector = true;
  info.initVector = Pattern(32, 8);  // longer than a block: cut to 16 bytes
  TDVXDatabaseCipher cipher(info, nullptr);
  const uint64_t position = 0x0102030405060708ull;
  uint8_t iv[16];
  std::copy_n(info.initVector.begin(), 16, iv);
  for (int i = 0; i < 8; ++i) iv[i] ^= static_cast<uint8_t>(position >> (8 * i));
  auto block = CreateBlockCipher(craTwofish_256, info.rawKey.data(), 32);
  block->EncryptBlock(iv, iv);
  std::vector<uint8_t> page = Pattern(kPage, 9), expected(kPage);
  EncryptMessage(*block, acmCBC, iv, page.data(), expected.data(), kPage);
  EXPECT_EQ(Encrypt(cipher, position, page), expected);
}

TEST(DatabaseCipherFormat, DefaultVectorIsZeroAndConfiguredVectorIsPadded) {
  TDVXCryptoInfo plain = RawKeyInfo(craDES_Single_8, acmOFB);
  plain.initVector = Pattern(8, 10);  // ignored without useInitVector
  TDVXCryptoInfo zero = RawKeyInfo(craDES_Single_8, acmOFB);
  zero.useInitVector = true;
  zero.initVector = {0, 0, 0};  // padded with zero bytes: the default vector
  TDVXCryptoInfo configured = RawKeyInfo(craDES_Single_8, acmOFB);
  configured.useInitVector = true;
  configured.initVector = {0, 0, 1};
  TDVXDatabaseCipher a(plain, nullptr), b(zero, nullptr), c(configured, nullptr);
  std::vector<uint8_t> page = Pattern(100, 11);
  EXPECT_EQ(Encrypt(a, 500, page), Encrypt(b, 500, page));
  EXPECT_NE(Encrypt(a, 500, page), Encrypt(c, 500, page));
}

// The password path: the salt takes part, the key is derived once.
class DatabaseCipherPasswordTest : public ::testing::Test {
 protected:
  TDVXCryptoInfo Info(const std::string& password) { return PasswordInfo(craRijndael_256, acmCTS, password); }
  std::vector<uint8_t> salt_ = Pattern(kKeySaltSize, 12);
  std::vector<uint8_t> page_ = Pattern(kPage, 13);
};

TEST_F(DatabaseCipherPasswordTest, SamePasswordAndSaltReadTheData) {
  TDVXDatabaseCipher writer(Info("Belladonna"), salt_.data());
  TDVXDatabaseCipher reader(Info("Belladonna"), salt_.data());
  EXPECT_EQ(Decrypt(reader, 298, Encrypt(writer, 298, page_)), page_);
}

TEST_F(DatabaseCipherPasswordTest, PasswordKeyIsTheDerivedKey) {
  TDVXDatabaseCipher fromPassword(Info("Belladonna"), salt_.data());
  TDVXKeyBytes key = DeriveCipherKey(Info("Belladonna"), salt_.data(), salt_.size());
  TDVXCryptoInfo raw = Info("");
  raw.rawKey.assign(key.begin(), key.end());
  TDVXDatabaseCipher fromRaw(raw, nullptr);
  EXPECT_EQ(Encrypt(fromPassword, 298, page_), Encrypt(fromRaw, 298, page_));
}

TEST_F(DatabaseCipherPasswordTest, OtherSaltGivesOtherCiphertext) {
  std::vector<uint8_t> otherSalt = salt_;
  otherSalt[0] ^= 0x80;
  TDVXDatabaseCipher a(Info("Belladonna"), salt_.data());
  TDVXDatabaseCipher b(Info("Belladonna"), otherSalt.data());
  EXPECT_NE(Encrypt(a, 298, page_), Encrypt(b, 298, page_));
}

TEST_F(DatabaseCipherPasswordTest, PasswordWithoutSaltIsRefused) {
  EXPECT_THROW(TDVXDatabaseCipher(Info("Belladonna"), nullptr), std::invalid_argument);
}

TEST(DatabaseCipherErrors, UnknownAlgorithmOrModeIsRefusedBeforeAnyKeyWork) {
  TDVXCryptoInfo info = RawKeyInfo(craBlowfish, acmCBC);
  info.algorithm = static_cast<TDVXCryptoAlgorithm>(13);
  EXPECT_THAT([&] { TDVXDatabaseCipher cipher(info, nullptr); },
              ThrowsDvxWithText(10699, "Error - unknown crypto algorithm = 13 - Native error: 10699"));
  info.algorithm = craNone;
  EXPECT_THAT([&] { TDVXDatabaseCipher(info, nullptr); }, ThrowsDvx());
  info = RawKeyInfo(craBlowfish, static_cast<TDVXCryptoMode>(9));
  EXPECT_THAT([&] { TDVXDatabaseCipher cipher(info, nullptr); },
              ThrowsDvxWithText(10701, "Error - unknown crypto mode = 9 - Native error: 10701"));
}

}  // namespace
}  // namespace dvx
