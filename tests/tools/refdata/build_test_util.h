// Shared helpers of the reference-data builder tests: a source folder (the
// small valid tree of refdata_test_util.h) with an output folder of its own
// parent, so what a build leaves beside the output is visible, a stand-in
// for the RTF rendering, and reading a built table back through the table
// component.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/components/database.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "tests/tools/refdata/refdata_test_util.h"
#include "tools/refdata/build_database_set.h"
#include "tools/refdata/build_host_schema.h"
#include "tools/refdata/table_schema.h"

namespace refdatatest {

// Marks the text, so a stored memo shows which source text it came from.
inline std::string FakeRtf(std::string_view text) { return "{\\rtf1 " + std::string(text) + "}"; }

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Names in a folder, sorted.
inline std::vector<std::string> FolderNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& item : fs::directory_iterator(folder, ignored)) names.push_back(item.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A built table's records, each as field name -> AsString of the field (for
// memos and pictures the stored bytes), in physical order.
using TRow = std::map<std::string, std::string>;
inline std::vector<TRow> ReadTable(const fs::path& file, const refdata::TTableSchema& schema) {
  static std::atomic<int> counter{0};
  dvx::TDVXDatabase database;
  database.SetDatabaseName("dbBuildCheck" + std::to_string(++counter));
  database.SetDatabaseFileName(file.string());
  database.SetExclusive(false);
  dvx::TDVXTable table;
  table.SetDatabaseName(database.DatabaseName());
  table.SetTableName(std::string(schema.tableName));
  table.Open();
  std::vector<TRow> rows;
  for (table.First(); !table.Eof(); table.Next()) {
    TRow row;
    for (const refdata::TFieldSchema& field : schema.fields) {
      const dvx::TField& f = table.FieldByName(std::string(field.name));
      row[std::string(field.name)] = f.IsNull() ? "<NULL>" : f.AsString();
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

class TBuildFolderTest : public TSourceFolderTest {
 protected:
  void SetUp() override {
    TSourceFolderTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "refdata-out-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    outParent_ = pattern;
    out_ = outParent_ / "data";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(outParent_, ignored);
    TSourceFolderTest::TearDown();
  }

  refdata::TBuildResult Build(const fs::path& out) {
    return refdata::BuildDatabaseSet(root_, out, small_.rules, FakeRtf);
  }
  refdata::TBuildResult Build() { return Build(out_); }

  // The bytes of every file of a set, by file name ("<folder>" for a folder).
  std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : FolderNames(folder))
      files[name] = fs::is_directory(folder / name) ? "<folder>" : ReadBytes(folder / name);
    return files;
  }

  fs::path outParent_, out_;
};

}  // namespace refdatatest
