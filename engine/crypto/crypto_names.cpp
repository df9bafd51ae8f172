#include "engine/crypto/crypto_names.h"

#include <array>

#include "engine/core/exception.h"

namespace dvx {
namespace {

constexpr std::array<std::string_view, kCryptoAlgorithmLast + 1> kAlgorithmNames = {
    "None",         "Rijndael_128",   "Rijndael_256",    "Blowfish",
    "Twofish_128",  "Twofish_256",    "Square",          "DES_Single_8",
    "DES_Double_8", "DES_Double_16",  "DES_Triple_8",    "DES_Triple_16",
    "DES_Triple_24"};

constexpr std::array<std::string_view, kCryptoModeLast + 1> kModeNames = {"CTS", "CBC", "CFB",
                                                                          "OFB"};

}  // namespace

TDVXCryptoAlgorithm CheckCryptoAlgorithm(int value) {
  if (value < 1 || value > kCryptoAlgorithmLast)
    throw EDVXException(kErrUnknownCryptoAlgorithm, "Error - unknown crypto algorithm = %d",
                        {value});
  return static_cast<TDVXCryptoAlgorithm>(value);
}

TDVXCryptoMode CheckCryptoMode(int value) {
  if (value < 0 || value > kCryptoModeLast)
    throw EDVXException(kErrUnknownCryptoMode, "Error - unknown crypto mode = %d", {value});
  return static_cast<TDVXCryptoMode>(value);
}

std::string_view CryptoAlgorithmName(TDVXCryptoAlgorithm algorithm) {
  int n = static_cast<int>(algorithm);
  return n >= 0 && n <= kCryptoAlgorithmLast ? kAlgorithmNames[n] : std::string_view("?");
}

std::string_view CryptoModeName(TDVXCryptoMode mode) {
  int n = static_cast<int>(mode);
  return n >= 0 && n <= kCryptoModeLast ? kModeNames[n] : std::string_view("?");
}

std::optional<TDVXCryptoAlgorithm> CryptoAlgorithmFromName(std::string_view name) {
  for (int i = 1; i <= kCryptoAlgorithmLast; ++i)
    if (name == kAlgorithmNames[i]) return static_cast<TDVXCryptoAlgorithm>(i);
  return std::nullopt;
}

std::optional<TDVXCryptoMode> CryptoModeFromName(std::string_view name) {
  for (int i = 0; i <= kCryptoModeLast; ++i)
    if (name == kModeNames[i]) return static_cast<TDVXCryptoMode>(i);
  return std::nullopt;
}

std::string CryptoAlgorithmNameList() {
  std::string list;
  for (int i = 1; i <= kCryptoAlgorithmLast; ++i) {
    if (!list.empty()) list += ", ";
    list += kAlgorithmNames[i];
  }
  return list;
}

std::string CryptoModeNameList() {
  std::string list;
  for (int i = 0; i <= kCryptoModeLast; ++i) {
    if (!list.empty()) list += ", ";
    list += kModeNames[i];
  }
  return list;
}

}  // namespace dvx
