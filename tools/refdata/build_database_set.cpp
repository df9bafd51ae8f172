#include "tools/refdata/build_database_set.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

#include "tools/refdata/build_table_file.h"
#include "tools/refdata/source_tree.h"

namespace refdata {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAsideFolder = "previous";

// A new folder beside `out`, in its parent (made when missing), so that
// renaming from it into `out` never crosses file systems.
fs::path MakeBuildFolder(const fs::path& out) {
  const fs::path absolute = fs::absolute(out).lexically_normal();
  const fs::path target = absolute.has_filename() ? absolute : absolute.parent_path();
  fs::create_directories(target.parent_path());
  std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".build-XXXXXX")).string();
  if (!mkdtemp(pattern.data()))
    throw std::runtime_error("cannot create a build folder beside " + out.string() + ": " +
                             std::generic_category().message(errno));
  return pattern;
}

// Removes the build folder whatever happens to the build.
class TBuildFolder {
 public:
  explicit TBuildFolder(fs::path path) : path_(std::move(path)) {}
  ~TBuildFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Step 3: the old files aside, the new ones in; undone on a failure.
void MoveIntoPlace(const fs::path& built, const fs::path& out, const std::vector<TBuiltFile>& files) {
  fs::create_directories(out);
  const fs::path aside = built / kAsideFolder;
  fs::create_directory(aside);
  std::vector<std::string> movedAside, movedIn;
  try {
    for (const TBuiltFile& file : files) {
      const fs::path target = out / file.fileName;
      if (fs::is_directory(target)) throw std::runtime_error(target.string() + " is a folder");
      if (fs::exists(fs::symlink_status(target))) {
        fs::rename(target, aside / file.fileName);
        movedAside.push_back(file.fileName);
      }
    }
    for (const TBuiltFile& file : files) {
      fs::rename(built / file.fileName, out / file.fileName);
      movedIn.push_back(file.fileName);
    }
  } catch (const std::exception& error) {
    std::error_code ignored;
    for (const std::string& name : movedIn) fs::rename(out / name, built / name, ignored);
    for (const std::string& name : movedAside) fs::rename(aside / name, out / name, ignored);
    throw std::runtime_error(std::string("cannot move the built files into place: ") + error.what());
  }
}

}  // namespace

TBuildResult BuildDatabaseSet(const fs::path& source, const fs::path& out, const TContentRules& rules,
                              const TMemoRenderer& renderMemo, const TBuildProgress& progress) {
  TBuildResult result;
  const TSourceTree tree = LoadSourceTree(source);
  const TBuildPlan plan = PlanBuild(tree, rules, renderMemo);
  if (!plan.problems.empty()) {
    result.problems = plan.problems;
    return result;
  }
  const TBuildFolder built(MakeBuildFolder(out));
  const int total = static_cast<int>(plan.tables.size());
  for (const TBuildTable& table : plan.tables) {
    TBuiltFile file{std::string(table.schema->fileName), std::string(table.schema->tableName), 0};
    file.records = WriteTableFile(built.Path() / file.fileName, table);
    result.files.push_back(file);
    if (progress) progress(file, static_cast<int>(result.files.size()), total);
  }
  MoveIntoPlace(built.Path(), out, result.files);
  return result;
}

}  // namespace refdata
