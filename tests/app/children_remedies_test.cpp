// Scoring and ranking of the children's constitutional remedy finder,
// without a screen.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <stdexcept>

#include "app/children_explanation.h"
#include "app/children_incidence.h"
#include "app/finder_explanation.h"
#include "app/children_remedies.h"
#include "children_model.h"
#include "engine/core/locale.h"

namespace fendra {
namespace {

using Ranking = std::vector<std::pair<std::string, int>>;

class ChildScoreTest : public ::testing::Test {
 protected:
  static int List(std::string_view name) {
    for (int i = 0; i < kChildCheckListCount; ++i)
      if (ChildCheckLists()[i].Name == name) return i;
    ADD_FAILURE() << "no check list " << name;
    return 0;
  }
  static ChildTicks Ticks(std::initializer_list<std::pair<std::string_view, int>> items) {
    ChildTicks ticks{};
    for (const auto& [list, item] : items) ticks[ChildFeatureIndex(List(list), item)] = true;
    return ticks;
  }
  Ranking Top(const ChildTicks& ticks, int count = kChildResultRows) {
    EvaluateChildScores(table_, ticks);
    Ranking top;
    for (int n = 0; n < count; ++n)
      top.emplace_back(std::string(ChildRemedyNames()[table_[n].RemedyIndex]), table_[n].Points);
    return top;
  }

