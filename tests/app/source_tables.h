#pragma once
// The bound tables as data/ describes them: which folder holds a table's
// entries and in which order its active index shows them, by the engine's
// collation, so tests can say which record a search must find.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/locale.h"
#include "tests/app/built_databases.h"

namespace fendra::testing {

// One bound table as the sources see it: its folder, the field its active
// index orders by (empty: insertion order) and whether that index ignores
// case.
struct TSourceTable {
  const char* Table;    // table component
  const char* Folder;   // under data/
  const char* Key;      // ordering field, UTF-8
  bool IgnoreCase;
};

inline constexpr TSourceTable kIndList{"TblIndList", "IndList", "Indikationen", false};
inline constexpr TSourceTable kRemedies{"TblAML", "TABHOM", "Hom Bezeichnung", false};
inline constexpr TSourceTable kEmergencies{"TblNotfall", "Emerg", "Indikation", true};
inline constexpr TSourceTable kChildRemedies{"tbKIndKM", "KindKM", "Bez", true};
inline constexpr TSourceTable kBasics{"tbGrdlg", "Grundlagen", "Verzeichnis", true};
inline constexpr TSourceTable kChildIndications{"tblKinderS", "KindInd", "", false};

// The engine's collation of Windows-1252 text, whatever form the component
// layer takes names in.
inline int Compare(const std::string& a, const std::string& b, bool ignoreCase) {
  return dvx::CompareAnsi(dvx::Utf8ToAnsi(a), dvx::Utf8ToAnsi(b), ignoreCase);
}

// The entries in the order of the table's active index, by the engine's
// collation; ties keep insertion order, as the index does for equal keys.
inline std::vector<TSourceEntry> InIndexOrder(const TSourceTable& table) {
  std::vector<TSourceEntry> entries = ReadSourceEntries(table.Folder);
  if (*table.Key != '\0')
    std::stable_sort(entries.begin(), entries.end(), [&](const TSourceEntry& a, const TSourceEntry& b) {
      return Compare(a.Field(table.Key), b.Field(table.Key), table.IgnoreCase) < 0;
    });
  return entries;
}

// The first entry at or after `text` in the table's index order (the
// nearest-key search's answer), or the last entry when none is.
inline TSourceEntry NearestEntry(const TSourceTable& table, const std::string& text) {
  const std::vector<TSourceEntry> entries = InIndexOrder(table);
  for (const TSourceEntry& entry : entries)
    if (Compare(entry.Field(table.Key), text, table.IgnoreCase) >= 0) return entry;
  return entries.back();
}

}  // namespace fendra::testing
