#include "app/children_incidence.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace fendra {

namespace {

constexpr std::array<ChildCheckList, kChildCheckListCount> kLists{{
    {"clbKonst", "lbKiMi1", "Verhaltensweisen und Konstitution", 36, 0},
    {"clbFolg", "lbKiMi2", "Auslösende Ursachen ", 4, 36},
    {"clbMod", "lbKiMi3", "Modalitäten und  Zeiten", 14, 40},
    {"clbAllg", "lbKiMi4", "Allgemeines", 15, 54},
    {"clbSchlaf", "lbKiMi5", "Schlaf", 15, 69},
    {"clbApp", "lbKiMi6", "Appetit und Nahrungsverträglichkeit", 17, 84},
    {"clbMD", "lbKiMi7", "Magen-, Darmstörungen ", 10, 101},
}};

// One line per check-list item, in the order the evaluation visits them.
// Each line reads as: list, item, caption, remedies receiving one point.
constexpr std::array<ChildFeature, kChildFeatureCount> kFeatures{{
    {"clbKonst", 0, "Blässe oder blutarm", "Calcium phos., Ferrum ars"},
    {"clbKonst", 1, "mager, sehr schlank", "Borax, Calcium phos., Phosphorus, Sanicula, Silicea"},
    {"clbKonst", 2, "schnelles Wachstum", "Calcium phos., Phosphorus"},
    {"clbKonst", 3, "Pupertät der Mädchen", "Phosphorus, Platinum"},
    {"clbKonst", 4, "Entwicklung verzögert", "Agaricus, Barium carb, Calcium carb, Calcium phos., Lycopodium, Natrium mur"},
    {"clbKonst", 5, "Unruhig mit verzögerter Entwicklung", "Agaricus, Calcium phos."},
    {"clbKonst", 6, "träge, passiv, langsam", "Calcium carb, Ignatia, Lycopodium, Pulsatilla"},
    {"clbKonst", 7, "übergewichtig, plump", "Barium carb, Calcium brom, Calcium carb"},
    {"clbKonst", 8, "Erschöpfung, rasche Ermüdung", "Arsenicum, Calcium carb, Calcium phos., Ferrum ars, Kalium carb, Lycopodium, Natrium mur, Phosphorus, Silicea"},
    {"clbKonst", 9, "schwerfällig, ungeschickt", "Agaricus, Calcium carb"},
    {"clbKonst", 10, "Aufgeweckt und lebhaft", "Lycopodium, Phosphorus"},
    {"clbKonst", 11, "Hochmut, Anmaßung", "Platinum"},
    {"clbKonst", 12, "Eifersucht", "Ignatia"},
    {"clbKonst", 13, "Kindisches, lächerliches Benehmen", "Velarium nit, Barium carb, Cuprum met, Ignatia, Mercurius, Phosphorus, Pulsatilla"},
    {"clbKonst", 14, "Unruhig, nervös", "Agaricus, Arsenicum, Borax, Calcium brom, Calcium phos., Chamomilla, Cina, Kalium brom, Magnesium carb, Phosphorus, Valeriana, Zincum"},
    {"clbKonst", 15, "unruhige Hände und Finger", "Kalium brom"},
    {"clbKonst", 16, "Launenhaftigkeit", "Chamomilla, Cina, Platinum, Sanicula"},
    {"clbKonst", 17, "Lebhaftigkeit, vergnügt", "Cypripedium, Ignatia"},
    {"clbKonst", 18, "überempfindlich", "Chamomilla, Cina, Ignatia, Magnesium carb, Phosphorus"},
    {"clbKonst", 19, "reizbar, schnell zornentbrannt", "Calcium brom, Chamomilla, Cina, Colocynthis, Lycopodium, Magnesium carb, Nux vom, Staphisagria, Sulfur, Valeriana"},
    {"clbKonst", 20, "Berührung wird abgelehnt", "Cina, Magnesium carb"},
    {"clbKonst", 21, "boshaft", "Bryonia, Chamomilla, Cina, Ignatia, Lycopodium, Nux vom"},
    {"clbKonst", 22, "liebesbedürftig, sanft", "Ignatia, Phosphorus, Pulsatilla, Silicea"},
    {"clbKonst", 23, "Mangel an  Selbstvertrauen", "Barium carb, Calcium carb, Lycopodium, Mercurius, Natrium mur, Silicea"},
    {"clbKonst", 24, "Schüchtern, unentschlossen", "Barium carb, Calcium carb, Calcium phos., Lycopodium, Mercurius, Natrium mur, Phosphorus, Pulsatilla, Silicea, Staphisagria"},
    {"clbKonst", 25, "schüchtern und gleichzeitig tollkühn", "Calcium carb"},
    {"clbKonst", 26, "weinerlich, mutlos", "Pulsatilla, Sanicula, Silicea"},
    {"clbKonst", 27, "Kummervoll", "Ignatia, Natrium mur, Opium, Phosphorus, Pulsatilla, Silicea"},
    {"clbKonst", 28, "Auffälliges Seufzen", "Ignatia"},
    {"clbKonst", 29, "traurig, will Trost", "Pulsatilla"},
    {"clbKonst", 30, "traurig, Trost verschlimmert", "Natrium mur"},
    {"clbKonst", 31, "Alleinsein verschlechtert", "Arsenicum, Calcium carb, Mercurius, Phosphorus, Rhus tox"},
    {"clbKonst", 32, "Angst bei Abwärtsbewegung", "Borax"},
    {"clbKonst", 33, "Angst mit Schwermut, schnell verzagt", "Arsenicum, Calcium carb, Rhus tox"},
    {"clbKonst", 34, "Angst mit Unruhe", "Arsenicum, Belladonna, Chamomilla, Lycopodium, Magnesium carb, Nux vom, Phosphorus, Rhus tox"},
    {"clbKonst", 35, "Angst in der Nacht", "Arsenicum, Phosphorus"},
    {"clbFolg", 0, "Folge von Kälte und Nässe", "Barium carb, Dulcamara, Rhus tox"},
    {"clbFolg", 1, "Folge von Teilnahmslosigkeit", "Lycopodium, Phosphorus, Staphisagria"},
    {"clbFolg", 2, "Folge von Gleichgültigkeit", "Calcium carb, Chamomilla, Cina, Hepar sulf, Lycopodium, Mercurius, Phosphorus, Platinum, Pulsatilla, Sepia, Staphisagria"},
    {"clbFolg", 3, "Kränkungen, seelische Verletzung", "Ignatia, Natrium mur, Opium, Phosphorus, Pulsatilla, Silicea"},
    {"clbMod", 0, "Kälteempfindlickeit, möchte immer warm", "Arsenicum, Barium carb, Calcium carb, Calcium phos., Carbo veg., Graphites, Magnesium carb, Medorrhinum, Mercurius, Silicea"},
    {"clbMod", 1, "Lehnt warme Kleidung ab", "Jodum, Lachesis, Sanguinaria, Sulfur"},
    {"clbMod", 2, "Geräuschempfindlichkeit", "Borax"},
    {"clbMod", 3, "Unruhe in der Nacht", "Arsenicum, Kalium brom, Mercurius, Zincum"},
    {"clbMod", 4, "Verschlimmer um Mitternacht", "Aconitum, Arsenicum, Drosera"},
    {"clbMod", 5, "2-3 Uhr", "Ammonium carb, Lycopodium"},
    {"clbMod", 6, "3-5 Uhr", "Antimonium tart, Kalium jod, Natrium sulf"},
    {"clbMod", 7, "4-6 Uhr", "Lycopodium"},
    {"clbMod", 8, "11 Uhr", "Sulfur"},
    {"clbMod", 9, "16-20 Uhr", "Lycopodium, Natrium mur"},
    {"clbMod", 10, "17-22 Uhr", "Kalium brom"},
    {"clbMod", 11, "18-23 Uhr", "Belladonna"},
    {"clbMod", 12, "Tagsüber", "Medorrhinum"},
    {"clbMod", 13, "Nachts", "Luesinum"},
    {"clbAllg", 0, "Krampfneigung", "Chamomilla, Cina, Colocynthis, Magnesium carb, Nux vom"},
    {"clbAllg", 1, "Beschwerden nach einer Impfung", "Kalium mur, Silicea, Thuja"},
    {"clbAllg", 2, "Unverträglichkeit von Arzneimitteln", "Nux vom, Sulfur"},
    {"clbAllg", 3, "Häufig Mandelentzündungen", "Barium carb, Dulcamara, Hepar sulf, Mercurius, Thuja"},
    {"clbAllg", 4, "Häufig Mittelohentzündungen", "Ferrum phos"},
    {"clbAllg", 5, "Häufig Bronchitis, Husten", "Calcium carb, Dulcamara, Natrium sulf, Psorinum, Sulfur, Thuja"},
    {"clbAllg", 6, "Häufig fieberhafte Infekte", "Ferrum phos, Sulfur"},
    {"clbAllg", 7, "Haut Auffallend trocken", "Alumina, Arsenicum, Graphites, Lycopodium, Natrium mur"},
    {"clbAllg", 8, "Haut mit auffallender Schweißneigung", "Calcium carb, Mercurius, Sulfur, Thuja"},
    {"clbAllg", 9, "Haut empfindlich gegen Wasser", "Sulfur"},
    {"clbAllg", 10, "Neigung zu Ekzem, Milchschorf", "Calcium carb, Graphites, Psorinum, Sulfur"},
    {"clbAllg", 11, "Neigung zu Wundsein", "Benzoicum acid, Medorrhinum, Sulfur"},
    {"clbAllg", 12, "Schlechter Körpergeruch", "Psorinum, Sulfur"},
    {"clbAllg", 13, "Kind richt sauer", "Calcium carb"},
    {"clbAllg", 14, "Streckt Beine unter der Decke hervor", "Medorrhinum, Sanguinaria, Sulfur"},
    {"clbSchlaf", 0, "Schlaflosigkeit", "Borax, Cypripedium, Jalapa, Staphisagria"},
    {"clbSchlaf", 1, "Schlaf auffallend leicht", "Belladonna, Ignatia, Sulfur"},
    {"clbSchlaf", 2, "Schweiß im 1. Schlaf", "Belladonna"},
    {"clbSchlaf", 3, "Schweiß in den frühen Morgenstunden", "Phosphoricum acid"},
    {"clbSchlaf", 4, "Schweiß am ganzen Körper", "Mercurius"},
    {"clbSchlaf", 5, "Schläft erst spät  ein", "Belladonna, Coffea, Ferrum phos, Zincum"},
    {"clbSchlaf", 6, "Wacht früh auf", "Kalium carb, Natrium mur, Nux vom, Silicea, Sulfur"},
    {"clbSchlaf", 7, "Schläft spät ein und wacht früh auf", "Phosphorus"},
    {"clbSchlaf", 8, "Schläft nur warm zugedeckt", "Arsenicum, Silicea"},
    {"clbSchlaf", 9, "Schläft nicht ohne Licht ein", "Stramonium"},
    {"clbSchlaf", 10, "Schläft in Bauch-, Knie-Ellenbogenlage", "Lycopodium, Medorrhinum"},
    {"clbSchlaf", 11, "Zuckt im Schlaf zusammen", "Belladonna, Zincum"},
    {"clbSchlaf", 12, "Zähneknirschen im Schlaf", "Belladonna, Cina, Ignatia, Zincum"},
    {"clbSchlaf", 13, "Unruhiger Schlaf (Zahnung)", "Chamomilla"},
    {"clbSchlaf", 14, "Wetzt den Kopf im Schlaf hin und her", "Lycopodium, Phosphorus"},
    {"clbApp", 0, "Appetitlosigkeit:", "Calcium phos., Ferrum ars"},
    {"clbApp", 1, "Ißt  schlecht und trinkt viel", "Arsenicum, Calcium phos., Ferrum ars, Sulfur"},
    {"clbApp", 2, "Ißt nicht und hat auch keinen Durst", "Abrotanum, Apis, Sulfur"},
    {"clbApp", 3, "Ißt  schlecht, sieht aber ganz mollig aus", "Lycopodium"},
    {"clbApp", 4, "Ißt gut, nimmt aber nicht zu", "Abrotanum, Arsenicum, Jodum, Sulfur"},
    {"clbApp", 5, "Verlangen nach Eiern", "Calcium carb, Calcium phos."},
    {"clbApp", 6, "Verlangen nach Fleisch", "Magnesium carb, Natrium mur, Sulfur"},
    {"clbApp", 7, "Verlangen nach Speck, Geräuchertem", "Calcium phos."},
    {"clbApp", 8, "Abneigung gegen Fett", "Carbo veg., Pulsatilla"},
    {"clbApp", 9, "Abneigung gegen Fleisch", "Ferrum, Silicea"},
    {"clbApp", 10, "Abneigung gegen Milch", "Magnesium carb, Sulfur"},
    {"clbApp", 11, "Abneigung gegen Zucker", "Nitricum acid"},
    {"clbApp", 12, "Unverträglichkeit von Eier", "Sulfur"},
    {"clbApp", 13, "Unverträglichkeit von Fett", "Carbo veg., Nitricum acid, Pulsatilla"},
    {"clbApp", 14, "Unverträglichkeit von Milch", "Calcium carb, Magnesium carb, Nitricum acid, Sulfur"},
    {"clbApp", 15, "Obst und Fruchtsäften machen wund", "Medorrhinum, Sulfur"},
    {"clbApp", 16, "Unverträglichkeit von Süßem", "Velarium nit, Sulfur"},
    {"clbMD", 0, "Erbrechen, Übelkeit", "Benzoicum acid, Ignatia, Magnesium carb, Valeriana"},
    {"clbMD", 1, "Milchunverträglichkeit", "Magnesium carb"},
    {"clbMD", 2, "Erbrechen mit Belag am Zungengrund", "Natrium phos"},
    {"clbMD", 3, "Erbrechen bei sensiblen Kindern", "Belladonna, Ignatia"},
    {"clbMD", 4, "Durchfall mit hellgrauen Stühlen", "Calcium carb"},
    {"clbMD", 5, "Durchfall  bei der Zahnung", "Chamomilla, Podophyllum"},
    {"clbMD", 6, "Durchfall mit Fieber", "Ferrum phos"},
    {"clbMD", 7, "Durchfall mit stinkende Entleerungen", "Sulfur"},
    {"clbMD", 8, "Verstopfung - Fühlt sich wohl dabei", "Calcium carb"},
    {"clbMD", 9, "Verstopfung bei Milchernährung", "Magnesium carb, Nux vom"},
}};

int RemedyNumber(std::string_view name) {
  const auto& names = ChildRemedyNames();
  const auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end())
    throw std::logic_error("children's incidence table names an unknown remedy: " + std::string(name));
  return static_cast<int>(it - names.begin());
}

