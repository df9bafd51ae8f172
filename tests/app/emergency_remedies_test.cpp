// Scoring and ranking of the emergency modality finder, without a screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <utility>

#include "app/emergency_explanation.h"
#include "app/emergency_incidence.h"
#include "app/emergency_remedies.h"
#include "emergency_model.h"
#include "engine/core/locale.h"
#include "tools/refdata/content_rules.h"

namespace fendra {
namespace {

using Ranking = std::vector<std::pair<std::string, int>>;

class EmergencyRemedyTest : public ::testing::Test {
 protected:
  static EmergencyTicks Ticks(std::initializer_list<std::string_view> boxes) {
    EmergencyTicks ticks{};
    for (std::string_view box : boxes) ticks[BoxIndex(box)] = true;
    return ticks;
  }
  static int BoxIndex(std::string_view box) {
    const auto& all = EmergencyModalities();
    for (int i = 0; i < kEmergencyModalityCount; ++i)
      if (all[i].CheckBoxName == box) return i;
    ADD_FAILURE() << "no check box " << box;
    return 0;
  }
  Ranking TopFive(const EmergencyTicks& ticks) {
    EvaluateEmergencyRemedies(table_, ticks);
    Ranking top;
    for (int n = 0; n < kEmergencyResultRows; ++n) top.emplace_back(table_[n].Name, table_[n].Points);
    return top;
  }

