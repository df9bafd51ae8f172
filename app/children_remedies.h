#pragma once
// The children's constitutional remedy finder: 70 remedies scored by the
// ticked features of seven check lists through a fixed incidence table,
// ranked by points, best five shown.
//
// Pure C++ with no widget in sight, so the scoring can be checked without a
// screen. Names are UTF-8.
#include <array>
#include <cstdint>
#include <string_view>

namespace fendra {

inline constexpr int kChildRemedyCount = 70;
inline constexpr int kChildCheckListCount = 7;
inline constexpr int kChildFeatureCount = 111;
inline constexpr int kChildResultRows = 5;

struct ChildRemedyScore {
  int32_t Points = 0;
  int32_t RemedyIndex = 0;  // position in ChildRemedyNames(), 0..69
};

// One entry per remedy; before sorting entry k belongs to remedy k.
using ChildScoreTable = std::array<ChildRemedyScore, kChildRemedyCount>;

// The remedy names in their fixed order: shown in the result as they stand
// and used as search keys into "KindKM".
const std::array<std::string_view, kChildRemedyCount>& ChildRemedyNames();

// Entry i := 0 points, remedy i.
void ResetChildScores(ChildScoreTable& table);

// Bubble sort by descending points: passes over neighbours exchange the two
// entries when the later one has strictly more points, until a pass makes no
// exchange. Equal points keep their order, so ties go to the lower remedy
// number.
void SortChildScores(ChildScoreTable& table);

// One tick per feature, the lists in their order (clbKonst first) and each
// list's items from 0; ChildFeatureIndex() maps list and item to it.
using ChildTicks = std::array<bool, kChildFeatureCount>;

// Reset, one point per ticked feature to each remedy it lists, sort. Every
// evaluation starts from zero.
void EvaluateChildScores(ChildScoreTable& table, const ChildTicks& ticks);

}  // namespace fendra