void Fault(const std::string& what) {
  throw std::logic_error("children's incidence table: " + what);
}

// Every list's items follow one another from 0 in the list's place, and the
// lists add up to all features.
void CheckLayout() {
  int feature = 0;
  for (const ChildCheckList& list : kLists) {
    if (list.FirstFeature != feature) Fault(std::string(list.Name) + " starts at the wrong feature");
    for (int item = 0; item < list.ItemCount; ++item, ++feature) {
      if (feature >= kChildFeatureCount) Fault("more items than features");
      const ChildFeature& f = kFeatures[feature];
      if (f.List != list.Name || f.Item != item)
        Fault("feature " + std::to_string(feature) + " is not item " + std::to_string(item) + " of " +
              std::string(list.Name));
    }
  }
  if (feature != kChildFeatureCount) Fault("the lists do not hold every feature");
}

}  // namespace

const std::array<ChildCheckList, kChildCheckListCount>& ChildCheckLists() { return kLists; }

std::vector<int> ResolveChildRemedyList(std::string_view list) {
  static constexpr std::string_view kSeparator = ", ";
  std::vector<int> numbers;
  while (!list.empty()) {
    const size_t end = list.find(kSeparator);
    const int number = RemedyNumber(list.substr(0, end));
    if (std::find(numbers.begin(), numbers.end(), number) != numbers.end())
      Fault("a row repeats " + std::string(list.substr(0, end)));
    numbers.push_back(number);
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + kSeparator.size());
  }
  return numbers;
}

