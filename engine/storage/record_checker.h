#pragma once
// TDVXRecordChecker: verifies the records, table page maps and data items of
// every table of a database file, reading pages straight from the file
// (never through the cache) and collecting every problem:
//  - the PFS map against the invariants of the page maps (entry count for
//    PageNoLimit, table PFS pages of the table), and each entry's
//    RecordCount against the record pages it covers;
//  - record pages: type and owner, slot bitmaps against their PageValues,
//    chains of large records against the record size;
//  - data items: directories within their pages and their free space
//    against the PageValues, large-item chains against their sizes;
//  - references: every reference of a record names an existing item of the
//    right kind, and every item is named by exactly one reference.
// The pages of each table are handed to the database checker
// (AddReferencedPage), which finds pages claimed twice and pages in use
// that belong to nothing. Run Check before the database checker's Check.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/schema/field_def.h"
#include "engine/storage/data_item.h"
#include "engine/storage/database_checker.h"
#include "engine/storage/record_id.h"
#include "engine/storage/record_page.h"
#include "engine/storage/table_list_file.h"
#include "engine/storage/table_pfs_page.h"

namespace dvx {

class TDVXRecordChecker {
 public:
  TDVXRecordChecker(TDVXDiskPageManager& pageManager, TDVXDatabaseChecker& databaseChecker);

  // Every table of the table list.
  void Check();
  void CheckTable(const TDVXTableListRecord& table);
  const std::vector<std::string>& Problems() const { return problems_; }

 private:
  struct TMapPage {
    TDVXTablePageKind kind;
    uint16_t value;
  };
  struct TItem {
    TDVXTablePageKind kind;
    TDVXItemHeader header;
    int references = 0;
  };
  // What the pass over a table's pages learnt about one page.
  struct TPageInfo {
    uint16_t type = 0;
    int32_t next = -1;
    TDVXItemHeader head;  // the first 20 data bytes, for large-item pages
  };
  struct TTable {
    std::string name;
    int32_t tableID = 0;
    TDVXFieldDefs fields;
    bool fieldsKnown = false;
    // Why the field definitions are unknown. Records need them, so this is
    // a problem only when the table's map holds pages; definitions as such
    // are the table layer's to judge (the storage layer also keeps tables
    // whose metadata file holds no definitions yet).
    std::string definitionsTrouble;
    TDVXRecordPageLayout layout;
    std::map<int32_t, TMapPage> pages;
    std::map<int32_t, TPageInfo> info;
    std::map<std::pair<int32_t, uint16_t>, TItem> items;  // small items by (page, ItemID)
    std::map<int32_t, int> largeItemReferences;          // by first page
    std::set<int32_t> chained;                           // pages reached through chains
  };

  void Problem(const TTable& table, const std::string& text);
  bool ReadPage(int32_t pageNo, std::vector<uint8_t>& page);
  // An internal file's content; false (no problem reported: the database
  // checker reports the file) when it cannot be read.
  bool ReadFile(int32_t firstPageNo, std::vector<uint8_t>& content);
  bool LoadFields(const TDVXTableListRecord& record, TTable& table);
  bool LoadMap(const TDVXTableListRecord& record, TTable& table);
  void CheckRecordPage(TTable& table, int32_t pageNo, const std::vector<uint8_t>& page);
  void CheckLargeRecord(TTable& table, int32_t pageNo);
  void CheckSmallDataPage(TTable& table, int32_t pageNo, const std::vector<uint8_t>& page);
  void CheckImage(TTable& table, const uint8_t* image, const std::string& where);
  void CheckReference(TTable& table, const TDVXFieldDef& field, const TDVXRecordID& reference,
                      const std::string& where);
  // Follows a chain through the pages the pass saw: false with a problem
  // when it leaves the table's pages of `kind`, runs in a cycle or does not
  // have `length` pages.
  bool FollowChain(TTable& table, int32_t first, TDVXTablePageKind kind, uint64_t length, const std::string& what,
                   std::vector<int32_t>* pages = nullptr);
  void CheckLeftovers(TTable& table);

  TDVXDiskPageManager& pageManager_;
  TDVXDatabaseChecker& databaseChecker_;
  TDVXTablePFSLayout pfsLayout_;
  int dataSize_;
  std::vector<std::string> problems_;
};

}  // namespace dvx