  EmergencyRemedyTable table_;
};

TEST_F(EmergencyRemedyTest, NothingTickedShowsTheFirstFiveEntriesWithoutPoints) {
  EXPECT_EQ(TopFive({}), (Ranking{{"Abrotanum", 0}, {"Aconitum", 0}, {"Agaricus", 0},
                                  {"Aluminia", 0}, {"Ammonium carb.", 0}}));
}

TEST_F(EmergencyRemedyTest, OnlyBetterAtNightPutsBryoniaAloneOnTop) {
  EXPECT_EQ(TopFive(Ticks({"cb9BeNa"})), (Ranking{{"Bryonia", 1}, {"Abrotanum", 0}, {"Aconitum", 0},
                                                  {"Agaricus", 0}, {"Aluminia", 0}}));
}

TEST_F(EmergencyRemedyTest, AllBoxesTickedRanksApisFirstAndGraphitesSixthOnItsEntryNumber) {
  EmergencyTicks all;
  all.fill(true);
  EXPECT_EQ(TopFive(all), (Ranking{{"Apis", 13}, {"Ammonium carb.", 12}, {"Abrotanum", 10},
                                   {"Agaricus", 10}, {"Ferrum arsenic.", 10}}));
  EXPECT_EQ(table_[5].Name, "Graphites");
  EXPECT_EQ(table_[5].Points, 10);
}

TEST_F(EmergencyRemedyTest, EvaluatingTwiceStartsFromZeroEachTime) {
  const EmergencyTicks ticks = Ticks({"cb8BeLu", "cb20SNa", "cb23ZuGe"});
  const Ranking first = TopFive(ticks);
  EXPECT_EQ(TopFive(ticks), first);
  EXPECT_EQ(first[0].second, 3);  // three boxes ticked, no remedy can have more
}

TEST_F(EmergencyRemedyTest, ColdBetterAndColdWorseShareNoRemedySoEntryOrderDecides) {
  EXPECT_EQ(TopFive(Ticks({"cb1BeKa", "cb12SKa"})),
            (Ranking{{"Aconitum", 1}, {"Agaricus", 1}, {"Aluminia", 1}, {"Ammonium carb.", 1},
                     {"Apis", 1}}));
}

TEST_F(EmergencyRemedyTest, PressureAloneAndAffectedSideCombineOnDrosera) {
  // Druck: Apis, Bryonia, Calcium carb., Coffea, Drosera; alleine: Cina,
  // Drosera; Liegen, betroffene Seite: Apis, Calcium carb., Drosera, Graphites.
  EXPECT_EQ(TopFive(Ticks({"cb7BeDr", "cb10BeAl", "cb11BeLb"})),
            (Ranking{{"Drosera", 3}, {"Apis", 2}, {"Calcium carb.", 2}, {"Bryonia", 1}, {"Cina", 1}}));
}

TEST_F(EmergencyRemedyTest, TiesFollowTheEntryNumberNotTheAlphabet) {
  // "Velarium nitr." is entry 7, before "Calcium phosph." (16) although it
  // sorts after it by name.
  EXPECT_EQ(TopFive(Ticks({"cb5BeSi"})),
            (Ranking{{"Agaricus", 1}, {"Ammonium carb.", 1}, {"Velarium nitr.", 1},
                     {"Calcium phosph.", 1}, {"Abrotanum", 0}}));
}

TEST_F(EmergencyRemedyTest, SortMovesTheLastEntryAllTheWayUpAndKeepsTheSentinel) {
  ResetEmergencyRemedies(table_);
  table_[69].Points = 1;
  table_[kEmergencyRemedyCount].Points = 99;  // whatever it held, sorting zeroes it
  SortEmergencyRemedies(table_);
  EXPECT_EQ(table_[0].Name, "Zincum");
  EXPECT_EQ(table_[1].Name, "Abrotanum");
  EXPECT_EQ(table_[69].Name, "Veratrum album");
  EXPECT_EQ(table_[kEmergencyRemedyCount].Name, "");
  EXPECT_EQ(table_[kEmergencyRemedyCount].Points, 0);
}

TEST_F(EmergencyRemedyTest, SortIsStableForEqualPoints) {
  ResetEmergencyRemedies(table_);
  for (int i : {50, 3, 20}) table_[i].Points = 2;
  SortEmergencyRemedies(table_);
  EXPECT_EQ(table_[0].Name, "Aluminia");
  EXPECT_EQ(table_[1].Name, "Coffea");
  EXPECT_EQ(table_[2].Name, "Nux vomica");
  EXPECT_EQ(table_[3].Name, "Abrotanum");
}

// Random ticks against a model: count each remedy's boxes, then a stable
// sort by descending points over the names in entry order.
TEST_F(EmergencyRemedyTest, RandomTicksMatchAStableSortOfCountedPoints) {
  std::mt19937 random(20261209);
  std::bernoulli_distribution coin(0.35);
  const auto& names = EmergencyRemedyNames();
  for (int round = 0; round < 400; ++round) {
    EmergencyTicks ticks{};
    for (bool& tick : ticks) tick = coin(random);
    std::vector<std::pair<std::string, int>> model;
    for (std::string_view name : names) model.emplace_back(std::string(name), 0);
    for (int box = 0; box < kEmergencyModalityCount; ++box) {
      if (!ticks[box]) continue;
      for (int entry : ResolveEmergencyRemedyList(EmergencyModalities()[box].Remedies))
        ++model[entry].second;
    }
    std::stable_sort(model.begin(), model.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    EvaluateEmergencyRemedies(table_, ticks);
    for (int i = 0; i < kEmergencyRemedyCount; ++i) {
      ASSERT_EQ(table_[i].Name, model[i].first) << "round " << round << " entry " << i;
      ASSERT_EQ(table_[i].Points, model[i].second) << "round " << round << " entry " << i;
    }
    ASSERT_EQ(table_[kEmergencyRemedyCount].Name, "");
  }
}

class EmergencyTableDataTest : public ::testing::Test {};

TEST_F(EmergencyTableDataTest, SeventyDistinctNamesThatFitTwentyFiveSingleByteCharacters) {
  const auto& names = EmergencyRemedyNames();
  std::set<std::string_view> distinct(names.begin(), names.end());
  EXPECT_EQ(distinct.size(), size_t(kEmergencyRemedyCount));
  for (std::string_view name : names) {
    const std::string ansi = dvx::Utf8ToAnsi(name);
    EXPECT_FALSE(ansi.empty());
    EXPECT_LE(ansi.size(), 25u) << name;
  }
}

// The reference content maps every name the finder shows to a materia medica
// page and checks that the name finds it; both must hold the same names.
TEST_F(EmergencyTableDataTest, NamesAreTheOnesTheReferenceContentMapsToItsPages) {
  const auto& names = EmergencyRemedyNames();
  const auto mapped = refdata::EmergencyFinderRemedyNames();
  ASSERT_EQ(mapped.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(mapped[i], names[i]) << i;
}

TEST_F(EmergencyTableDataTest, FurtherNamesRunAlphabeticallyFromKaliumBromatumToZincum) {
  const auto& names = EmergencyRemedyNames();
  EXPECT_EQ(names[38], "Kalium bromatum");
  EXPECT_EQ(names[69], "Zincum");
  for (int i = 39; i < kEmergencyRemedyCount; ++i)
    EXPECT_LT(dvx::CompareAnsi(names[i - 1], names[i]), 0) << names[i - 1] << " / " << names[i];
}

TEST_F(EmergencyTableDataTest, NoModalityScoresTheFurtherNames) {
  for (int box = 0; box < kEmergencyModalityCount; ++box)
    for (int entry : EmergencyModalityRemedies(box)) EXPECT_LT(entry, 38) << box;
}

TEST_F(EmergencyTableDataTest, ApisIsListedInThirteenBoxesTheMostOfAnyRemedy) {
  std::array<int, kEmergencyRemedyCount> boxes{};
  for (int box = 0; box < kEmergencyModalityCount; ++box)
    for (int entry : EmergencyModalityRemedies(box)) ++boxes[entry];
  const auto most = std::max_element(boxes.begin(), boxes.end());
  EXPECT_EQ(EmergencyRemedyNames()[most - boxes.begin()], "Apis");
  EXPECT_EQ(*most, 13);
}

TEST_F(EmergencyTableDataTest, GroupsHoldElevenElevenAndNineBoxesInNumberOrder) {
  const auto& all = EmergencyModalities();
  std::map<EmergencyModalityGroup, int> counts;
  for (int i = 0; i < kEmergencyModalityCount; ++i) {
    ++counts[all[i].Group];
    // The box number is part of its name: cb<n>...
    EXPECT_TRUE(all[i].CheckBoxName.starts_with("cb" + std::to_string(i + 1)))
        << all[i].CheckBoxName;
  }
  EXPECT_EQ(counts[EmergencyModalityGroup::Better], 11);
  EXPECT_EQ(counts[EmergencyModalityGroup::Worse], 11);
  EXPECT_EQ(counts[EmergencyModalityGroup::State], 9);
}

TEST_F(EmergencyTableDataTest, OnlyTheTwoLyingCaptionsEndWithABlank) {
  std::vector<std::string_view> trailing;
  for (const EmergencyModality& m : EmergencyModalities())
    if (m.Caption.ends_with(' ')) trailing.push_back(m.CheckBoxName);
  EXPECT_EQ(trailing, (std::vector<std::string_view>{"cb4BeLi", "cb15SLi"}));
}

TEST_F(EmergencyTableDataTest, ResolvingRejectsUnknownAndRepeatedNames) {
  EXPECT_EQ(ResolveEmergencyRemedyList("Apis, Zincum"), (std::vector<int>{6, 69}));
  EXPECT_TRUE(ResolveEmergencyRemedyList("").empty());
  EXPECT_THROW(ResolveEmergencyRemedyList("Apis, Argentum"), std::logic_error);
  EXPECT_THROW(ResolveEmergencyRemedyList("Apis, Cina, Apis"), std::logic_error);
  EXPECT_THROW(ResolveEmergencyRemedyList("Apis,Cina"), std::logic_error);
}

class EmergencyExplanationTest : public EmergencyRemedyTest {
 protected:
  using Lines = std::vector<std::string>;
  static Lines ModelLines(std::string_view remedy, const EmergencyTicks& ticks) {
    return testing::ModelExplanation(remedy, ticks);
  }
};

TEST_F(EmergencyExplanationTest, ApisNamesEachTickedFeatureWithItsGroupInBoxOrder) {
  const EmergencyTicks ticks = Ticks({"cb26ZuRG", "cb3BeRu", "cb9BeNa", "cb13SWa"});
  EXPECT_EQ(ExplainEmergencyPoints("Apis", ticks),
            (Lines{"Besser durch: Ruhe", "Schlimmer durch: Wärme", "Allgemeiner Zustand: rotes Gesicht"}));
  EXPECT_EQ(EmergencyPointSources("Apis", ticks), (std::vector<int>{2, 12, 25}));
  EXPECT_EQ(ExplainEmergencyPoints("Bryonia", ticks), (Lines{"Besser durch: nachts"}));
}

TEST_F(EmergencyExplanationTest, CaptionsLoseTheirTrailingBlankAndGroupsTheirColon) {
  const EmergencyTicks ticks = Ticks({"cb4BeLi", "cb15SLi", "cb22SLb"});
  EXPECT_EQ(ExplainEmergencyPoints("Ammonium carb.", ticks),
            (Lines{"Besser durch: Liegen", "Schlimmer durch: Liegen"}));
  EXPECT_EQ(ExplainEmergencyPoints("Ferrum arsenic.", ticks),
            (Lines{"Besser durch: Liegen", "Schlimmer durch: Liegen, betroffene Seite"}));
}

TEST_F(EmergencyExplanationTest, RemediesWithoutPointsSaySo) {
  EXPECT_EQ(ExplainEmergencyPoints("Abrotanum", {}), (Lines{"keine Punkte"}));
  EmergencyTicks all;
  all.fill(true);
  EXPECT_EQ(ExplainEmergencyPoints("Zincum", all), (Lines{"keine Punkte"}));
  EXPECT_TRUE(EmergencyPointSources("Zincum", all).empty());
  EXPECT_EQ(ExplainEmergencyPoints("Apis", all).size(), 13u);
  EXPECT_THROW(ExplainEmergencyPoints("Argentum", all), std::invalid_argument);
}

// Every remedy's explanation after random ticks: exactly the ticked boxes
// whose incidence row names it, as many as its points.
TEST_F(EmergencyExplanationTest, RandomTicksExplainEveryRemedyByItsIncidenceRows) {
  std::mt19937 random(1209);
  std::bernoulli_distribution coin(0.3);
  for (int round = 0; round < 150; ++round) {
    EmergencyTicks ticks{};
    for (bool& tick : ticks) tick = coin(random);
    EvaluateEmergencyRemedies(table_, ticks);
    for (int i = 0; i < kEmergencyRemedyCount; ++i) {
      const EmergencyRemedy& remedy = table_[i];
      const Lines lines = ExplainEmergencyPoints(remedy.Name, ticks);
      ASSERT_EQ(lines, ModelLines(remedy.Name, ticks)) << "round " << round << ": " << remedy.Name;
      ASSERT_EQ(EmergencyPointSources(remedy.Name, ticks).size(), size_t(remedy.Points))
          << "round " << round << ": " << remedy.Name;
    }
  }
}

}  // namespace
}  // namespace fendra
