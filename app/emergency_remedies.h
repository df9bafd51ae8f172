#pragma once
// The emergency modality finder: 70 remedies scored by the ticked modalities
// of a fixed incidence table, sorted by points, best five shown.
//
// Pure C++ with no widget in sight, so the scoring can be checked without a
// screen. Names are UTF-8.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fendra {

struct EmergencyRemedy {
  std::string Name;     // at most 25 characters
  int32_t Points = 0;
};

inline constexpr int kEmergencyRemedyCount = 70;
inline constexpr int kEmergencyModalityCount = 31;
inline constexpr int kEmergencyResultRows = 5;

// Entries 0..69 are the remedies; entry 70 is the sentinel that closes the
// sort's last comparison. It keeps an empty name and 0 points.
using EmergencyRemedyTable = std::array<EmergencyRemedy, kEmergencyRemedyCount + 1>;

// The remedy names in their fixed entry order.
const std::array<std::string_view, kEmergencyRemedyCount>& EmergencyRemedyNames();

// Writes the 70 names into entries 0..69 in their fixed order, every entry's
// points 0, and clears the sentinel.
void ResetEmergencyRemedies(EmergencyRemedyTable& table);

// Bubble sort by descending points. Only strictly more points exchange two
// neighbours, so equal points keep their entry order; the sentinel at 70 has
// 0 points while sorting and, points never being negative, never moves.
void SortEmergencyRemedies(EmergencyRemedyTable& table);

// One tick per modality, in check box order (cb1BeKa first).
using EmergencyTicks = std::array<bool, kEmergencyModalityCount>;

// Reset, award one point per ticked modality to each remedy it lists, sort.
// Every evaluation starts from zero.
void EvaluateEmergencyRemedies(EmergencyRemedyTable& table, const EmergencyTicks& ticks);

}  // namespace fendra
