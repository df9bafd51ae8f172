#include "app/emergency_incidence.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace fendra {

namespace {

using G = EmergencyModalityGroup;

// One line per check box, in the order the evaluation visits them. Each line
// reads as: check box, group, caption, remedies receiving one point.
constexpr std::array<EmergencyModality, kEmergencyModalityCount> kModalities{{
    {"cb1BeKa", G::Better, "Kälte", "Aconitum, Agaricus, Aluminia, Apis, Coffea, Ferrum met., Graphites, Jodum, Kalium carb., Kalium jodatum"},
    {"cb2BeWa", G::Better, "Wärme", "Ammonium carb., Arsenicum, Benzoicum acid., Calcium bromatum, Calcium carb., Carbo veg., Cuprum, Ferrum phosph., Hepar sulph., Ignatia, Ipecacuanha, Jalapa"},
    {"cb3BeRu", G::Better, "Ruhe", "Antimonium tart., Apis, Velarium nitr., Calcium bromatum, Calcium phosph., Cina, Colocynthis, Ferrum met., Ferrum phosph., Jalapa"},
    {"cb4BeLi", G::Better, "Liegen ", "Ammonium carb., Apis, Belladonna, Calcium bromatum, Colocynthis, Cypripedium, Ferrum arsenic., Ignatia"},
    {"cb5BeSi", G::Better, "Sitzen", "Agaricus, Ammonium carb., Velarium nitr., Calcium phosph."},
    {"cb6BeBe", G::Better, "Bewegung", "Ammonium carb., Calcium phosph., Carbo veg., Graphites, Hepar sulph., Ignatia, Jodum"},
    {"cb7BeDr", G::Better, "Druck", "Apis, Bryonia, Calcium carb., Coffea, Drosera"},
    {"cb8BeLu", G::Better, "frische Luft", "Abrotanum, Aconitum, Agaricus, Velarium nitr., Arsenicum, Barium carb., Belladonna, Bryonia, Calcium bromatum, Calcium phosph., Chamomilla, Cina, Coffea, Dulcamara, Ferrum met., Gelsemium, Graphites, Jodum, Kalium jodatum"},
    {"cb9BeNa", G::Better, "nachts", "Bryonia"},
    {"cb10BeAl", G::Better, "alleine", "Cina, Drosera"},
    {"cb11BeLb", G::Better, "Liegen, betroffene Seite", "Apis, Calcium carb., Drosera, Graphites"},
    {"cb12SKa", G::Worse, "Kälte", "Ammonium carb., Carbo veg., Cuprum, Ferrum arsenic., Ferrum phosph., Hepar sulph., Ignatia, Ipecacuanha, Jalapa"},
    {"cb13SWa", G::Worse, "Wärme", "Abrotanum, Aconitum, Agaricus, Apis, Calcium phosph., Chamomilla, Coffea, Ferrum arsenic., Graphites, Jodum, Kalium jodatum"},
    {"cb14SRu", G::Worse, "Ruhe", "Aluminia, Calcium carb., Calcium phosph., Carbo veg., Graphites, Hepar sulph., Jodum"},
    {"cb15SLi", G::Worse, "Liegen ", "Agaricus, Ammonium carb., Velarium nitr., Carbo veg., Graphites, Ignatia"},
    {"cb16SSi", G::Worse, "Sitzen", "Agaricus, Carbo veg."},
    {"cb17SBe", G::Worse, "Bewegung", "Aluminia, Antimonium tart., Apis, Velarium nitr., Bryonia, Calcium carb., Colocynthis, Cypripedium, Dulcamara, Ferrum met., Hepar sulph., Ipecacuanha, Kalium carb., Kalium jodatum"},
    {"cb18SDr", G::Worse, "Druck", "Agaricus, Aluminia, Antimonium tart., Colocynthis, Cypripedium, Dulcamara, Jalapa, Kalium carb."},
    {"cb19SLu", G::Worse, "frische Luft", "Borax, Calcium bromatum, Cuprum, Ipecacuanha"},
    {"cb20SNa", G::Worse, "nachts", "Abrotanum, Aluminia, Ammonium carb., Apis, Velarium nitr., Barium carb., Benzoicum acid., Borax, Bryonia, Calcium phosph., Carbo veg., Chamomilla, Colocynthis, Cuprum, Cypripedium, Ferrum met., Ferrum arsenic., Hepar sulph., Ignatia, Ipecacuanha, Jalapa, Jodum"},
    {"cb21SAl", G::Worse, "alleine", "Abrotanum, Drosera, Gelsemium, Graphites"},
    {"cb22SLb", G::Worse, "Liegen, betroffene Seite", "Abrotanum, Aluminia, Cuprum, Ferrum arsenic."},
    {"cb23ZuGe", G::State, "gereizt, zornig", "Abrotanum, Agaricus, Aluminia, Ammonium carb., Antimonium tart., Apis, Barium carb., Belladonna, Borax, Bryonia, Calcium carb., Cina, Cuprum, Drosera, Ferrum arsenic., Ferrum phosph., Jalapa"},
    {"cb24ZuSa", G::State, "sanft, lieb", "Gelsemium, Graphites"},
    {"cb25ZuGU", G::State, "große Unruhe", "Abrotanum, Agaricus, Ammonium carb., Antimonium tart., Barium carb., Belladonna, Benzoicum acid., Bryonia, Calcium carb., Drosera, Ferrum arsenic., Ferrum phosph., Gelsemium, Hepar sulph., Ignatia, Jalapa, Jodum"},
    {"cb26ZuRG", G::State, "rotes Gesicht", "Abrotanum, Antimonium tart., Apis, Borax, Coffea"},
    {"cb27ZuBG", G::State, "blasses Gesicht", "Abrotanum, Aluminia, Ammonium carb., Apis, Belladonna, Coffea, Ferrum arsenic., Gelsemium, Kalium jodatum"},
    {"cb28ZuOS", G::State, "ohne Schweiß", "Apis, Calcium bromatum"},
    {"cb29ZuMS", G::State, "starker Schweiß", "Antimonium tart., Borax, Ferrum arsenic., Kalium jodatum"},
    {"cb30ZuWD", G::State, "wenig Durst", "Agaricus, Ammonium carb., Barium carb., Graphites"},
    {"cb31ZuSD", G::State, "starker Durst", "Abrotanum, Ammonium carb., Apis, Barium carb., Borax, Calcium bromatum, Ferrum arsenic., Gelsemium, Ignatia, Jodum"},
}};

int RemedyEntry(std::string_view name) {
  const auto& names = EmergencyRemedyNames();
  const auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end())
    throw std::logic_error("emergency incidence table names an unknown remedy: " + std::string(name));
  return static_cast<int>(it - names.begin());
}

}  // namespace

