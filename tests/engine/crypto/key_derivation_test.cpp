#include "engine/crypto/key_derivation.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/byte_helpers.h"
#include "engine/crypto/block_cipher.h"
#include "engine/core/exception.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;

namespace dvx {
namespace {

using testing::Pattern;
using testing::ToHex;

std::string Pbkdf2Hex(TDVXHashKind kind, std::string_view password, std::string_view salt,
                      uint32_t iterations, size_t length) {
  std::vector<uint8_t> out(length);
  Pbkdf2Hmac(kind, password.data(), password.size(),
             reinterpret_cast<const uint8_t*>(salt.data()), salt.size(), iterations, out.data(),
             length);
  return ToHex(out);
}

// RFC 6070.
TEST(Pbkdf2KnownAnswer, HmacSha1) {
  EXPECT_EQ(Pbkdf2Hex(TDVXHashKind::SHA1, "password", "salt", 1, 20),
            "0c60c80f961f0e71f3a9b524af6012062fe037a6");
  EXPECT_EQ(Pbkdf2Hex(TDVXHashKind::SHA1, "password", "salt", 2, 20),
            "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957");
  EXPECT_EQ(Pbkdf2Hex(TDVXHashKind::SHA1, "password", "salt", 4096, 20),
            "4b007901b765489abead49d926f721d065a429c1");
  EXPECT_EQ(Pbkdf2Hex(TDVXHashKind::SHA1, "passwordPASSWORDpassword",
                      "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25),
            "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");
}

// RFC 7914, section 11.
TEST(Pbkdf2KnownAnswer, HmacSha256) {
  EXPECT_EQ(Pbkdf2Hex(TDVXHashKind::SHA256, "passwd", "salt", 1, 64),
            "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
            "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
  EXPECT_EQ(Pbkdf2Hex(TDVXHashKind::SHA256, "Password", "NaCl", 80000, 64),
            "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
            "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d");
}

// No published PBKDF2 vectors exist for RIPEMD-128; the derivation is
// checked against HMAC and PBKDF2 built here from the hash itself.
class Pbkdf2Ripemd128Test : public ::testing::Test {
 protected:
  std::vector<uint8_t> Hmac(const std::string& key, const std::vector<uint8_t>& message) {
    TDVXHash hash(TDVXHashKind::RIPEMD128);
    std::vector<uint8_t> padded(hash.BlockSize());
    std::copy(key.begin(), key.end(), padded.begin());  // keys below 64 bytes here
    std::vector<uint8_t> inner = padded, outer = padded;
    for (auto& b : inner) b ^= 0x36;
    for (auto& b : outer) b ^= 0x5C;
    hash.Update(inner.data(), inner.size());
    hash.Update(message.data(), message.size());
    std::vector<uint8_t> innerDigest = hash.Final();
    hash.Update(outer.data(), outer.size());
    hash.Update(innerDigest.data(), innerDigest.size());
    return hash.Final();
  }
  // Block `index` (from 1) of PBKDF2 with `iterations` rounds.
  std::vector<uint8_t> Block(const std::string& password, const std::string& salt,
                             uint32_t iterations, uint8_t index) {
    std::vector<uint8_t> message(salt.begin(), salt.end());
    message.insert(message.end(), {0, 0, 0, index});
    std::vector<uint8_t> u = Hmac(password, message), t = u;
    for (uint32_t i = 1; i < iterations; ++i) {
      u = Hmac(password, u);
      for (size_t k = 0; k < t.size(); ++k) t[k] ^= u[k];
    }
    return t;
  }
};

TEST_F(Pbkdf2Ripemd128Test, MatchesTheConstructionFromTheHash) {
  std::vector<uint8_t> expected = Block("secret", "0123456789abcdef", 3, 1);
  std::vector<uint8_t> second = Block("secret", "0123456789abcdef", 3, 2);
  expected.insert(expected.end(), second.begin(), second.begin() + 8);
  EXPECT_EQ(Pbkdf2Hex(TDVXHashKind::RIPEMD128, "secret", "0123456789abcdef", 3, 24),
            ToHex(expected));
}

TEST(Pbkdf2Arguments, ZeroIterationsAreRefused) {
  uint8_t out[16];
  EXPECT_THROW(Pbkdf2Hmac(TDVXHashKind::SHA256, "p", 1, nullptr, 0, 0, out, 16),
               std::invalid_argument);
}

// The cipher keys: hash per algorithm, exact key lengths, the salt's part,
// the raw-key path.
class CipherKeyTest : public ::testing::Test {
 protected:
  TDVXCryptoInfo Info(TDVXCryptoAlgorithm algorithm, const std::string& password) {
    TDVXCryptoInfo info;
    info.algorithm = algorithm;
    info.password = password;
    return info;
  }
  std::vector<uint8_t> salt_ = Pattern(kKeySaltSize, 77);
};

TEST_F(CipherKeyTest, PasswordKeyIsPbkdf2OverTheSaltWithTheAlgorithmsHash) {
  for (TDVXCryptoAlgorithm algorithm : {craRijndael_128, craBlowfish}) {
    TDVXKeyBytes key = DeriveCipherKey(Info(algorithm, "Kennwort"), salt_.data(), salt_.size());
    ASSERT_EQ(key.size(), CipherKeyLength(algorithm));
    std::vector<uint8_t> expected(key.size());
    Pbkdf2Hmac(algorithm == craRijndael_128 ? TDVXHashKind::RIPEMD128 : TDVXHashKind::SHA256,
               "Kennwort", 8, salt_.data(), salt_.size(), 100000, expected.data(),
               expected.size());
    EXPECT_EQ(ToHex(key.data(), key.size()), ToHex(expected));
  }
}

TEST_F(CipherKeyTest, HashChoicePerAlgorithm) {
  for (int a = 1; a <= kCryptoAlgorithmLast; ++a) {
    const auto algorithm = static_cast<TDVXCryptoAlgorithm>(a);
    const bool ripemd = algorithm == craRijndael_128 || algorithm == craTwofish_128;
    EXPECT_EQ(KeyDerivationHash(algorithm),
              ripemd ? TDVXHashKind::RIPEMD128 : TDVXHashKind::SHA256)
        << a;
  }
}

TEST_F(CipherKeyTest, OtherSaltOrPasswordGivesAnotherKey) {
  TDVXKeyBytes key = DeriveCipherKey(Info(craDES_Single_8, "Kennwort"), salt_.data(), 16);
  std::vector<uint8_t> otherSalt = salt_;
  otherSalt[15] ^= 1;
  TDVXKeyBytes saltKey = DeriveCipherKey(Info(craDES_Single_8, "Kennwort"), otherSalt.data(), 16);
  TDVXKeyBytes passwordKey = DeriveCipherKey(Info(craDES_Single_8, "Kennworx"), salt_.data(), 16);
  EXPECT_NE(ToHex(key.data(), 8), ToHex(saltKey.data(), 8));
  EXPECT_NE(ToHex(key.data(), 8), ToHex(passwordKey.data(), 8));
}

TEST_F(CipherKeyTest, RawKeyIsCutOrZeroPaddedToTheKeyLength) {
  TDVXCryptoInfo info;
  info.algorithm = craDES_Triple_16;
  info.rawKey = Pattern(40, 5);
  TDVXKeyBytes cut = DeriveCipherKey(info, nullptr, 0);
  EXPECT_EQ(ToHex(cut.data(), cut.size()), ToHex(info.rawKey.data(), 16));
  info.rawKey.resize(5);
  TDVXKeyBytes padded = DeriveCipherKey(info, salt_.data(), salt_.size());
  EXPECT_EQ(ToHex(padded.data(), padded.size()),
            ToHex(info.rawKey.data(), 5) + std::string(22, '0'));
}

TEST_F(CipherKeyTest, NoCipherNoKey) {
  TDVXCryptoInfo info;
  EXPECT_THAT([&] { DeriveCipherKey(info, nullptr, 0); }, ThrowsDvx());
  info.algorithm = static_cast<TDVXCryptoAlgorithm>(13);
  EXPECT_THAT([&] { DeriveCipherKey(info, nullptr, 0); }, ThrowsDvx());
}

}  // namespace
}  // namespace dvx
