#pragma once
// What the reference content must hold beyond the tables' schemas: the
// topic keys the basics buttons look up, the names the children's finder
// searches for, the tree's root, and the minimum size of each list.
#include <span>
#include <string>
#include <string_view>

namespace refdata {

struct TContentRules {
  // Tree: the one root and the minimum number of entries on each level.
  std::string_view treeRootName;
  int minTreeLevel1 = 0;
  int minTreeLevel2 = 0;
  int minTreeLevel3 = 0;
  int minIndications = 0;        // IndList
  int minChildIndications = 0;   // KindInd
  int minEmergencies = 0;        // Emerg
  int maxRemedies = 0;           // TABHOM; 0: no limit
  int maxPictureSide = 0;        // pixels, both directions
  // The basics topics: exactly these keys, each once.
  std::span<const std::string_view> basicsKeys;
  // KindKM: exactly these names, each once, as the finder searches for them
  // (already cut to the field's length).
  std::span<const std::string> childRemedyNames;
  // The first paragraph of every emergency text must contain this (the note
  // to call the emergency number or a doctor); empty: not checked.
  std::string_view emergencyNoteMarker;
};

// The rules of the delivered content.
const TContentRules& DefaultContentRules();

// The children's finder remedy names in finder order, as the result shows
// them.
std::span<const std::string_view> ChildFinderRemedyNames();

// The first `characters` characters of a UTF-8 name: what a fixed-length
// field keeps of it.
std::string CutToCharacters(std::string_view utf8, size_t characters);

}  // namespace refdata
