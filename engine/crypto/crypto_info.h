#pragma once
// Crypto parameters of one open database. The numbers of both enumerations
// are stored in the file header (CryptoAlgorithm, CryptoMode).
#include <cstdint>
#include <string>
#include <vector>

namespace dvx {

enum TDVXCryptoAlgorithm : uint8_t {
  craNone = 0,
  craRijndael_128 = 1,
  craRijndael_256 = 2,
  craBlowfish = 3,
  craTwofish_128 = 4,
  craTwofish_256 = 5,
  craSquare = 6,
  craDES_Single_8 = 7,
  craDES_Double_8 = 8,
  craDES_Double_16 = 9,
  craDES_Triple_8 = 10,
  craDES_Triple_16 = 11,
  craDES_Triple_24 = 12,
};
constexpr int kCryptoAlgorithmLast = 12;

enum TDVXCryptoMode : uint8_t {
  acmCTS = 0,
  acmCBC = 1,
  acmCFB = 2,
  acmOFB = 3,
};
constexpr int kCryptoModeLast = 3;

// Holds secrets: the password and key bytes are overwritten with zeros when
// the object is cleared or destroyed, and copies are wiped the same way.
class TDVXCryptoInfo {
 public:
  TDVXCryptoInfo() = default;
  TDVXCryptoInfo(const TDVXCryptoInfo& other);
  TDVXCryptoInfo& operator=(const TDVXCryptoInfo& other);
  ~TDVXCryptoInfo();

  // Overwrites every secret with zeros and resets to "not encrypted".
  void Clear();
  bool Encrypted() const { return algorithm != craNone; }

  std::vector<uint8_t> rawKey;  // used when the password is empty
  std::vector<uint8_t> initVector;
  std::string password;
  TDVXCryptoAlgorithm algorithm = craNone;
  TDVXCryptoMode mode = acmCTS;
  bool useInitVector = false;
};

}  // namespace dvx
