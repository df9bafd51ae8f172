#pragma once
// An independent model of the emergency finder's explanations for the
// tests: it reads the incidence table's rows as text, split on ", ", and
// names each ticked box that lists the remedy by its group and caption.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "app/emergency_incidence.h"

namespace fendra::testing {

inline std::vector<std::string> ModelExplanation(std::string_view remedy,
                                                 const EmergencyTicks& ticks) {
  static const char* const kGroups[] = {"Besser durch", "Schlimmer durch", "Allgemeiner Zustand"};
  std::vector<std::string> lines;
  for (int box = 0; box < kEmergencyModalityCount; ++box) {
    if (!ticks[box]) continue;
    const EmergencyModality& m = EmergencyModalities()[box];
    const std::string row(m.Remedies);
    bool listed = false;
    for (size_t start = 0; start <= row.size();) {
      const size_t end = std::min(row.find(", ", start), row.size());
      listed |= row.substr(start, end - start) == remedy;
      start = end + 2;
    }
    if (!listed) continue;
    std::string caption(m.Caption);
    while (!caption.empty() && caption.back() == ' ') caption.pop_back();
    lines.push_back(std::string(kGroups[static_cast<int>(m.Group)]) + ": " + caption);
  }
  if (lines.empty()) lines.emplace_back("keine Punkte");
  return lines;
}

}  // namespace fendra::testing
