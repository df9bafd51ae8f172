#pragma once
// The incidence table of the emergency modality finder: for every check box
// of the finder the remedies that one tick of it gives a point.
#include <array>
#include <string_view>
#include <vector>

#include "app/emergency_remedies.h"

namespace fendra {

enum class EmergencyModalityGroup { Better, Worse, State };

// The group box captions, exact: "Besser durch:", "Schlimmer durch:",
// "Allgemeiner Zustand".
std::string_view EmergencyGroupCaption(EmergencyModalityGroup group);

struct EmergencyModality {
  std::string_view CheckBoxName;  // object name of the check box
  EmergencyModalityGroup Group;
  std::string_view Caption;       // exact, trailing blanks included
  std::string_view Remedies;      // remedy names separated by ", "
};

// The 31 modalities in check box order.
const std::array<EmergencyModality, kEmergencyModalityCount>& EmergencyModalities();

// Entry numbers of the remedies a modality lists, resolved once against the
// remedy names; an unknown or repeated name is a fault of the table and
// throws std::logic_error.
const std::vector<int>& EmergencyModalityRemedies(int modality);

// Resolves a ", "-separated list of remedy names to entry numbers (throws
// std::logic_error for an unknown or a repeated name).
std::vector<int> ResolveEmergencyRemedyList(std::string_view list);

}  // namespace fendra
