#include "engine/storage/key_check_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/crypto/crc32.h"
#include "engine/crypto/database_cipher.h"
#include "engine/crypto/key_derivation.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvxWithText;

namespace dvx {
namespace {

using testing::Pattern;

TDVXCryptoInfo RawKeyInfo(TDVXCryptoAlgorithm algorithm, TDVXCryptoMode mode, uint32_t seed) {
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

std::vector<uint8_t> Decrypt(TDVXPageCipher& cipher, uint64_t position, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out(data.size());
  cipher.Decrypt(position, data.data(), out.data(), data.size());
  return out;
}

// The KeyCheckBlock of a new database and the check at open.
class KeyCheckBlockTest : public ::testing::Test {
 protected:
  TDVXCryptoInfo Info(const std::string& password) { return PasswordInfo(craBlowfish, acmCFB, password); }
  std::vector<uint8_t> salt_ = Pattern(kKeySaltSize, 14);
};

TEST_F(KeyCheckBlockTest, BlockIsStoredEncipheredWithTheChecksumOfThePlainBytes) {
  TDVXDatabaseCipher cipher(Info("Chamomilla"), salt_.data());
  uint8_t block[kKeyCheckBlockSize];
  const uint32_t sum = CreateKeyCheckBlock(cipher, TDVXRandom::System(), block);
  std::vector<uint8_t> stored(block, block + kKeyCheckBlockSize);
  std::vector<uint8_t> plain = Decrypt(cipher, kKeyCheckBlockPosition, stored);
  EXPECT_EQ(EngineCrc32(plain.data(), plain.size()), sum);
  EXPECT_NE(EngineCrc32(stored.data(), stored.size()), sum);
  EXPECT_TRUE(KeyCheckBlockMatches(cipher, block, sum));
  EXPECT_EQ(std::vector<uint8_t>(block, block + kKeyCheckBlockSize), stored) << "block changed";
}

TEST_F(KeyCheckBlockTest, RightPasswordPassesWrongOneFailsWithTheKeyMessage) {
  uint8_t block[kKeyCheckBlockSize];
  uint32_t sum;
  {
    TDVXDatabaseCipher creator(Info("Chamomilla"), salt_.data());
    sum = CreateKeyCheckBlock(creator, TDVXRandom::System(), block);
  }
  TDVXDatabaseCipher right(Info("Chamomilla"), salt_.data());
  EXPECT_NO_THROW(CheckEncryptionKey(right, block, sum, "dbBaum.dvx"));
  for (const char* wrong : {"chamomilla", "Chamomill", ""}) {
    TDVXCryptoInfo info = Info(wrong);
    TDVXDatabaseCipher cipher(info, salt_.data());
    EXPECT_THAT([&] { CheckEncryptionKey(cipher, block, sum, "dbBaum.dvx"); },
                ThrowsDvxWithText(10712, "Error opening database file 'dbBaum.dvx', invalid encryption key - Native "
                                         "error: 10712"))
        << wrong;
  }
}

TEST_F(KeyCheckBlockTest, SameKeyWithAnotherSaltFails) {
  uint8_t block[kKeyCheckBlockSize];
  TDVXDatabaseCipher creator(Info("Chamomilla"), salt_.data());
  const uint32_t sum = CreateKeyCheckBlock(creator, TDVXRandom::System(), block);
  std::vector<uint8_t> otherSalt = salt_;
  otherSalt[7] ^= 4;
  TDVXDatabaseCipher other(Info("Chamomilla"), otherSalt.data());
  EXPECT_FALSE(KeyCheckBlockMatches(other, block, sum));
}

TEST_F(KeyCheckBlockTest, DamagedBlockOrChecksumFails) {
  TDVXDatabaseCipher cipher(Info("Chamomilla"), salt_.data());
  uint8_t block[kKeyCheckBlockSize];
  const uint32_t sum = CreateKeyCheckBlock(cipher, TDVXRandom::System(), block);
  EXPECT_FALSE(KeyCheckBlockMatches(cipher, block, sum ^ 1));
  block[kKeyCheckBlockSize - 1] ^= 0x10;
  EXPECT_FALSE(KeyCheckBlockMatches(cipher, block, sum));
}

TEST_F(KeyCheckBlockTest, RawKeyDatabasesCheckTheirKeyToo) {
  for (int a = 1; a <= kCryptoAlgorithmLast; ++a) {
    const auto algorithm = static_cast<TDVXCryptoAlgorithm>(a);
    TDVXDatabaseCipher right(RawKeyInfo(algorithm, acmCTS, 20), nullptr);
    TDVXDatabaseCipher wrong(RawKeyInfo(algorithm, acmCTS, 21), nullptr);
    uint8_t block[kKeyCheckBlockSize];
    const uint32_t sum = CreateKeyCheckBlock(right, TDVXRandom::System(), block);
    EXPECT_TRUE(KeyCheckBlockMatches(right, block, sum)) << a;
    EXPECT_FALSE(KeyCheckBlockMatches(wrong, block, sum)) << a;
  }
}

}  // namespace
}  // namespace dvx
