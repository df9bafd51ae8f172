// dvx pages FILE [--password TEXT]: one line per page in use: number, type
// name, owner, next.
#include <iostream>

#include "engine/storage/free_space_layout.h"
#include "tools/dvx/command.h"
#include "tools/dvx/database_open.h"

namespace dvx::tool {
namespace {

int RunPages(const std::vector<std::string>& args) {
  TDvxParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, {"--password"}, {}, parsed, error)) return UsageError(error);
  if (parsed.positional.size() != 1) return UsageError("pages needs exactly one FILE");
  auto pm = OpenForReading(parsed.positional[0], parsed.Get("--password"));
  TDvxConsistentState hold(*pm);
  const int32_t pageCount = pm->GetPageCount();
  TDVXFreeSpaceLayout layout(pm->PageSize(), pm->Header().extentPageCount);
  std::vector<uint8_t> pfs(static_cast<size_t>(pm->PageSize()));
  uint8_t header[kPageHeaderSize];
  for (int32_t p = 0; p < pageCount; ++p) {
    if (layout.IsPFSPage(p)) pm->ReadWholePage(pfs.data(), p, kErrReadPage);
    if (!BitmapBit(pfs.data() + kPageHeaderSize, p - layout.PFSPageOf(p))) continue;
    pm->ReadPagePart(header, p, kPageHeaderSize, -kPageHeaderSize);
    std::cout << p << " " << PageTypeName(TDVXPageHeader::PageType(header))
              << " owner=" << TDVXPageHeader::OwnerID(header) << " next=" << TDVXPageHeader::NextPageNo(header)
              << "\n";
  }
  return kExitOk;
}

TDvxCommandRegistration registration({"pages", "pages FILE [--password TEXT]",
                                      "prints one line per page in use: number, type, owner and next page", RunPages});

}  // namespace
}  // namespace dvx::tool
