#include "engine/crypto/crypto_names.h"

#include <gtest/gtest.h>

#include "engine/core/exception.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;
using dvx::testing::ThrowsDvxWithText;

namespace dvx {
namespace {

TEST(CryptoNames, EveryAlgorithmAndModeRoundTripsThroughItsName) {
  for (int a = 1; a <= kCryptoAlgorithmLast; ++a) {
    const auto algorithm = static_cast<TDVXCryptoAlgorithm>(a);
    EXPECT_EQ(CryptoAlgorithmFromName(CryptoAlgorithmName(algorithm)), algorithm);
  }
  for (int m = 0; m <= kCryptoModeLast; ++m) {
    const auto mode = static_cast<TDVXCryptoMode>(m);
    EXPECT_EQ(CryptoModeFromName(CryptoModeName(mode)), mode);
  }
  EXPECT_EQ(CryptoAlgorithmName(craDES_Triple_24), "DES_Triple_24");
  EXPECT_EQ(CryptoModeName(acmCTS), "CTS");
}

TEST(CryptoNames, OnlyTheExactSpellingIsAccepted) {
  EXPECT_FALSE(CryptoAlgorithmFromName("None"));
  EXPECT_FALSE(CryptoAlgorithmFromName("rijndael_128"));
  EXPECT_FALSE(CryptoAlgorithmFromName("craRijndael_128"));
  EXPECT_FALSE(CryptoAlgorithmFromName("Rijndael_128 "));
  EXPECT_FALSE(CryptoAlgorithmFromName(""));
  EXPECT_FALSE(CryptoModeFromName("cbc"));
  EXPECT_FALSE(CryptoModeFromName("ECB"));
}

TEST(CryptoNames, ListsNameEveryChoice) {
  EXPECT_EQ(CryptoAlgorithmNameList(),
            "Rijndael_128, Rijndael_256, Blowfish, Twofish_128, Twofish_256, Square, "
            "DES_Single_8, DES_Double_8, DES_Double_16, DES_Triple_8, DES_Triple_16, "
            "DES_Triple_24");
  EXPECT_EQ(CryptoModeNameList(), "CTS, CBC, CFB, OFB");
}

TEST(CryptoNames, StoredNumbersAreCheckedWithTheEngineMessages) {
  EXPECT_EQ(CheckCryptoAlgorithm(12), craDES_Triple_24);
  EXPECT_EQ(CheckCryptoMode(3), acmOFB);
  EXPECT_THAT([] { CheckCryptoAlgorithm(13); },
              ThrowsDvxWithText(10699, "Error - unknown crypto algorithm = 13 - Native error: 10699"));
  EXPECT_THAT([] { CheckCryptoMode(4); },
              ThrowsDvxWithText(10701, "Error - unknown crypto mode = 4 - Native error: 10701"));
  EXPECT_THAT([&] { CheckCryptoAlgorithm(0); }, ThrowsDvx());
  EXPECT_THAT([&] { CheckCryptoMode(-1); }, ThrowsDvx());
}

}  // namespace
}  // namespace dvx
