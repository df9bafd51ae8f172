#include "app/children_remedies.h"

#include <utility>

#include "app/children_incidence.h"

namespace fendra {

namespace {

// The remedy list in its fixed order, four to a line (entry 0 first).
constexpr std::array<std::string_view, kChildRemedyCount> kNames{
    "Abrotanum",       "Aconitum",        "Agaricus",       "Alumina",
    "Ammonium carb",   "Antimonium tart", "Apis",           "Velarium nit",
    "Arsenicum",       "Barium carb",     "Belladonna",     "Benzoicum acid",
    "Borax",           "Bryonia",         "Calcium brom",   "Calcium carb",
    "Calcium phos.",   "Carbo veg.",      "Chamomilla",     "Cina",
    "Coffea",          "Colocynthis",     "Cuprum met",     "Cypripedium",
    "Drosera",         "Dulcamara",       "Ferrum",         "Ferrum ars",
    "Ferrum phos",     "Gelsemium",       "Graphites",      "Hepar sulf",
    "Ignatia",         "Ipecacuanha",     "Jalapa",         "Jodum",
    "Kalium carb",     "Kalium jod",      "Kalium brom",    "Kalium mur",
    "Lac caninum",     "Lachesis",        "Luesinum",       "Lycopodium",
    "Magnesium carb",  "Medorrhinum",     "Mercurius",      "Natrium mur",
    "Natrium phos",    "Natrium sulf",    "Nitricum acid",  "Nux vom",
    "Opium",           "Phosphoricum acid", "Phosphorus",   "Platinum",
    "Podophyllum",     "Psorinum",        "Pulsatilla",     "Rhus tox",
    "Sanguinaria",     "Sanicula",        "Sepia",          "Silicea",
    "Staphisagria",    "Stramonium",      "Sulfur",         "Thuja",
    "Valeriana",       "Zincum",
};

}  // namespace

const std::array<std::string_view, kChildRemedyCount>& ChildRemedyNames() { return kNames; }

void ResetChildScores(ChildScoreTable& table) {
  for (int i = 0; i < kChildRemedyCount; ++i) table[i] = ChildRemedyScore{0, i};
}

void SortChildScores(ChildScoreTable& table) {
  bool exchanged;
  do {
    exchanged = false;
    for (int k = 0; k + 1 < kChildRemedyCount; ++k) {
      if (table[k + 1].Points > table[k].Points) {
        std::swap(table[k], table[k + 1]);
        exchanged = true;
      }
    }
  } while (exchanged);
}

void EvaluateChildScores(ChildScoreTable& table, const ChildTicks& ticks) {
  ResetChildScores(table);
  for (int feature = 0; feature < kChildFeatureCount; ++feature) {
    if (!ticks[feature]) continue;
    for (int remedy : ChildFeatureRemedies(feature)) ++table[remedy].Points;
  }
  SortChildScores(table);
}

}  // namespace fendra
