// The tree's sort keys: the scheme on hand-made trees, the sources' own Ls
// checked against it, parents after children, too many siblings, and random
// trees against keys made from each entry's path of positions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/tools/refdata/refdata_test_util.h"
#include "tools/refdata/build_tree_keys.h"
#include "tools/refdata/source_reader.h"
#include "tools/refdata/tree_shape.h"

namespace {

using refdatatest::ProblemAt;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kRoot = "Indikationen mit Schlüssel";
constexpr std::string_view kMemo[] = {"Detail"};

struct TTreeEntry {
  std::string name, parent, ls;  // parent "" for the root
};

class TreeKeysTest : public ::testing::Test {
 protected:
  refdata::TTreeKeys Keys(const std::vector<TTreeEntry>& tree) {
    std::string text;
    for (const TTreeEntry& e : tree) {
      text += "+++\nBezTree: " + e.name + "\n";
      if (!e.ls.empty()) text += "Ls: " + e.ls + "\n";
      if (!e.parent.empty()) text += "Eltern: " + e.parent + "\n";
      text += "+++\nText.\n";
    }
    parsed_ = refdata::ParseEntryFile("Baum/b.md", text, kMemo);
    EXPECT_THAT(parsed_.problems, IsEmpty());
    const refdata::TTreeShape shape = refdata::AnalyseTree(parsed_.entries, kRoot);
    return refdata::AssignTreeKeys(parsed_.entries, shape);
  }
  refdata::TEntryFile parsed_;
};

TEST_F(TreeKeysTest, RootIsZeroFirstLevelTwoDigitsDeeperLevelsJoinedByPoints) {
  const auto keys = Keys({{std::string(kRoot), "", ""},
                          {"Kopf", std::string(kRoot), ""},
                          {"Augen", std::string(kRoot), ""},
                          {"Lider", "Augen", ""},
                          {"Tränen", "Augen", ""},
                          {"Gerstenkorn", "Lider", ""},
                          {"Migräne", "Kopf", ""}});
  EXPECT_THAT(keys.problems, IsEmpty());
  EXPECT_THAT(keys.keys, ElementsAre("00", "01", "02", "02.01", "02.02", "02.01.01", "01.01"));
}

TEST_F(TreeKeysTest, SourceKeysThatFollowTheSchemeAreAccepted) {
  const auto keys = Keys({{std::string(kRoot), "", "00"}, {"Kopf", std::string(kRoot), "01"}, {"Migräne", "Kopf", "01.01"}});
  EXPECT_THAT(keys.problems, IsEmpty());
}

TEST_F(TreeKeysTest, SourceKeyThatDisagreesIsReportedAtItsLine) {
  // Lines: root 1-5, Kopf 6-11 (Ls on 8), Hals 12-17 (Ls on 14).
  const auto keys = Keys({{std::string(kRoot), "", "00"}, {"Kopf", std::string(kRoot), "01"}, {"Hals", std::string(kRoot), "03"}});
  EXPECT_THAT(keys.problems, ElementsAre(ProblemAt("Baum/b.md", 14,
                                                   "'Ls: 03' does not match the entry's place: it is child 2 of "
                                                   "'Indikationen mit Schlüssel', so its 'Ls' is '02'")));
  EXPECT_EQ(keys.keys[2], "02");
}

TEST_F(TreeKeysTest, ParentAfterItsChildIsRefused) {
  // Lines: root 1-4, Migräne 5-9 (Eltern on 7), Kopf 10-14.
  const auto keys = Keys({{std::string(kRoot), "", ""}, {"Migräne", "Kopf", ""}, {"Kopf", std::string(kRoot), ""}});
  EXPECT_THAT(keys.problems,
              ElementsAre(ProblemAt("Baum/b.md", 7, "the parent 'Kopf' comes later, at Baum/b.md:10; a parent must come before")));
  EXPECT_EQ(keys.keys[1], "");
  EXPECT_EQ(keys.keys[2], "01");
}

TEST_F(TreeKeysTest, MoreThanNinetyNineSiblingsAreRefused) {
  std::vector<TTreeEntry> tree{{std::string(kRoot), "", ""}};
  for (int i = 1; i <= 100; ++i) tree.push_back({"Eintrag " + std::to_string(i), std::string(kRoot), ""});
  const auto keys = Keys(tree);
  ASSERT_EQ(keys.problems.size(), 1u);
  EXPECT_THAT(keys.problems[0].message, ::testing::HasSubstr("has more than 99 children"));
  EXPECT_EQ(keys.keys[99], "99");
  EXPECT_EQ(keys.keys[100], "");
}

// Random trees, parents always before their children: each key must be the
// entry's path of sibling positions, written independently here.
TEST_F(TreeKeysTest, RandomTreesGetTheirPathsOfPositions) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 50; ++round) {
    std::vector<TTreeEntry> tree{{std::string(kRoot), "", ""}};
    std::vector<std::vector<int>> path{{}};
    std::vector<int> childCount{0};
    const int size = 2 + static_cast<int>(random() % 60);
    for (int i = 1; i < size; ++i) {
      int parent;
      do parent = static_cast<int>(random() % tree.size());
      while (path[parent].size() >= 3);
      tree.push_back({"E" + std::to_string(i), tree[parent].name, ""});
      std::vector<int> p = path[parent];
      p.push_back(++childCount[parent]);
      path.push_back(p);
      childCount.push_back(0);
    }
    const auto keys = Keys(tree);
    ASSERT_THAT(keys.problems, IsEmpty());
    for (size_t i = 0; i < tree.size(); ++i) {
      std::string expected = path[i].empty() ? "00" : "";
      for (size_t level = 0; level < path[i].size(); ++level) {
        const int n = path[i][level];
        expected += (level ? "." : "") + std::string(1, char('0' + n / 10)) + char('0' + n % 10);
      }
      EXPECT_EQ(keys.keys[i], expected) << "entry " << i << " of round " << round;
    }
  }
}

}  // namespace
