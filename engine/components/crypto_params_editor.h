#pragma once
// TDVXCryptoParamsEditor: how a database (or a backup, or a connection) is
// encrypted: the algorithm and mode, and the key, derived from the password
// or, without one, taken from the first KeySize bytes of the key material.
//
// Secrets: the password lives in a buffer of its own that no other object
// shares; whenever it is replaced or cleared, and when the editor goes,
// every character of the old one is overwritten with 0xFF before the buffer
// is freed. On destruction the 56 bytes of key material and the 32 bytes of
// the initialisation vector are overwritten with zeros. Password() hands
// out a view, not a copy that would outlive the wipe.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/crypto/crypto_info.h"

namespace dvx {

class TDVXCryptoParamsEditor {
 public:
  static constexpr int kKeyMaterialSize = 56;
  static constexpr int kInitVectorSize = 32;
  static constexpr int kDefaultKeySize = kKeyMaterialSize;
  static constexpr uint8_t kPasswordWipeByte = 0xFF;

  TDVXCryptoParamsEditor();
  TDVXCryptoParamsEditor(const TDVXCryptoParamsEditor& source);
  TDVXCryptoParamsEditor& operator=(const TDVXCryptoParamsEditor& source);
  ~TDVXCryptoParamsEditor();

  TDVXCryptoAlgorithm CryptoAlgorithm() const { return algorithm_; }
  void SetCryptoAlgorithm(TDVXCryptoAlgorithm value) { algorithm_ = value; }
  TDVXCryptoMode CryptoMode() const { return mode_; }
  void SetCryptoMode(TDVXCryptoMode value) { mode_ = value; }
  int KeySize() const { return keySize_; }
  // 0 ... 56 (the key material's size), else 31241; clears the password,
  // so the key material is what keys the cipher from then on.
  void SetKeySize(int value);
  // Valid until the password changes.
  std::string_view Password() const { return {password_.get(), passwordLength_}; }
  void SetPassword(std::string_view value);
  bool UseInitVector() const { return useInitVector_; }
  void SetUseInitVector(bool value) { useInitVector_ = value; }

  const std::array<uint8_t, kKeyMaterialSize>& KeyMaterial() const { return keyMaterial_; }
  // Copies up to 56 bytes; the rest of the key material becomes zero.
  void SetKeyMaterial(const uint8_t* data, size_t size);
  const std::array<uint8_t, kInitVectorSize>& InitVector() const { return initVector_; }
  // Copies up to 32 bytes; the rest of the vector becomes zero.
  void SetInitVector(const uint8_t* data, size_t size);

  void Assign(const TDVXCryptoParamsEditor& source);
  // What the engine opens or creates a file with.
  TDVXCryptoInfo ToCryptoInfo() const;
  // The algorithm and mode an open file really uses.
  void TakeFileSettings(TDVXCryptoAlgorithm algorithm, TDVXCryptoMode mode);

  // Test hook: called with every secret buffer just before it is released,
  // after it has been overwritten (the password buffer when a password is
  // replaced, cleared or destroyed; key material and vector on
  // destruction). Null switches it off.
  enum class TSecret { Password, KeyMaterial, InitVector };
  using TTestHookRelease = void (*)(TSecret kind, const uint8_t* data, size_t size);
  static void SetTestHookRelease(TTestHookRelease hook);

 private:
  // Wipes and frees the current password, then stores a copy of `value`.
  void ReplacePassword(std::string_view value);

  TDVXCryptoAlgorithm algorithm_ = craNone;
  TDVXCryptoMode mode_ = acmCTS;
  int keySize_ = kDefaultKeySize;
  std::unique_ptr<char[]> password_;
  size_t passwordLength_ = 0;
  bool useInitVector_ = false;
  std::array<uint8_t, kKeyMaterialSize> keyMaterial_{};
  std::array<uint8_t, kInitVectorSize> initVector_{};
};

}  // namespace dvx
