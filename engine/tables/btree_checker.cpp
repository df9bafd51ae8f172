#include "engine/tables/btree_checker.h"

#include <optional>

#include "engine/core/exception.h"
#include "engine/tables/btree_controller.h"

namespace dvx {

namespace {

std::string PageText(int32_t pageNo) { return "page " + std::to_string(pageNo); }

}  // namespace

void TDVXBTreeChecker::Problem(TDVXBTreeCheckReport& report, const std::string& text) {
  if (report.problems.size() < kMaxProblems) report.problems.push_back(text);
}

TDVXBTreeCheckReport TDVXBTreeChecker::Check() {
  TDVXBTreeCheckReport report;
  levels_.clear();
  recordIDs_.clear();
  leafLevel_ = -1;
  if (index_.RootPageNo() == -1) return report;
  const TDVXBTreeContext context = index_.Context(session_);
  Visit(context, index_.RootPageNo(), 0, nullptr, nullptr, report);

  report.depth = static_cast<int>(levels_.size());
  for (size_t level = 0; level < levels_.size(); ++level) {
    const std::vector<TLevelPage>& pages = levels_[level];
    report.levelPages.push_back(static_cast<int>(pages.size()));
    const std::string where = " on level " + std::to_string(level);
    for (size_t i = 0; i < pages.size(); ++i) {
      const int32_t expectPrev = i == 0 ? -1 : pages[i - 1].pageNo;
      const int32_t expectNext = i + 1 == pages.size() ? -1 : pages[i + 1].pageNo;
      if (pages[i].prev != expectPrev)
        Problem(report, PageText(pages[i].pageNo) + where + ": previous link " + std::to_string(pages[i].prev) +
                            ", expected " + std::to_string(expectPrev));
      if (pages[i].next != expectNext)
        Problem(report, PageText(pages[i].pageNo) + where + ": next link " + std::to_string(pages[i].next) +
                            ", expected " + std::to_string(expectNext));
      if (pages[i].count == 0 && pages.size() > 1)
        Problem(report, PageText(pages[i].pageNo) + where + " has no entries beside other pages of its level");
    }
  }
  return report;
}

void TDVXBTreeChecker::Visit(const TDVXBTreeContext& context, int32_t pageNo, int level, const uint8_t* low,
                             const uint8_t* high, TDVXBTreeCheckReport& report) {
  if (level >= TDVXKeyPath::kMaxDepth) {
    Problem(report, PageText(pageNo) + " lies deeper than 32 levels");
    return;
  }
  if (!report.pages.insert(pageNo).second) {
    Problem(report, PageText(pageNo) + " is reached twice");
    return;
  }
  std::optional<TDVXBTreePage> read;
  try {
    read.emplace(context, pageNo);
  } catch (const EDVXException& e) {
    Problem(report, PageText(pageNo) + ": " + e.Message());
    return;
  }
  TDVXBTreePage& page = *read;
  if (levels_.size() <= static_cast<size_t>(level)) levels_.resize(static_cast<size_t>(level) + 1);
  levels_[static_cast<size_t>(level)].push_back(TLevelPage{pageNo, page.PrevPageNo(), page.NextPageNo(), page.Count()});

  const std::string where = PageText(pageNo);
  if (page.IsRoot() != (level == 0))
    Problem(report, where + (level == 0 ? " is the root without the root flag" : " carries the root flag below the root"));
  std::string order;
  if (!page.Controller().CheckOrder(page, order)) Problem(report, where + ": " + order);

  const TDVXBTreeKeyRef& keyRef = context.keyRef;
  const int count = page.Count();
  const int firstCompared = page.IsLeaf() ? 0 : 1;
  for (int i = firstCompared; i < count; ++i) {
    if (low && keyRef.Compare(page.Key(i), low) < 0)
      Problem(report, where + ": key of entry " + std::to_string(i) + " is below its separator");
    if (high && keyRef.Compare(page.Key(i), high) > 0)
      Problem(report, where + ": key of entry " + std::to_string(i) + " is above the next separator");
  }

  if (page.IsLeaf()) {
    if (leafLevel_ == -1) leafLevel_ = level;
    if (leafLevel_ != level)
      Problem(report, where + " is a leaf on level " + std::to_string(level) + ", other leaves are on level " +
                          std::to_string(leafLevel_));
    report.entryCount += count;
    for (int i = 0; i < count; ++i) {
      const TDVXRecordID id = page.RecordID(i);
      if (!recordIDs_.insert(id).second)
        Problem(report, where + ": record ID " + std::to_string(id.pageNo) + ":" + std::to_string(id.itemNo) +
                            " appears twice in the index");
    }
    return;
  }
  if (leafLevel_ != -1 && level >= leafLevel_) Problem(report, where + " is a node on the leaf level or below");
  if (count == 0) {
    Problem(report, where + " is a node without entries");
    return;
  }
  // Separators of this page bound its children; they are copied because
  // the page is released before the children are read.
  const int keyLength = page.KeyLength();
  std::vector<uint8_t> keys(static_cast<size_t>(count) * keyLength);
  std::vector<int32_t> children(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::copy(page.Key(i), page.Key(i) + keyLength, keys.begin() + static_cast<ptrdiff_t>(i) * keyLength);
    children[static_cast<size_t>(i)] = page.Child(i);
  }
  read.reset();
  for (int i = 0; i < count; ++i) {
    const uint8_t* childLow = i > 0 ? keys.data() + static_cast<ptrdiff_t>(i) * keyLength : low;
    const uint8_t* childHigh = i + 1 < count ? keys.data() + static_cast<ptrdiff_t>(i + 1) * keyLength : high;
    Visit(context, children[static_cast<size_t>(i)], level + 1, childLow, childHigh, report);
  }
}

}  // namespace dvx
