#pragma once
// Builds the eight reference database files from a data folder into an
// output folder, all or nothing:
//
//   1. read and validate the sources and plan every record (build_plan.h);
//      with problems nothing is written and the problems are returned;
//   2. write the eight files into a fresh folder beside the output folder
//      (".<name>.build-XXXXXX" in its parent), one after the other;
//   3. move them into the output folder: files of an older set are first
//      moved aside into the build folder, then each new file is renamed
//      into place; should a rename fail, the new files are taken out again
//      and the old ones put back;
//   4. remove the build folder.
//
// A failure in 1 or 2 leaves the output folder as it was; other files in it
// are never touched. Only a kill during the renames of step 3 can leave a
// mixed set.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/refdata/build_plan.h"
#include "tools/refdata/content_rules.h"
#include "tools/refdata/source_problem.h"

namespace refdata {

struct TBuiltFile {
  std::string fileName;   // "dbBaum.dvx"
  std::string tableName;  // "Baum"
  int records = 0;
};

struct TBuildResult {
  std::vector<TProblem> problems;  // the sources' problems; nothing was written when not empty
  std::vector<TBuiltFile> files;   // what was written, in ReferenceTables() order
};

// Called after each file is written.
using TBuildProgress = std::function<void(const TBuiltFile& file, int number, int total)>;

// Failures other than problems of the sources (a folder that cannot be
// made, an engine error) throw std::runtime_error after cleaning up.
TBuildResult BuildDatabaseSet(const std::filesystem::path& source, const std::filesystem::path& out,
                              const TContentRules& rules, const TMemoRenderer& renderMemo,
                              const TBuildProgress& progress = {});

}  // namespace refdata
