#include "engine/storage/page_types.h"

namespace dvx {

std::string PageTypeName(int pageType) {
  static const char* const kNames[kPageTypeCount] = {
      "PageTypeIDUnknown",          "PageTypeIDEmpty",
      "PageTypeIDGAM",              "PageTypeIDSGAM",
      "PageTypeIDPFS",              "PageTypeIDFileSystemDirectory",
      "PageTypeIDActiveSessionList", "PageTypeIDTableList",
      "PageTypeIDTablePFSMap",      "PageTypeIDTableLocks",
      "PageTypeIDTableDataSmall",   "PageTypeIDTableDataLarge",
      "PageTypeIDTableRows",        "PageTypeIDTablePFS",
      "DVXPageTypeIDTableMetadata", "DVXPageTypeIDTableMostUpdated",
  };
  if (pageType >= 0 && pageType < kPageTypeCount) return kNames[pageType];
  return "Unknown(" + std::to_string(pageType) + ")";
}

}  // namespace dvx
