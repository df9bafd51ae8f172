#pragma once
// The table list file: a cached internal file of type 7 (owner -4), reread
// before every use. Its content is a packed array of 544-byte records in
// creation order:
//   0    256  TableName              length byte + up to 255 characters
//   256  4    TableID                signed
//   260  4    MetadataFirstPageNo
//   264  4    MostUpdatedFirstPageNo
//   268  4    PFSMapFirstPageNo
//   272  4    LocksFirstPageNo
//   276  260  reserved               zero
//   536  1    reserved flag          0
//   537  7    reserved               zero
// Names compare without regard to case (upper-cased in Windows-1252).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/storage/internal_file.h"

namespace dvx {

constexpr int kTableListRecordSize = 544;
constexpr int kTableNameFieldSize = 256;
constexpr int kTableIDOffset = 256;
constexpr int kMetadataFirstPageOffset = 260;
constexpr int kMostUpdatedFirstPageOffset = 264;
constexpr int kPFSMapFirstPageOffset = 268;
constexpr int kLocksFirstPageOffset = 272;
constexpr int kReservedFlagOffset = 536;

struct TDVXTableListRecord {
  std::string tableName;
  int32_t tableID = 0;
  int32_t metadataFirstPageNo = kNoPage;
  int32_t mostUpdatedFirstPageNo = kNoPage;
  int32_t pfsMapFirstPageNo = kNoPage;
  int32_t locksFirstPageNo = kNoPage;
  uint8_t reservedFlag = 0;

  void Encode(uint8_t* out) const;
  static TDVXTableListRecord Decode(const uint8_t* in);
};

class TDVXTableListFile {
 public:
  explicit TDVXTableListFile(TDVXPageManager& pageManager);

  int32_t Create();
  void Open(int32_t firstPageNo);
  bool Exists(const std::string& name);
  int32_t Add(const TDVXTableListRecord& record);
  void Delete(const std::string& name);
  void Rename(const std::string& oldName, const std::string& newName);
  std::vector<std::string> ListNames();
  int32_t NextTableID();
  std::optional<TDVXTableListRecord> GetRecord(const std::string& name);
  const std::vector<TDVXTableListRecord>& Records();
  int32_t FirstPageNo() const { return file_.FirstPageNo(); }

 private:
  void Reread();
  void WriteBack();

  TDVXInternalDBFile file_;
  std::vector<TDVXTableListRecord> records_;
};

}  // namespace dvx
