#pragma once
// What the builder writes, worked out before any file is touched: per
// reference table the records in insertion order, each with one value per
// declared field. A plan with problems is never written.
//
// Values by the field's source (table_schema.h):
//   Header, Column   the UTF-8 text of the header line or cell; "" is NULL
//   Memo             the entry's text (or "@@" section) rendered as RTF
//   Picture          the bytes of the file named by 'Bild'; NULL without one
//   Parent           the Baum_ID of the parent record, known once the parent
//                    is written; 0 for the root
//   Automatic        numbered by the engine
//   Unused           NULL
// and Ls of "Baum" from the entry's place in the tree (build_tree_keys.h).
//
// Fixed-length texts must fit their fields once encoded in Windows-1252:
// nothing is cut, a longer text is a problem at its header line. Primary key
// fields that the engine does not number must not be NULL.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/refdata/content_rules.h"
#include "tools/refdata/source_problem.h"
#include "tools/refdata/source_tree.h"
#include "tools/refdata/table_schema.h"

namespace refdata {

struct TBuildValue {
  enum class TKind {
    Null,
    Automatic,  // left to the engine
    Text,       // UTF-8, for fixed-length character fields
    Integer,
    ParentId,   // the Baum_ID the record `parent` of the same table gets
    Bytes,      // memo and picture contents
  };
  TKind kind = TKind::Null;
  std::string data;  // Text and Bytes
  int64_t integer = 0;
  int parent = -1;
  int line = 0;  // the header line or row it comes from; 0 when made by the builder
};

struct TBuildRecord {
  std::string file;  // where the entry or row stands, relative to the data folder
  int line = 0;
  std::vector<TBuildValue> values;  // one per field of the schema, in declared order
};

struct TBuildTable {
  const TTableSchema* schema = nullptr;
  std::vector<TBuildRecord> records;  // in insertion order
};

struct TBuildPlan {
  std::vector<TBuildTable> tables;  // the reference tables, in ReferenceTables() order
  std::vector<TProblem> problems;   // sorted by file and line
};

// Turns a formatted memo's source text into the bytes the field stores.
using TMemoRenderer = std::function<std::string(std::string_view sourceText)>;

// Validates the loaded sources (source_validator.h) and, when they pass,
// assembles the records. With problems the tables are left empty.
TBuildPlan PlanBuild(const TSourceTree& tree, const TContentRules& rules, const TMemoRenderer& renderMemo);

}  // namespace refdata