namespace {

// Checked and resolved on first use; a fault fails the first evaluation
// loudly instead of silently withholding points.
const std::array<std::vector<int>, kChildFeatureCount>& Resolved() {
  static const std::array<std::vector<int>, kChildFeatureCount> resolved = [] {
    CheckLayout();
    std::array<std::vector<int>, kChildFeatureCount> rows;
    for (int i = 0; i < kChildFeatureCount; ++i) {
      rows[i] = ResolveChildRemedyList(kFeatures[i].Remedies);
      if (rows[i].empty()) Fault("feature " + std::to_string(i) + " lists no remedy");
    }
    return rows;
  }();
  return resolved;
}

}  // namespace

const std::array<ChildFeature, kChildFeatureCount>& ChildFeatures() {
  Resolved();
  return kFeatures;
}

int ChildFeatureIndex(int list, int item) {
  const ChildCheckList& l = kLists.at(static_cast<size_t>(list));
  if (item < 0 || item >= l.ItemCount) throw std::out_of_range("no such item of " + std::string(l.Name));
  return l.FirstFeature + item;
}

int ChildFeatureList(int feature) {
  if (feature < 0 || feature >= kChildFeatureCount) throw std::out_of_range("no such feature");
  int list = kChildCheckListCount - 1;
  while (kLists[list].FirstFeature > feature) --list;
  return list;
}

const std::vector<int>& ChildFeatureRemedies(int feature) {
  return Resolved().at(static_cast<size_t>(feature));
}

}  // namespace fendra
