// The parameter sub-objects of a database component: defaults, the rules
// that bring values into range, copying, and the wiping of secrets.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/components/backup_params_editor.h"
#include "engine/components/component_errors.h"
#include "engine/components/connection_params_editor.h"
#include "engine/components/crypto_params_editor.h"
#include "engine/components/lock_params_editor.h"
#include "engine/components/options_editor.h"
#include "tests/support/dvx_matchers.h"

namespace dvx::test {
namespace {

using testing::ThrowsDvx;
using testing::ThrowsDvxWithText;

TEST(LockParamsEditorTest, RejectedValuesLeaveTheOldOnes) {
  TDVXLockParamsEditor params;
  EXPECT_EQ(params.RetryCount(), 10);
  EXPECT_EQ(params.Delay(), 500);
  params.SetRetryCount(0);
  params.SetRetryCount(-3);
  params.SetDelay(-1);
  EXPECT_EQ(params.RetryCount(), 10);
  EXPECT_EQ(params.Delay(), 500);
  params.SetRetryCount(1);
  params.SetDelay(0);
  EXPECT_EQ(params.ToLockParams().retryCount, 1);
  EXPECT_EQ(params.ToLockParams().delay, 0);
}

TEST(OptionsEditorTest, Defaults) {
  TDVXOptionsEditor options;
  EXPECT_EQ(options.MaxSessionCount(), 1);
  EXPECT_EQ(options.PageSize(), 4096);
  EXPECT_EQ(options.ExtentPageCount(), 8);
  EXPECT_EQ(options.RandomSearchRetryCount(), 10);
}

TEST(OptionsEditorTest, PageSizeIsClampedTo128Through65535) {
  TDVXOptionsEditor options;
  options.SetPageSize(100);
  EXPECT_EQ(options.PageSize(), 128);
  options.SetPageSize(70000);
  EXPECT_EQ(options.PageSize(), 65535);
  options.SetPageSize(8192);
  EXPECT_EQ(options.PageSize(), 8192);
}

TEST(OptionsEditorTest, CountsAreBroughtIntoRange) {
  TDVXOptionsEditor options;
  options.SetExtentPageCount(3);
  EXPECT_EQ(options.ExtentPageCount(), 4);
  options.SetExtentPageCount(101);
  EXPECT_EQ(options.ExtentPageCount(), 100);
  options.SetMaxSessionCount(0);
  EXPECT_EQ(options.MaxSessionCount(), 1);
  options.SetMaxSessionCount(7);
  EXPECT_EQ(options.MaxSessionCount(), 7);
  options.SetRandomSearchRetryCount(-5);
  EXPECT_EQ(options.RandomSearchRetryCount(), 1);
  options.SetRandomSearchRetryCount(101);
  EXPECT_EQ(options.RandomSearchRetryCount(), 100);
}

TEST(OptionsEditorTest, AssignCopiesEveryValue) {
  TDVXOptionsEditor source, target;
  source.SetMaxSessionCount(3);
  source.SetPageSize(1024);
  source.SetExtentPageCount(16);
  source.SetRandomSearchRetryCount(50);
  target.Assign(source);
  EXPECT_EQ(target.MaxSessionCount(), 3);
  EXPECT_EQ(target.PageSize(), 1024);
  EXPECT_EQ(target.ExtentPageCount(), 16);
  EXPECT_EQ(target.RandomSearchRetryCount(), 50);
}

TEST(ClientNetworkSettingsTest, PacketSizeOutsideItsRangeIsIgnored) {
  TDVXClientNetworkSettingsEditor settings;
  EXPECT_EQ(settings.PacketSize(), 8192);
  settings.SetPacketSize(127);
  settings.SetPacketSize(65508);
  EXPECT_EQ(settings.PacketSize(), 8192);
  settings.SetPacketSize(128);
  EXPECT_EQ(settings.PacketSize(), 128);
  settings.SetPacketSize(65507);
  EXPECT_EQ(settings.PacketSize(), 65507);
}

TEST(ClientNetworkSettingsTest, Defaults) {
  TDVXClientNetworkSettingsEditor s;
  EXPECT_EQ(s.MaxThreadCount(), 100);
  EXPECT_FALSE(s.ConnectionParamsTunning());
  EXPECT_EQ(s.TestPacketCount(), 8);
  EXPECT_EQ(s.DisconnectRetryCount(), 12);
  EXPECT_EQ(s.DisconnectDelay(), 300);
  EXPECT_EQ(s.ConnectRetryCount(), 20);
  EXPECT_EQ(s.ConnectDelay(), 500);
  EXPECT_EQ(s.StartReceiveTimeOut(), 60000);
  EXPECT_EQ(s.ReceiveTimeOut(), 600000);
  EXPECT_EQ(s.ReceiveSleep(), 1);
  EXPECT_EQ(s.MinSendTimeOut(), 10000);
  EXPECT_EQ(s.SendTimeOut(), 180000);
  EXPECT_EQ(s.WaitForSendSleep(), 0);
  EXPECT_EQ(s.ResendDelay(), 300);
  EXPECT_EQ(s.RequestDelay(), 300);
  EXPECT_EQ(s.WaitForTimeOut(), 120000);
  EXPECT_EQ(s.ThreadsTerminateDelay(), 30000);
}

TEST(ConnectionParamsTest, DefaultsAndAssign) {
  TDVXConnectionParamsEditor params;
  EXPECT_EQ(params.RemoteHost(), "127.0.0.1");
  EXPECT_EQ(params.RemotePort(), 12007);
  EXPECT_EQ(params.LocalPort(), 12008);
  EXPECT_EQ(params.CompressionAlgorithm(), caNone);
  EXPECT_EQ(params.CompressionMode(), 1);
  EXPECT_EQ(params.ServerID(), 0);
  TDVXConnectionParamsEditor copy;
  params.SetRemotePort(1);
  params.NetworkSettings().SetPacketSize(512);
  params.CryptoParams().SetPassword("wire");
  copy.Assign(params);
  EXPECT_EQ(copy.RemotePort(), 1);
  EXPECT_EQ(copy.NetworkSettings().PacketSize(), 512);
  EXPECT_EQ(copy.CryptoParams().Password(), "wire");
}

TEST(BackupParamsTest, DefaultsAndAssign) {
  TDVXBackupParamsEditor params;
  EXPECT_EQ(params.CompressionAlgorithm(), caNone);
  EXPECT_EQ(params.CompressionMode(), 1);
  EXPECT_EQ(params.BlockSize(), 102400);
  EXPECT_EQ(params.Description(), "");
  EXPECT_EQ(params.CryptoParams().KeySize(), 56);
  params.SetCompressionAlgorithm(caBZIP);
  params.SetDescription("nightly");
  params.CryptoParams().SetCryptoAlgorithm(craBlowfish);
  TDVXBackupParamsEditor copy;
  copy.Assign(params);
  EXPECT_EQ(copy.CompressionAlgorithm(), caBZIP);
  EXPECT_EQ(copy.Description(), "nightly");
  EXPECT_EQ(copy.CryptoParams().CryptoAlgorithm(), craBlowfish);
}

TEST(CryptoParamsEditorTest, Defaults) {
  TDVXCryptoParamsEditor crypto;
  EXPECT_EQ(crypto.CryptoAlgorithm(), craNone);
  EXPECT_EQ(crypto.CryptoMode(), acmCTS);
  EXPECT_EQ(crypto.KeySize(), 56);
  EXPECT_EQ(crypto.Password().size(), 11u);
  EXPECT_TRUE(std::all_of(crypto.Password().begin(), crypto.Password().end(), ::isalpha));
  EXPECT_FALSE(crypto.UseInitVector());
  EXPECT_TRUE(std::all_of(crypto.KeyMaterial().begin(), crypto.KeyMaterial().end(), [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(std::all_of(crypto.InitVector().begin(), crypto.InitVector().end(), [](uint8_t b) { return b == 0; }));
}

TEST(CryptoParamsEditorTest, KeySizeOutside0Through56IsRefused) {
  TDVXCryptoParamsEditor crypto;
  EXPECT_THAT([&] { crypto.SetKeySize(57); },
              ThrowsDvxWithText(kErrInvalidKeySize,
                                "Error setting Key, invalid KeySize = 57. KeySize should be >= 0 and < 56 - Native "
                                "error: 31241"));
  EXPECT_THAT([&] { crypto.SetKeySize(-1); },
              ThrowsDvx(kErrInvalidKeySize, "Error setting Key, invalid KeySize = -1. KeySize should be >= 0 and < 56"));
  EXPECT_EQ(crypto.KeySize(), 56);
  EXPECT_EQ(crypto.Password().size(), 11u) << "a refused key size leaves the password";
}

TEST(CryptoParamsEditorTest, SettingKeySizeClearsThePasswordAndKeysFromTheMaterial) {
  TDVXCryptoParamsEditor crypto;
  const std::vector<uint8_t> key = {1, 2, 3, 4, 5};
  crypto.SetKeyMaterial(key.data(), key.size());
  crypto.SetKeySize(3);
  EXPECT_EQ(crypto.Password(), "");
  TDVXCryptoInfo info = crypto.ToCryptoInfo();
  EXPECT_EQ(info.password, "");
  EXPECT_EQ(info.rawKey, (std::vector<uint8_t>{1, 2, 3}));
  crypto.SetKeySize(0);
  crypto.SetKeySize(56);
  EXPECT_EQ(crypto.ToCryptoInfo().rawKey.size(), 56u);
}

TEST(CryptoParamsEditorTest, ToCryptoInfoCarriesEverySetting) {
  TDVXCryptoParamsEditor crypto;
  crypto.SetCryptoAlgorithm(craTwofish_256);
  crypto.SetCryptoMode(acmOFB);
  crypto.SetPassword("secret");
  crypto.SetUseInitVector(true);
  const uint8_t iv[3] = {9, 8, 7};
  crypto.SetInitVector(iv, 3);
  TDVXCryptoInfo info = crypto.ToCryptoInfo();
  EXPECT_EQ(info.algorithm, craTwofish_256);
  EXPECT_EQ(info.mode, acmOFB);
  EXPECT_EQ(info.password, "secret");
  EXPECT_TRUE(info.useInitVector);
  ASSERT_EQ(info.initVector.size(), 32u);
  EXPECT_EQ(info.initVector[0], 9);
  EXPECT_EQ(info.initVector[3], 0);
}

TEST(CryptoParamsEditorTest, AssignCopiesIntoAFreshPasswordBuffer) {
  TDVXCryptoParamsEditor source, target;
  source.SetPassword("first");
  target.Assign(source);
  source.SetPassword("second");
  EXPECT_EQ(target.Password(), "first");
  TDVXCryptoParamsEditor copy(source);
  EXPECT_EQ(copy.Password(), "second");
  copy = copy;
  EXPECT_EQ(copy.Password(), "second");
}

// What the release hook saw: each buffer's bytes at the moment of release.
struct TReleased {
  TDVXCryptoParamsEditor::TSecret kind;
  std::vector<uint8_t> bytes;
};
std::vector<TReleased>* released = nullptr;

class CryptoWipeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    released = &log_;
    TDVXCryptoParamsEditor::SetTestHookRelease([](TDVXCryptoParamsEditor::TSecret kind, const uint8_t* data,
                                                  size_t size) {
      released->push_back({kind, std::vector<uint8_t>(data, data + size)});
    });
  }
  void TearDown() override {
    TDVXCryptoParamsEditor::SetTestHookRelease(nullptr);
    released = nullptr;
  }
  std::vector<TReleased> Of(TDVXCryptoParamsEditor::TSecret kind) const {
    std::vector<TReleased> result;
    for (const auto& r : log_)
      if (r.kind == kind) result.push_back(r);
    return result;
  }
  static bool AllAre(const std::vector<uint8_t>& bytes, uint8_t value) {
    return std::all_of(bytes.begin(), bytes.end(), [&](uint8_t b) { return b == value; });
  }
  std::vector<TReleased> log_;
};

TEST_F(CryptoWipeTest, AReplacedPasswordIsOverwrittenWith0xFFBeforeRelease) {
  TDVXCryptoParamsEditor crypto;
  crypto.SetPassword("letmein");
  log_.clear();
  crypto.SetPassword("other");
  auto passwords = Of(TDVXCryptoParamsEditor::TSecret::Password);
  ASSERT_EQ(passwords.size(), 1u);
  EXPECT_EQ(passwords[0].bytes.size(), 7u);
  EXPECT_TRUE(AllAre(passwords[0].bytes, 0xFF));
}

TEST_F(CryptoWipeTest, ClearingThePasswordThroughKeySizeWipesIt) {
  TDVXCryptoParamsEditor crypto;
  crypto.SetPassword("abc");
  log_.clear();
  crypto.SetKeySize(16);
  auto passwords = Of(TDVXCryptoParamsEditor::TSecret::Password);
  ASSERT_EQ(passwords.size(), 1u);
  EXPECT_EQ(passwords[0].bytes, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF}));
}

TEST_F(CryptoWipeTest, DestructionWipesPasswordKeyMaterialAndVector) {
  {
    TDVXCryptoParamsEditor crypto;
    crypto.SetPassword("topsecret");
    const std::vector<uint8_t> key(56, 0xAB), iv(32, 0xCD);
    crypto.SetKeyMaterial(key.data(), key.size());
    crypto.SetInitVector(iv.data(), iv.size());
    log_.clear();
  }
  auto passwords = Of(TDVXCryptoParamsEditor::TSecret::Password);
  ASSERT_EQ(passwords.size(), 1u);
  EXPECT_EQ(passwords[0].bytes.size(), 9u);
  EXPECT_TRUE(AllAre(passwords[0].bytes, 0xFF));
  auto keys = Of(TDVXCryptoParamsEditor::TSecret::KeyMaterial);
  auto vectors = Of(TDVXCryptoParamsEditor::TSecret::InitVector);
  ASSERT_EQ(keys.size(), 1u);
  ASSERT_EQ(vectors.size(), 1u);
  EXPECT_EQ(keys[0].bytes.size(), 56u);
  EXPECT_TRUE(AllAre(keys[0].bytes, 0));
  EXPECT_EQ(vectors[0].bytes.size(), 32u);
  EXPECT_TRUE(AllAre(vectors[0].bytes, 0));
}

TEST_F(CryptoWipeTest, AssignWipesThePasswordItReplaces) {
  TDVXCryptoParamsEditor source, target;
  target.SetPassword("old-one");
  source.SetPassword("new");
  log_.clear();
  target.Assign(source);
  auto passwords = Of(TDVXCryptoParamsEditor::TSecret::Password);
  ASSERT_EQ(passwords.size(), 1u);
  EXPECT_EQ(passwords[0].bytes.size(), 7u);
  EXPECT_TRUE(AllAre(passwords[0].bytes, 0xFF));
}

}  // namespace
}  // namespace dvx::test
