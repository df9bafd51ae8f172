#include "app/emergency_remedies.h"

#include <utility>

#include "app/emergency_incidence.h"

namespace fendra {

namespace {

// Entries 0..37 are the remedies the incidence table scores; 38..69 continue
// the alphabetical list and never receive points.
constexpr std::array<std::string_view, kEmergencyRemedyCount> kNames{
    "Abrotanum",        "Aconitum",         "Agaricus",       "Aluminia",
    "Ammonium carb.",   "Antimonium tart.", "Apis",           "Velarium nitr.",
    "Arsenicum",        "Barium carb.",     "Belladonna",     "Benzoicum acid.",
    "Borax",            "Bryonia",          "Calcium bromatum", "Calcium carb.",
    "Calcium phosph.",  "Carbo veg.",       "Chamomilla",     "Cina",
    "Coffea",           "Colocynthis",      "Cuprum",         "Cypripedium",
    "Drosera",          "Dulcamara",        "Ferrum met.",    "Ferrum arsenic.",
    "Ferrum phosph.",   "Gelsemium",        "Graphites",      "Hepar sulph.",
    "Ignatia",          "Ipecacuanha",      "Jalapa",         "Jodum",
    "Kalium carb.",     "Kalium jodatum",
    // 38..69
    "Kalium bromatum",  "Kalium phosph.",   "Kalium sulph.",  "Lachesis",
    "Ledum",            "Lycopodium",       "Magnesium carb.", "Magnesium phosph.",
    "Mercurius sol.",   "Natrium carb.",    "Natrium mur.",   "Natrium sulph.",
    "Nux vomica",       "Opium",            "Petroleum",      "Phosphorus",
    "Phytolacca",       "Podophyllum",      "Pulsatilla",     "Rheum",
    "Rhus tox.",        "Ruta",             "Sambucus",       "Sepia",
    "Silicea",          "Spongia",          "Staphisagria",   "Stramonium",
    "Sulfur",           "Thuja",            "Veratrum album", "Zincum",
};

}  // namespace

const std::array<std::string_view, kEmergencyRemedyCount>& EmergencyRemedyNames() {
  return kNames;
}

void ResetEmergencyRemedies(EmergencyRemedyTable& table) {
  for (int i = 0; i < kEmergencyRemedyCount; ++i) {
    table[i].Name.assign(kNames[i]);
    table[i].Points = 0;
  }
  table[kEmergencyRemedyCount] = EmergencyRemedy{};
}

void SortEmergencyRemedies(EmergencyRemedyTable& table) {
  bool exchanged;
  do {
    table[kEmergencyRemedyCount].Points = 0;
    exchanged = false;
    for (int k = 0; k < kEmergencyRemedyCount; ++k) {
      if (table[k + 1].Points > table[k].Points) {
        std::swap(table[k], table[k + 1]);
        exchanged = true;
      }
    }
  } while (exchanged);
}

void EvaluateEmergencyRemedies(EmergencyRemedyTable& table, const EmergencyTicks& ticks) {
  ResetEmergencyRemedies(table);
  for (int box = 0; box < kEmergencyModalityCount; ++box) {
    if (!ticks[box]) continue;
    for (int entry : EmergencyModalityRemedies(box)) ++table[entry].Points;
  }
  SortEmergencyRemedies(table);
}

}  // namespace fendra
