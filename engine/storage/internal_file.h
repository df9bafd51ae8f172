#pragma once
// Internal files: byte sequences of any length stored in chains of headed
// pages. Every page of the chain carries the file's PageType, NextPageNo
// links the chain in order (-1 ends it) and the first page's OwnerID names
// the owner. The content follows a 12-byte header at the start of the first
// page's data area:
//   0  4  Signature  "DVSF"
//   4  4  FileSize   signed, bytes of content
//   8  1  reserved   0
//   9  3  reserved   not written
//   12 …  content    first PageDataSize - 12 bytes
// Content byte p lies in chain page (p + 12) div PageDataSize at data offset
// (p + 12) mod PageDataSize.
//
// TDVXInternalDBFile is the cached kind: the whole content is read and
// written through the page manager's change sets.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/storage/page_manager.h"
#include "engine/storage/page_types.h"

namespace dvx {

constexpr int kInternalFileHeaderSize = 12;
constexpr char kInternalFileSignature[4] = {'D', 'V', 'S', 'F'};
constexpr int kInternalFileSizeOffset = 4;
constexpr int kInternalFileReservedOffset = 8;
// Bytes 9 to 11 are never written by Encode.
constexpr int kInternalFileHeaderWritten = 9;

// The 12-byte header at the start of an internal file's first data area.
struct TDVXInternalFileHeader {
  int32_t fileSize = 0;

  // Writes bytes 0 to 8 (signature, FileSize, reserved 0); bytes 9 to 11
  // stay as they are.
  void Encode(uint8_t* out) const;
  // False when the signature is not "DVSF"; FileSize is not judged here.
  static bool Decode(const uint8_t* in, TDVXInternalFileHeader& header);
  // The four signature bytes as text, for messages.
  static std::string SignatureText(const uint8_t* in);
};

// The error for a chain or internal-file header that cannot be right.
[[noreturn]] void ThrowCorruptInternalFile(int pageType, int32_t pageNo, const std::string& what);

class TDVXInternalDBFile {
 public:
  TDVXInternalDBFile(TDVXPageManager& pageManager, uint16_t pageType, bool mayKeep = true);

  // Starts a new file on a page added under `session`: empty content.
  void Create(int32_t session, int32_t owner);
  void Open(int32_t firstPageNo, bool mayKeep);
  void Close();
  void ReadFile(int32_t session);
  void WriteFile(int32_t session);
  void EmptyFile(int32_t session);
  // Removes every page of the chain starting at `firstPageNo`.
  void Delete(int32_t session, int32_t firstPageNo);
  void SetSize(size_t size);

  bool IsOpen() const { return firstPageNo_ != kNoPage; }
  int32_t FirstPageNo() const { return firstPageNo_; }
  uint16_t PageType() const { return pageType_; }
  int32_t FileSize() const { return static_cast<int32_t>(content_.size()); }
  std::vector<uint8_t>& Content() { return content_; }
  const std::vector<int32_t>& Chain() const { return chain_; }
  void SetRevalidateHook(TDVXRevalidateHook hook, void* context) {
    hook_ = hook;
    hookContext_ = context;
  }

 private:
  void CheckOpen(const char* operation) const;
  // Walks the chain's page numbers (and nothing else) when they are not
  // known yet.
  void LoadChain(int32_t session);
  void CheckPage(const uint8_t* page, int32_t pageNo) const;

  TDVXPageManager& pageManager_;
  uint16_t pageType_;
  bool mayKeep_;
  bool loaded_ = false;
  int32_t firstPageNo_ = kNoPage;
  std::vector<uint8_t> content_;
  std::vector<int32_t> chain_;
  TDVXRevalidateHook hook_ = nullptr;
  void* hookContext_ = nullptr;
};

}  // namespace dvx
