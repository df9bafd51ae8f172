#pragma once
// Page header and page types.
//
// Every page the storage engine formats itself begins with a 40-byte header
// (index pages overwrite it with their own layout):
//   offset 0   4  Signature   "DVSP"
//   offset 4   4  reserved    0
//   offset 8   2  PageType    TDVXPageType
//   offset 10  4  NextPageNo  next page of the same chain, -1 for none
//   offset 14  4  reserved    0
//   offset 18  4  reserved    0
//   offset 22  4  OwnerID     TableID of the owner; -2 system directory,
//                             -3 active sessions file, -4 table list file,
//                             -5 free-space bitmaps, -1 not set
//   offset 26  4  reserved    -1
//   offset 30  2  reserved    0
//   offset 32  8  reserved    zero in a page formatted from a zeroed buffer
// The usable part of such a page is its last PageSize - 40 bytes.
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/core/byte_order.h"

namespace dvx {

enum TDVXPageType : uint16_t {
  PageTypeIDUnknown = 0,
  PageTypeIDEmpty = 1,
  PageTypeIDGAM = 2,
  PageTypeIDSGAM = 3,
  PageTypeIDPFS = 4,
  PageTypeIDFileSystemDirectory = 5,
  PageTypeIDActiveSessionList = 6,
  PageTypeIDTableList = 7,
  PageTypeIDTablePFSMap = 8,
  PageTypeIDTableLocks = 9,
  PageTypeIDTableDataSmall = 10,  // small data items
  PageTypeIDTableDataLarge = 11,  // chains of large data items
  PageTypeIDTableRows = 12,       // record pages
  PageTypeIDTablePFS = 13,
  DVXPageTypeIDTableMetadata = 14,
  DVXPageTypeIDTableMostUpdated = 15,
};
constexpr int kPageTypeCount = 16;

// The type's name as the engine keeps it; "Unknown(<n>)" outside the table.
std::string PageTypeName(int pageType);

constexpr int32_t kNoPage = -1;
constexpr int kPageHeaderSize = 40;
constexpr char kPageSignature[4] = {'D', 'V', 'S', 'P'};

constexpr int kPageSignatureOffset = 0;
constexpr int kPageTypeOffset = 8;
constexpr int kPageNextOffset = 10;
constexpr int kPageOwnerOffset = 22;
constexpr int kPageReserved26Offset = 26;

// A view of the header at the start of a page buffer.
struct TDVXPageHeader {
  static bool HasSignature(const uint8_t* page) { return std::memcmp(page, kPageSignature, 4) == 0; }
  static uint16_t PageType(const uint8_t* page) { return GetU16(page + kPageTypeOffset); }
  static int32_t NextPageNo(const uint8_t* page) { return GetI32(page + kPageNextOffset); }
  static int32_t OwnerID(const uint8_t* page) { return GetI32(page + kPageOwnerOffset); }
  static void SetPageType(uint8_t* page, uint16_t type) { PutU16(page + kPageTypeOffset, type); }
  static void SetNextPageNo(uint8_t* page, int32_t next) { PutI32(page + kPageNextOffset, next); }
  static void SetOwnerID(uint8_t* page, int32_t owner) { PutI32(page + kPageOwnerOffset, owner); }
  // Signature, reserved 0, type, next page, owner and the reserved -1 at
  // offset 26; the other header bytes are left as they are.
  static void Format(uint8_t* page, uint16_t type, int32_t next, int32_t owner) {
    std::memcpy(page, kPageSignature, 4);
    PutU32(page + 4, 0);
    SetPageType(page, type);
    SetNextPageNo(page, next);
    SetOwnerID(page, owner);
    PutI32(page + kPageReserved26Offset, -1);
  }
};

}  // namespace dvx
