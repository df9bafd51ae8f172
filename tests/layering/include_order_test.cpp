// The engine is a stack of layers: a folder may include only itself and the
// folders before it, and the application reaches the engine only through
// the components, the query layer and the core services. This test reads every
// `#include "engine/..."` of the product sources and names each include
// that breaks the order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kLayers = {"core", "crypto", "values",     "schema", "storage",
                                          "sql",  "tables", "components", "query"};

int LayerIndex(const std::string& name) {
  auto it = std::find(kLayers.begin(), kLayers.end(), name);
  return it == kLayers.end() ? -1 : static_cast<int>(it - kLayers.begin());
}

bool IsSource(const fs::path& p) {
  const auto ext = p.extension();
  return ext == ".h" || ext == ".cpp";
}

// The first folder below `top` of a path relative to the tree's root, or ""
// when the path does not start with `top`.
std::string FolderBelow(const fs::path& relative, const std::string& top) {
  auto it = relative.begin();
  if (it == relative.end() || *it != top) return {};
  ++it;
  return it == relative.end() ? std::string{} : it->string();
}

// Every breach of the layer order in the tree at `root`, one line each:
// "file:line: what".
std::vector<std::string> LayerViolations(const fs::path& root) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*\"engine/([^/\"]+)/)");
  std::vector<std::string> problems;
  for (const char* top : {"engine", "app"}) {
    if (!fs::exists(root / top)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
      if (!entry.is_regular_file() || !IsSource(entry.path())) continue;
      const fs::path relative = fs::relative(entry.path(), root);
      const std::string folder = FolderBelow(relative, "engine");
      const int own = std::string(top) == "engine" ? LayerIndex(folder) : -1;
      if (std::string(top) == "engine" && own < 0) {
        // Sources directly in engine/ or in an unknown folder belong to no layer.
        problems.push_back(relative.string() + ":1: not inside a layer folder of engine/");
        continue;
      }
      std::ifstream in(entry.path());
      std::string line;
      for (int number = 1; std::getline(in, line); ++number) {
        std::smatch m;
        if (!std::regex_search(line, m, kInclude)) continue;
        const std::string target = m[1];
        const int included = LayerIndex(target);
        const std::string where = relative.string() + ":" + std::to_string(number) + ": ";
        if (included < 0) {
          problems.push_back(where + "includes engine/" + target + "/, which is no layer");
        } else if (std::string(top) == "app") {
          if (target != "core" && target != "components" && target != "query")
            problems.push_back(where + "the application includes engine/" + target +
                               "/; it may use only engine/components/, engine/query/ and engine/core/");
        } else if (included > own) {
          problems.push_back(where + "engine/" + folder + "/ includes the later layer engine/" + target + "/");
        }
      }
    }
  }
  std::sort(problems.begin(), problems.end());
  return problems;
}

TEST(LayerOrder, ProductSourcesIncludeOnlyEarlierLayers) {
  const auto problems = LayerViolations(FENDRA_SOURCE_DIR);
  std::string report;
  for (const auto& p : problems) report += p + "\n";
  EXPECT_TRUE(problems.empty()) << report;
}

// The check itself, on a small tree written for the purpose.
class LayerOrderCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("fendra_layers_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  void Write(const std::string& path, const std::string& text) {
    fs::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path) << text;
  }
  fs::path root_;
};

TEST_F(LayerOrderCheck, NamesFileAndLineOfAnIncludeOfALaterLayer) {
  Write("engine/core/a.h", "#pragma once\n");
  Write("engine/storage/b.cpp", "#include \"engine/core/a.h\"\n#include \"engine/schema/c.h\"\n");
  Write("engine/values/d.cpp", "// ok\n\n  #  include \"engine/storage/b.h\"\n");
  EXPECT_EQ(LayerViolations(root_),
            (std::vector<std::string>{
                "engine/values/d.cpp:3: engine/values/ includes the later layer engine/storage/"}));
}

TEST_F(LayerOrderCheck, ApplicationMayUseOnlyComponentsQueryAndCore) {
  Write("app/w.cpp",
        "#include \"engine/components/db.h\"\n#include \"engine/core/exception.h\"\n"
        "#include \"engine/tables/cursor.h\"\n#include \"engine/query/query.h\"\n");
  EXPECT_EQ(LayerViolations(root_),
            (std::vector<std::string>{"app/w.cpp:3: the application includes engine/tables/; it may use only "
                                      "engine/components/, engine/query/ and engine/core/"}));
}

// The query layer builds on the components (its query component is a
// dataset, its operators read through the table component), never the
// other way round.
TEST_F(LayerOrderCheck, ComponentsComeBeforeQuery) {
  Write("engine/query/q.cpp", "#include \"engine/components/dataset.h\"\n");
  Write("engine/components/c.cpp", "#include \"engine/query/operator.h\"\n");
  EXPECT_EQ(LayerViolations(root_),
            (std::vector<std::string>{
                "engine/components/c.cpp:1: engine/components/ includes the later layer engine/query/"}));
}

TEST_F(LayerOrderCheck, SourcesOutsideTheLayerFoldersAndUnknownLayersAreReported) {
  Write("engine/loose.cpp", "\n");
  Write("engine/core/x.cpp", "#include \"engine/misc/y.h\"\n");
  EXPECT_EQ(LayerViolations(root_),
            (std::vector<std::string>{"engine/core/x.cpp:1: includes engine/misc/, which is no layer",
                                      "engine/loose.cpp:1: not inside a layer folder of engine/"}));
}

}  // namespace