  ChildScoreTable table_;
};

TEST_F(ChildScoreTest, NothingTickedLeavesTheListOrderWithoutPoints) {
  EXPECT_EQ(Top({}), (Ranking{{"Abrotanum", 0}, {"Aconitum", 0}, {"Agaricus", 0}, {"Alumina", 0},
                              {"Ammonium carb", 0}}));
}

TEST_F(ChildScoreTest, OnlyPallorRanksCalciumPhosThenFerrumArs) {
  EXPECT_EQ(Top(Ticks({{"clbKonst", 0}})),
            (Ranking{{"Calcium phos.", 1}, {"Ferrum ars", 1}, {"Abrotanum", 0}, {"Aconitum", 0},
                     {"Agaricus", 0}}));
}

TEST_F(ChildScoreTest, AllItemsTickedRankSulfurCalciumPhosphorusLycopodiumIgnatiaThenArsenicum) {
  ChildTicks all;
  all.fill(true);
  EXPECT_EQ(Top(all, 6), (Ranking{{"Sulfur", 24}, {"Calcium carb", 20}, {"Phosphorus", 19},
                                  {"Lycopodium", 18}, {"Ignatia", 14}, {"Arsenicum", 13}}));
  // Remedies no item lists keep 0 and, in list order, close the ranking.
  EXPECT_EQ(Top(all, kChildRemedyCount)[kChildRemedyCount - 3], (std::pair<std::string, int>{"Gelsemium", 0}));
  EXPECT_EQ(Top(all, kChildRemedyCount)[kChildRemedyCount - 1], (std::pair<std::string, int>{"Lac caninum", 0}));
}

TEST_F(ChildScoreTest, EvaluatingTwiceStartsFromZero) {
  const ChildTicks ticks = Ticks({{"clbKonst", 14}, {"clbAllg", 0}, {"clbMD", 0}});
  const Ranking first = Top(ticks);
  EXPECT_EQ(Top(ticks), first);
  EXPECT_EQ(first[0], (std::pair<std::string, int>{"Magnesium carb", 3}));
}

TEST_F(ChildScoreTest, TiesGoToTheLowerRemedyNumberNotTheAlphabet) {
  // "Kindisches, lächerliches Benehmen": "Velarium nit" is remedy 7, before
  // "Barium carb" (9), although it sorts after it by name.
  EXPECT_EQ(Top(Ticks({{"clbKonst", 13}})),
            (Ranking{{"Velarium nit", 1}, {"Barium carb", 1}, {"Cuprum met", 1}, {"Ignatia", 1},
                     {"Mercurius", 1}}));
  // Kalium brom (38) sorts after Kalium jod (37) in the list, not by name.
  EXPECT_EQ(Top(Ticks({{"clbKonst", 15}, {"clbMod", 6}}), 3),
            (Ranking{{"Antimonium tart", 1}, {"Kalium jod", 1}, {"Kalium brom", 1}}));
}

TEST_F(ChildScoreTest, SortMovesTheLastRemedyToTheTopAndKeepsTheRestInOrder) {
  ResetChildScores(table_);
  table_[69].Points = 1;
  SortChildScores(table_);
  EXPECT_EQ(table_[0].RemedyIndex, 69);
  for (int i = 1; i < kChildRemedyCount; ++i) EXPECT_EQ(table_[i].RemedyIndex, i - 1) << i;
}

// Random ticks against the model: the points and the order of every one of
// the 70 entries, ties included.
TEST_F(ChildScoreTest, RandomTicksMatchAnIndependentReadingOfTheTable) {
  std::mt19937 random(20261211);
  int tiesSeen = 0;
  for (int round = 0; round < 300; ++round) {
    std::bernoulli_distribution coin(round % 3 == 0 ? 0.05 : 0.25);
    ChildTicks ticks{};
    for (bool& tick : ticks) tick = coin(random);
    const auto model = testing::ModelChildRanking(ticks);
    EvaluateChildScores(table_, ticks);
    for (int i = 0; i < kChildRemedyCount; ++i) {
      ASSERT_EQ(ChildRemedyNames()[table_[i].RemedyIndex], model[i].first) << "round " << round << " entry " << i;
      ASSERT_EQ(table_[i].Points, model[i].second) << "round " << round << " entry " << i;
    }
    for (int i = 1; i < kChildResultRows; ++i) tiesSeen += table_[i].Points == table_[i - 1].Points && table_[i].Points > 0;
  }
  EXPECT_GT(tiesSeen, 50) << "the rounds must have put ties among the first five";
}

class ChildTableDataTest : public ::testing::Test {};

TEST_F(ChildTableDataTest, SeventyDistinctNamesAsTheSearchKeysOfTheRemedyTexts) {
  const auto& names = ChildRemedyNames();
  EXPECT_EQ(std::set<std::string_view>(names.begin(), names.end()).size(), size_t(kChildRemedyCount));
  EXPECT_EQ(names[0], "Abrotanum");
  EXPECT_EQ(names[7], "Velarium nit");
  EXPECT_EQ(names[16], "Calcium phos.");
  EXPECT_EQ(names[53], "Phosphoricum acid");
  EXPECT_EQ(names[69], "Zincum");
  for (std::string_view name : names) EXPECT_FALSE(dvx::Utf8ToAnsi(name).empty()) << name;
}

TEST_F(ChildTableDataTest, SevenListsHoldTheirItemsInOrder) {
  const std::vector<std::pair<std::string_view, int>> expected{
      {"clbKonst", 36}, {"clbFolg", 4}, {"clbMod", 14}, {"clbAllg", 15},
      {"clbSchlaf", 15}, {"clbApp", 17}, {"clbMD", 10}};
  int feature = 0;
  for (int l = 0; l < kChildCheckListCount; ++l) {
    const ChildCheckList& list = ChildCheckLists()[l];
    EXPECT_EQ(list.Name, expected[l].first);
    EXPECT_EQ(list.ItemCount, expected[l].second);
    EXPECT_EQ(list.HeadingLabel, "lbKiMi" + std::to_string(l + 1));
    for (int item = 0; item < list.ItemCount; ++item, ++feature) {
      EXPECT_EQ(ChildFeatureIndex(l, item), feature);
      EXPECT_EQ(ChildFeatureList(feature), l);
      EXPECT_EQ(ChildFeatures()[feature].List, list.Name);
      EXPECT_EQ(ChildFeatures()[feature].Item, item);
    }
  }
  EXPECT_EQ(feature, kChildFeatureCount);
  EXPECT_THROW(ChildFeatureIndex(1, 4), std::out_of_range);
  EXPECT_THROW(ChildFeatureIndex(7, 0), std::out_of_range);
  EXPECT_THROW(ChildFeatureList(111), std::out_of_range);
}

TEST_F(ChildTableDataTest, HeadingsAndCaptionsKeepTheirBlanks) {
  EXPECT_EQ(ChildCheckLists()[1].Heading, "Auslösende Ursachen ");
  EXPECT_EQ(ChildCheckLists()[2].Heading, "Modalitäten und  Zeiten");
  EXPECT_EQ(ChildCheckLists()[6].Heading, "Magen-, Darmstörungen ");
  EXPECT_EQ(ChildFeatures()[23].Caption, "Mangel an  Selbstvertrauen");
  EXPECT_EQ(ChildFeatures()[ChildFeatureIndex(5, 0)].Caption, "Appetitlosigkeit:");
  EXPECT_EQ(ChildFeatures()[ChildFeatureIndex(6, 9)].Caption, "Verstopfung bei Milchernährung");
}

TEST_F(ChildTableDataTest, ThreeRemediesAreListedByNoItem) {
  std::set<int> listed;
  for (int f = 0; f < kChildFeatureCount; ++f)
    for (int r : ChildFeatureRemedies(f)) listed.insert(r);
  std::vector<std::string_view> unlisted;
  for (int r = 0; r < kChildRemedyCount; ++r)
    if (!listed.count(r)) unlisted.push_back(ChildRemedyNames()[r]);
  EXPECT_EQ(unlisted, (std::vector<std::string_view>{"Gelsemium", "Ipecacuanha", "Lac caninum"}));
}

TEST_F(ChildTableDataTest, ResolvingRejectsUnknownAndRepeatedNames) {
  EXPECT_EQ(ResolveChildRemedyList("Apis, Zincum"), (std::vector<int>{6, 69}));
  EXPECT_THROW(ResolveChildRemedyList("Apis, Calcium phos"), std::logic_error);
  EXPECT_THROW(ResolveChildRemedyList("Sulfur, Cina, Sulfur"), std::logic_error);
}

class ChildExplanationTest : public ChildScoreTest {
 protected:
  using Lines = std::vector<std::string>;
  static int Remedy(std::string_view name) {
    const auto& names = ChildRemedyNames();
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  }
};

TEST_F(ChildExplanationTest, IgnatiaNamesEachTickedFeatureWithItsListInListOrder) {
  const ChildTicks ticks = Ticks({{"clbMD", 3}, {"clbKonst", 12}, {"clbFolg", 3}, {"clbKonst", 0}});
  EXPECT_EQ(ExplainChildPoints(Remedy("Ignatia"), ticks),
            (Lines{"Verhaltensweisen und Konstitution: Eifersucht",
                   "Auslösende Ursachen: Kränkungen, seelische Verletzung",
                   "Magen-, Darmstörungen: Erbrechen bei sensiblen Kindern"}));
  EXPECT_EQ(ChildPointSources(Remedy("Ignatia"), ticks), (std::vector<int>{12, 39, 104}));
  EXPECT_EQ(ExplainChildPoints(Remedy("Ferrum ars"), ticks), (Lines{"Verhaltensweisen und Konstitution: Blässe oder blutarm"}));
}

TEST_F(ChildExplanationTest, HeadingsAndCaptionsKeepInnerBlanksAndLoseOuterOnes) {
  const ChildTicks ticks = Ticks({{"clbMod", 5}, {"clbApp", 0}, {"clbApp", 1}});
  EXPECT_EQ(ExplainChildPoints(Remedy("Lycopodium"), ticks), (Lines{"Modalitäten und  Zeiten: 2-3 Uhr"}));
  EXPECT_EQ(ExplainChildPoints(Remedy("Ferrum ars"), ticks),
            (Lines{"Appetit und Nahrungsverträglichkeit: Appetitlosigkeit:",
                   "Appetit und Nahrungsverträglichkeit: Ißt  schlecht und trinkt viel"}));
  EXPECT_EQ(ExplanationLine("Besser durch:", "Liegen "), "Besser durch: Liegen");
  EXPECT_EQ(ExplanationLine(" Auslösende Ursachen ", " Folge von Kälte und Nässe"),
            "Auslösende Ursachen: Folge von Kälte und Nässe");
}

TEST_F(ChildExplanationTest, RemediesWithoutPointsSaySo) {
  ChildTicks all;
  all.fill(true);
  EXPECT_EQ(ExplainChildPoints(Remedy("Gelsemium"), all), (Lines{"keine Punkte"}));
  EXPECT_EQ(ExplainChildPoints(Remedy("Sulfur"), {}), (Lines{"keine Punkte"}));
  EXPECT_EQ(ExplainChildPoints(Remedy("Sulfur"), all).size(), 24u);
  EXPECT_THROW(ExplainChildPoints(70, all), std::out_of_range);
}

// Every remedy's explanation after random ticks: exactly the ticked features
// whose rows name it, as many as its points.
TEST_F(ChildExplanationTest, RandomTicksExplainEveryRemedyByItsIncidenceRows) {
  std::mt19937 random(1211);
  std::bernoulli_distribution coin(0.2);
  for (int round = 0; round < 100; ++round) {
    ChildTicks ticks{};
    for (bool& tick : ticks) tick = coin(random);
    EvaluateChildScores(table_, ticks);
    for (const ChildRemedyScore& entry : table_) {
      const std::string_view name = ChildRemedyNames()[entry.RemedyIndex];
      ASSERT_EQ(ExplainChildPoints(entry.RemedyIndex, ticks), testing::ModelChildExplanation(name, ticks))
          << "round " << round << ": " << name;
      ASSERT_EQ(ChildPointSources(entry.RemedyIndex, ticks).size(), size_t(entry.Points)) << name;
    }
  }
}

}  // namespace
}  // namespace fendra
