#pragma once
// The internal files of one table and of the database's session slots.
//
// Table PFS map content (cached file of type 8):
//   0       4  PageNoLimit  one more than the highest database page number
//                           given to the table so far (0 for a new table)
//   4 + 8i  4  PFS page number of entry i
//   8 + 8i  4  RecordCount of entry i
// An empty file stands for PageNoLimit 0 and no entries; any other size must
// be 4 + 8 × entries.
#include <cstdint>
#include <vector>

#include "engine/storage/internal_file.h"
#include "engine/storage/owner_ids.h"
#include "engine/storage/internal_locked_file.h"
#include "engine/core/stream.h"

namespace dvx {

struct TDVXTablePFSMapEntry {
  int32_t pfsPageNo = kNoPage;
  int32_t recordCount = 0;
};

// An in-memory copy of a table's PFS map, taken and put back around
// transactions.
struct TDVXTablePFSMapState {
  int32_t pageNoLimit = 0;
  std::vector<TDVXTablePFSMapEntry> entries;
};

// A cached internal file holding one stream (metadata, most-updated state).
class TDVXTableStreamFile {
 public:
  TDVXTableStreamFile(TDVXPageManager& pageManager, uint16_t pageType) : file_(pageManager, pageType, false) {}
  void Create(int32_t session, int32_t tableID) { file_.Create(session, tableID); }
  void Open(int32_t firstPageNo) { file_.Open(firstPageNo, false); }
  TDVXMemoryStream ReadStream(int32_t session);
  void WriteStream(int32_t session, const TDVXMemoryStream& stream);
  TDVXInternalDBFile& File() { return file_; }

 private:
  TDVXInternalDBFile file_;
};

class TDVXTableMetadataFile : public TDVXTableStreamFile {
 public:
  explicit TDVXTableMetadataFile(TDVXPageManager& pageManager)
      : TDVXTableStreamFile(pageManager, DVXPageTypeIDTableMetadata) {}
};

class TDVXTableMostUpdatedFile : public TDVXTableStreamFile {
 public:
  explicit TDVXTableMostUpdatedFile(TDVXPageManager& pageManager)
      : TDVXTableStreamFile(pageManager, DVXPageTypeIDTableMostUpdated) {}
};

class TDVXTablePFSMapFile {
 public:
  explicit TDVXTablePFSMapFile(TDVXPageManager& pageManager) : file_(pageManager, PageTypeIDTablePFSMap, false) {}
  void Create(int32_t session, int32_t tableID) {
    file_.Create(session, tableID);
    state_ = {};
  }
  void Open(int32_t firstPageNo) { file_.Open(firstPageNo, false); }
  void Load(int32_t session);
  void Save(int32_t session);
  TDVXTablePFSMapState& State() { return state_; }
  TDVXInternalDBFile& File() { return file_; }

 private:
  TDVXInternalDBFile file_;
  TDVXTablePFSMapState state_;
};

// A table's locks file: 11 bytes per session slot, direct kind.
class TDVXTableLocksFile {
 public:
  TDVXTableLocksFile(TDVXDiskPageManager& pageManager, int32_t maxSessionCount)
      : file_(pageManager, PageTypeIDTableLocks), maxSessionCount_(maxSessionCount) {}
  void Create(int32_t tableID) { file_.Create(int64_t{11} * maxSessionCount_, tableID); }
  void Open(int32_t firstPageNo) { file_.Open(firstPageNo); }
  int32_t MaxSessionCount() const { return maxSessionCount_; }
  TDVXInternalLockedDBFile& File() { return file_; }

 private:
  TDVXInternalLockedDBFile file_;
  int32_t maxSessionCount_;
};

// The active sessions file: one byte per session slot, direct kind.
class TDVXActiveSessionsFile {
 public:
  explicit TDVXActiveSessionsFile(TDVXDiskPageManager& pageManager)
      : file_(pageManager, PageTypeIDActiveSessionList) {}
  void Create(int32_t maxSessionCount) { file_.Create(maxSessionCount, kOwnerActiveSessions); }
  void Open(int32_t firstPageNo) { file_.Open(firstPageNo); }
  int32_t MaxSessionCount() const { return static_cast<int32_t>(file_.FileSize()); }
  TDVXInternalLockedDBFile& File() { return file_; }

 private:
  TDVXInternalLockedDBFile file_;
};

}  // namespace dvx
