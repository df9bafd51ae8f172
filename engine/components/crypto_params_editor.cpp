#include "engine/components/crypto_params_editor.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "engine/components/component_errors.h"
#include "engine/core/exception.h"

namespace dvx {

namespace {

// The password a component carries until the program gives its own.
constexpr std::string_view kDefaultPassword = "Dovrentixpw";

std::atomic<TDVXCryptoParamsEditor::TTestHookRelease> testHookRelease{nullptr};

// Stores through a volatile pointer, which the compiler may not drop
// although the memory is released right after.
void Fill(void* data, size_t size, uint8_t byte) {
  volatile uint8_t* p = static_cast<volatile uint8_t*>(data);
  while (size--) *p++ = byte;
}

void Released(TDVXCryptoParamsEditor::TSecret kind, const void* data, size_t size) {
  if (auto hook = testHookRelease.load()) hook(kind, static_cast<const uint8_t*>(data), size);
}

}  // namespace

void TDVXCryptoParamsEditor::SetTestHookRelease(TTestHookRelease hook) { testHookRelease.store(hook); }

TDVXCryptoParamsEditor::TDVXCryptoParamsEditor() { ReplacePassword(kDefaultPassword); }

TDVXCryptoParamsEditor::TDVXCryptoParamsEditor(const TDVXCryptoParamsEditor& source) { Assign(source); }

TDVXCryptoParamsEditor& TDVXCryptoParamsEditor::operator=(const TDVXCryptoParamsEditor& source) {
  Assign(source);
  return *this;
}

TDVXCryptoParamsEditor::~TDVXCryptoParamsEditor() {
  ReplacePassword({});
  Fill(keyMaterial_.data(), keyMaterial_.size(), 0);
  Released(TSecret::KeyMaterial, keyMaterial_.data(), keyMaterial_.size());
  Fill(initVector_.data(), initVector_.size(), 0);
  Released(TSecret::InitVector, initVector_.data(), initVector_.size());
}

void TDVXCryptoParamsEditor::ReplacePassword(std::string_view value) {
  // The new copy is made before the old buffer goes, so that `value` may
  // be a view of the old password itself.
  std::unique_ptr<char[]> copy;
  if (!value.empty()) {
    copy = std::make_unique<char[]>(value.size());
    std::memcpy(copy.get(), value.data(), value.size());
  }
  if (password_) {
    Fill(password_.get(), passwordLength_, kPasswordWipeByte);
    Released(TSecret::Password, reinterpret_cast<const uint8_t*>(password_.get()), passwordLength_);
  }
  password_ = std::move(copy);
  passwordLength_ = value.size();
}

void TDVXCryptoParamsEditor::SetKeySize(int value) {
  if (value < 0 || value > kKeyMaterialSize)
    throw EDVXException(kErrInvalidKeySize, "Error setting Key, invalid KeySize = %d. KeySize should be >= 0 and < %d",
                        {value, kKeyMaterialSize});
  keySize_ = value;
  ReplacePassword({});
}

void TDVXCryptoParamsEditor::SetPassword(std::string_view value) { ReplacePassword(value); }

void TDVXCryptoParamsEditor::SetKeyMaterial(const uint8_t* data, size_t size) {
  size = std::min(size, keyMaterial_.size());
  Fill(keyMaterial_.data(), keyMaterial_.size(), 0);
  if (size) std::memcpy(keyMaterial_.data(), data, size);
}

void TDVXCryptoParamsEditor::SetInitVector(const uint8_t* data, size_t size) {
  size = std::min(size, initVector_.size());
  Fill(initVector_.data(), initVector_.size(), 0);
  if (size) std::memcpy(initVector_.data(), data, size);
}

void TDVXCryptoParamsEditor::Assign(const TDVXCryptoParamsEditor& source) {
  if (&source == this) return;
  algorithm_ = source.algorithm_;
  mode_ = source.mode_;
  keySize_ = source.keySize_;
  ReplacePassword(source.Password());
  useInitVector_ = source.useInitVector_;
  keyMaterial_ = source.keyMaterial_;
  initVector_ = source.initVector_;
}

TDVXCryptoInfo TDVXCryptoParamsEditor::ToCryptoInfo() const {
  TDVXCryptoInfo info;
  info.algorithm = algorithm_;
  info.mode = mode_;
  if (passwordLength_) info.password.assign(password_.get(), passwordLength_);
  info.rawKey.assign(keyMaterial_.begin(), keyMaterial_.begin() + keySize_);
  info.initVector.assign(initVector_.begin(), initVector_.end());
  info.useInitVector = useInitVector_;
  return info;
}

void TDVXCryptoParamsEditor::TakeFileSettings(TDVXCryptoAlgorithm algorithm, TDVXCryptoMode mode) {
  algorithm_ = algorithm;
  mode_ = mode;
}

}  // namespace dvx