std::string_view EmergencyGroupCaption(EmergencyModalityGroup group) {
  switch (group) {
    case G::Better: return "Besser durch:";
    case G::Worse: return "Schlimmer durch:";
    case G::State: break;
  }
  return "Allgemeiner Zustand";
}

const std::array<EmergencyModality, kEmergencyModalityCount>& EmergencyModalities() {
  return kModalities;
}

std::vector<int> ResolveEmergencyRemedyList(std::string_view list) {
  static constexpr std::string_view kSeparator = ", ";
  std::vector<int> entries;
  while (!list.empty()) {
    const size_t end = list.find(kSeparator);
    const int entry = RemedyEntry(list.substr(0, end));
    if (std::find(entries.begin(), entries.end(), entry) != entries.end())
      throw std::logic_error("emergency incidence table repeats a remedy: " +
                             std::string(list.substr(0, end)));
    entries.push_back(entry);
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + kSeparator.size());
  }
  return entries;
}

const std::vector<int>& EmergencyModalityRemedies(int modality) {
  // Resolved on first use; a misspelt name fails the first evaluation loudly
  // instead of silently withholding points.
  static const std::array<std::vector<int>, kEmergencyModalityCount> resolved = [] {
    std::array<std::vector<int>, kEmergencyModalityCount> rows;
    for (int i = 0; i < kEmergencyModalityCount; ++i)
      rows[i] = ResolveEmergencyRemedyList(kModalities[i].Remedies);
    return rows;
  }();
  return resolved.at(static_cast<size_t>(modality));
}

}  // namespace fendra
