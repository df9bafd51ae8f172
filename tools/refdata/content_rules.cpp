#include "tools/refdata/content_rules.h"

#include <array>
#include <vector>

#include "tools/refdata/table_schema.h"

namespace refdata {

namespace {

// The topic keys of the twelve buttons of the basics tab, in button order.
constexpr std::array<std::string_view, 12> kBasicsKeys{
    "Methode",      "Menschenbild", "Konstitution", "Arzneimittelbild", "Modalitäten",  "chron. Leiden",
    "Potenzierung", "Anamnese",     "Repertorisation", "Potenzwahl",    "Gabenhäufigkeit", "Verordnung",
};

// The 70 remedies of the children's constitutional finder, in finder order;
// KindKM holds one text under each name.
constexpr std::array<std::string_view, 70> kChildFinderNames{
    "Abrotanum",      "Aconitum",     "Agaricus",      "Alumina",           "Ammonium carb",
    "Antimonium tart", "Apis",        "Velarium nit",  "Arsenicum",         "Barium carb",
    "Belladonna",     "Benzoicum acid", "Borax",       "Bryonia",           "Calcium brom",
    "Calcium carb",   "Calcium phos.", "Carbo veg.",   "Chamomilla",        "Cina",
    "Coffea",         "Colocynthis",  "Cuprum met",    "Cypripedium",       "Drosera",
    "Dulcamara",      "Ferrum",       "Ferrum ars",    "Ferrum phos",       "Gelsemium",
    "Graphites",      "Hepar sulf",   "Ignatia",       "Ipecacuanha",       "Jalapa",
    "Jodum",          "Kalium carb",  "Kalium jod",    "Kalium brom",       "Kalium mur",
    "Lac caninum",    "Lachesis",     "Luesinum",      "Lycopodium",        "Magnesium carb",
    "Medorrhinum",    "Mercurius",    "Natrium mur",   "Natrium phos",      "Natrium sulf",
    "Nitricum acid",  "Nux vom",      "Opium",         "Phosphoricum acid", "Phosphorus",
    "Platinum",       "Podophyllum",  "Psorinum",      "Pulsatilla",        "Rhus tox",
    "Sanguinaria",    "Sanicula",     "Sepia",         "Silicea",           "Staphisagria",
    "Stramonium",     "Sulfur",       "Thuja",         "Valeriana",         "Zincum",
};

// The 70 remedies of the emergency modality finder, in finder order, as its
// result shows them (the application's remedy table holds the same list).
constexpr std::array<std::string_view, 70> kEmergencyFinderNames{
    "Abrotanum",        "Aconitum",         "Agaricus",       "Aluminia",
    "Ammonium carb.",   "Antimonium tart.", "Apis",           "Velarium nitr.",
    "Arsenicum",        "Barium carb.",     "Belladonna",     "Benzoicum acid.",
    "Borax",            "Bryonia",          "Calcium bromatum", "Calcium carb.",
    "Calcium phosph.",  "Carbo veg.",       "Chamomilla",     "Cina",
    "Coffea",           "Colocynthis",      "Cuprum",         "Cypripedium",
    "Drosera",          "Dulcamara",        "Ferrum met.",    "Ferrum arsenic.",
    "Ferrum phosph.",   "Gelsemium",        "Graphites",      "Hepar sulph.",
    "Ignatia",          "Ipecacuanha",      "Jalapa",         "Jodum",
    "Kalium carb.",     "Kalium jodatum",   "Kalium bromatum",  "Kalium phosph.",
    "Kalium sulph.",  "Lachesis",         "Ledum",            "Lycopodium",
    "Magnesium carb.",  "Magnesium phosph.", "Mercurius sol.",  "Natrium carb.",
    "Natrium mur.",     "Natrium sulph.", "Nux vomica",       "Opium",
    "Petroleum",        "Phosphorus",       "Phytolacca",       "Podophyllum",
    "Pulsatilla",       "Rheum",            "Rhus tox.",        "Ruta",
    "Sambucus",         "Sepia",            "Silicea",          "Spongia",
    "Staphisagria",     "Stramonium",       "Sulfur",           "Thuja",
    "Veratrum album",   "Zincum",
};

// The three steps of every complaint's warning block, in order.
constexpr std::array<std::string_view, 3> kTriageSteps{
    "Sofort Notruf 112",
    "Heute noch zum Arzt / ärztlicher Bereitschaftsdienst 116 117",
    "Beobachten",
};

// The tables whose complaint entries already open with the warning block.
constexpr std::array<std::string_view, 4> kTriageTables{"Emerg", "IndList", "KindInd", "Baum"};

// Signs of meningitis or sepsis, breathing difficulty, unconsciousness,
// seizures and fever in young infants: the same signs take the same step in
// every table, the emergency call.
constexpr std::array<std::string_view, 13> kEmergencySigns{
    "Atemnot",       "Bewusstlosigkeit", "bewusstlos",        "Krampfanfall", "Nackensteif",
    "steifem Nacken", "steifer Nacken",  "unter drei Monaten", "punktförmig", "unter einem Glas",
    "Glastest",      "vorgewölbt",       "keine Luft",
};

// What tells a parent to give nothing by mouth.
constexpr std::array<std::string_view, 6> kNothingByMouth{
    "nichts zu essen", "nichts zu trinken", "nichts essen", "nichts trinken", "nichts in den mund", "keine getränke",
};

const std::vector<std::string>& StoredChildFinderNames() {
  static const std::vector<std::string> names = [] {
    const TFieldSchema* bez = FindField(*FindTable(kChildRemedyTable), "Bez");
    std::vector<std::string> cut;
    for (std::string_view name : kChildFinderNames) cut.push_back(CutToCharacters(name, static_cast<size_t>(bez->size)));
    return cut;
  }();
  return names;
}

}  // namespace

std::span<const std::string_view> ChildFinderRemedyNames() { return kChildFinderNames; }

std::span<const std::string_view> EmergencyFinderRemedyNames() { return kEmergencyFinderNames; }

std::string CutToCharacters(std::string_view utf8, size_t characters) {
  size_t at = 0;
  for (size_t count = 0; at < utf8.size() && count < characters; ++count) {
    ++at;
    while (at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80) ++at;  // continuation bytes
  }
  return std::string(utf8.substr(0, at));
}

const TContentRules& DefaultContentRules() {
  static const TContentRules rules = [] {
    TContentRules r;
    r.treeRootName = "Indikationen mit Schlüssel";
    r.minTreeLevel1 = 12;
    r.minTreeLevel2 = 60;
    r.minTreeLevel3 = 60;
    r.minIndications = 150;
    r.minChildIndications = 40;
    r.minEmergencies = 40;
    r.maxRemedies = 120;
    // The materia medica form advises pictures of at most 200 x 200 pixels.
    r.maxPictureSide = 200;
    r.basicsKeys = kBasicsKeys;
    r.childRemedyNames = StoredChildFinderNames();
    r.emergencyNoteMarker = "112";
    r.triageSteps = kTriageSteps;
    r.triageTables = kTriageTables;
    r.emergencySigns = kEmergencySigns;
    r.nothingByMouthPhrases = kNothingByMouth;
    r.onlyAlongsideNote = "nur bei klarem Bewusstsein";
    r.emergencyRemedyNames = kEmergencyFinderNames;
    r.remedyListFile = "TABHOM/remedies.tsv";
    r.knownNamesFile = "TABHOM/ohne-seite.txt";
    r.maxSingleChildShare = 0.5;
    return r;
  }();
  return rules;
}

}  // namespace refdata
