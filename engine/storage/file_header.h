#pragma once
// The database file header and the areas around it.
//
// File layout (positions relative to HeaderOffset; all integers
// little-endian):
//   0     294                 FileHeader
//   294   2                   ReservedAreaLength (2 in a new plain file,
//                             18 in a new encrypted one)
//   296   ReservedAreaLength  reserved area: the StateLockByte and the
//                             TablesLockByte (zero), then in an encrypted
//                             file the 16-byte random salt of the key
//                             derivation; stored plain
//   296 + ReservedAreaLength  pages 0, 1, 2, ... of PageSize bytes each
//
// FileHeader (294 bytes):
//   0    4    Signature        "DVS2"
//   4    2    HeaderSize       294
//   6    8    FormatVersion    IEEE double, 4.2 when created
//   14   2    PageSize         unsigned
//   16   2    ExtentPageCount  unsigned, at least 4
//   18   4    PageCount        signed
//   22   4    StateCounter     signed, raised by one at every commit
//   26   256  KeyCheckBlock    random bytes stored enciphered; zero when plain
//   282  4    KeyCheckSum      engine CRC-32 of the plain KeyCheckBlock
//   286  1    CryptoAlgorithm  0 = not encrypted
//   287  1    CryptoMode
//   288  1    PasswordUsed     1 key from a password, 0 raw key
//   289  5    reserved         zero
#include <array>
#include <cstdint>

namespace dvx {

constexpr int kFileHeaderSize = 294;
constexpr int kReservedAreaLengthSize = 2;
constexpr int kNewReservedAreaLength = 2;
// An encrypted file keeps the salt of its key derivation after the lock
// bytes, so its reserved area is longer; a shorter one cannot hold it.
constexpr int kSaltOffset = 298;
constexpr int kSaltSize = 16;
constexpr int kEncryptedReservedAreaLength = 18;
constexpr int kKeyCheckBlockOffset = 26;
constexpr int kKeyCheckBlockSize = 256;
// The crypto area: KeyCheckBlock through PasswordUsed.
constexpr int kCryptoAreaSize = 268;
constexpr char kFileSignature[4] = {'D', 'V', 'S', '2'};
constexpr double kFormatVersion = 4.2;
constexpr double kMinFormatVersion = 1.299999;
constexpr double kMaxFormatVersion = 100.00001;
// Page sizes the engine reads and creates.
constexpr int kMinPageSize = 128;
constexpr int kMaxPageSize = 65535;
constexpr int kMinExtentPageCount = 4;
// The lock bytes, relative to HeaderOffset.
constexpr int kStateLockByteOffset = 296;
constexpr int kTablesLockByteOffset = 297;

struct TDVXFileHeader {
  std::array<char, 4> signature{'D', 'V', 'S', '2'};
  uint16_t headerSize = kFileHeaderSize;
  double formatVersion = kFormatVersion;
  uint16_t pageSize = 0;
  uint16_t extentPageCount = 0;
  int32_t pageCount = 0;
  int32_t stateCounter = 0;
  std::array<uint8_t, kKeyCheckBlockSize> keyCheckBlock{};
  uint32_t keyCheckSum = 0;
  uint8_t cryptoAlgorithm = 0;
  uint8_t cryptoMode = 0;
  uint8_t passwordUsed = 0;

  void Encode(uint8_t* out) const;  // kFileHeaderSize bytes
  static TDVXFileHeader Decode(const uint8_t* in);
  bool HasSignature() const;
  bool VersionInRange() const { return formatVersion >= kMinFormatVersion && formatVersion <= kMaxFormatVersion; }
};

}  // namespace dvx
