#pragma once
// TDVXTableChecker: verifies one open table's records against its indexes
// and its NOT NULL, UNIQUE and PRIMARY KEY constraints, for the database
// check. It reports what it finds instead of stopping at the first fault:
//  - every index passes the B-tree checker (btree_checker.h); an index
//    that does not is not compared with the records, since its entries
//    cannot be walked reliably;
//  - every record has an entry in every index, holding the key its fields
//    give;
//  - every index entry points at a live record;
//  - no record leaves a NOT NULL field or a primary key column NULL;
//  - every BLOB, memo and picture value reads whole (block headers,
//    checksums, decompression); variable strings are read with their
//    records;
//  - no two records share the key of a unique or primary constraint, with
//    keys compared as the constraint's index compares them (NULLs equal to
//    one another, case ignored where the index ignores it), which is how
//    inserts and updates decide a duplicate.
// Records are read through the table object in the given session; the
// caller keeps the file in one consistent state meanwhile (the commit
// locks). Keys of every record are held in memory for the comparison.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/tables/table_data.h"

namespace dvx {

struct TDVXTableCheckReport {
  std::vector<std::string> problems;
  int64_t recordCount = 0;
  // Every page of every index that could be walked, with its owner's
  // description ("index 'PK' of table 'Remedies'").
  std::map<int32_t, std::string> indexPages;

  bool Ok() const { return problems.empty(); }
};

class TDVXTableChecker {
 public:
  static constexpr size_t kMaxProblems = 100;

  TDVXTableChecker(TDVXTableData& table, int32_t session) : table_(table), session_(session) {}
  TDVXTableCheckReport Check();

 private:
  struct TKeyed;
  void Problem(const std::string& text);
  // Reads every BLOB value of the record whole.
  void CheckValues(const TDVXRecordID& id, const uint8_t* record);
  void CheckIndexEntries(int indexNo, std::vector<TKeyed>& keys);
  void CheckUnique(const TDVXConstraintDefUnique& constraint, const std::vector<std::vector<TKeyed>>& keys);

  TDVXTableData& table_;
  int32_t session_;
  TDVXTableCheckReport report_;
  size_t dropped_ = 0;
  // What CheckValues reads values into, made once for every record.
  std::vector<uint8_t> piece_;
};

}  // namespace dvx
