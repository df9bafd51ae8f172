// The delivered reference content must pass every check.
#include <gtest/gtest.h>

#include "tests/tools/refdata/refdata_test_util.h"
#include "tools/refdata/source_validator.h"

namespace {

TEST(ReferenceContent, DataFolderHasNoProblems) {
  const auto report = refdata::ValidateDataDirectory(std::filesystem::path(FENDRA_SOURCE_DIR) / "data");
  EXPECT_TRUE(report.problems.empty()) << report.problems.size() << " problems:\n" << refdatatest::Describe(report.problems);
}

}  // namespace
