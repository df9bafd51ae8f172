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

  // Complaint entries (Emerg, IndList, KindInd and the tree's second and
  // third levels) open with a warning block that names these steps in this
  // order, before any remedy; the first step is the emergency call, and no
  // remedy may be named before the second step begins. Empty: not checked.
  std::span<const std::string_view> triageSteps;
  // Signs that always call for the emergency number: within the warning
  // block they may stand only in its first step.
  std::span<const std::string_view> emergencySigns;
  // An entry that tells to give nothing by mouth (any of these phrases, in
  // lower case) and still names remedies must say that they are given only
  // alongside and only when the child is fully conscious (this note).
  std::span<const std::string_view> nothingByMouthPhrases;
  std::string_view onlyAlongsideNote;
  // The tables whose entries are held to the warning block ("Baum": its
  // second and third levels).
  std::span<const std::string_view> triageTables;
  // The emergency finder's remedy names, in finder order; with the children's
  // names they must be mapped in the remedy list. Empty: not checked.
  std::span<const std::string_view> emergencyRemedyNames;
  // The list of the materia medica pages and the finder names mapped to them,
  // and the file of remedy names the texts use without a page (both relative
  // to the data folder). Empty: not checked.
  std::string_view remedyListFile;
  std::string_view knownNamesFile;
  // The tree is refused when more than this share of its second-level entries
  // has exactly one child (a tree shaped to meet the counts, not its
  // subjects). Negative: not checked.
  double maxSingleChildShare = -1;
};

// The rules of the delivered content.
const TContentRules& DefaultContentRules();

// The children's finder remedy names in finder order, as the result shows
// them.
std::span<const std::string_view> ChildFinderRemedyNames();

// The emergency finder's remedy names in finder order.
std::span<const std::string_view> EmergencyFinderRemedyNames();

// The first `characters` characters of a UTF-8 name: what a fixed-length
// field keeps of it.
std::string CutToCharacters(std::string_view utf8, size_t characters);

}  // namespace refdata
