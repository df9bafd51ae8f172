#pragma once
// Names and validation of the stored crypto enumerations. The header of an
// encrypted database stores both as single bytes; a byte outside the
// enumeration is refused with the engine's own messages before any cipher
// is built from it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/crypto/crypto_info.h"

namespace dvx {

constexpr int32_t kErrUnknownCryptoAlgorithm = 10699;
constexpr int32_t kErrUnknownCryptoMode = 10701;

// Returns the algorithm for a stored number 1..12; raises "Error - unknown
// crypto algorithm = %d" (10699) otherwise. craNone names no cipher and is
// refused here as well: callers test Encrypted() before asking for one.
TDVXCryptoAlgorithm CheckCryptoAlgorithm(int value);
// Returns the mode for a stored number 0..3; raises "Error - unknown crypto
// mode = %d" (10701) otherwise.
TDVXCryptoMode CheckCryptoMode(int value);

// The enumeration names without their prefix ("Rijndael_128", "CBC"), as
// the command line spells them. craNone is "None".
std::string_view CryptoAlgorithmName(TDVXCryptoAlgorithm algorithm);
std::string_view CryptoModeName(TDVXCryptoMode mode);
// Lookups of the exact spelling (case included); craNone ("None") is not a
// cipher and is not found.
std::optional<TDVXCryptoAlgorithm> CryptoAlgorithmFromName(std::string_view name);
std::optional<TDVXCryptoMode> CryptoModeFromName(std::string_view name);
// "Rijndael_128, Rijndael_256, ..." and "CTS, CBC, CFB, OFB" for messages
// that refuse an unknown name.
std::string CryptoAlgorithmNameList();
std::string CryptoModeNameList();

}  // namespace dvx
