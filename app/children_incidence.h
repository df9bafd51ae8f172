#pragma once
// The incidence table of the children's constitutional remedy finder: the
// seven check lists with their headings, and for every item of them the
// remedies that one tick gives a point.
#include <array>
#include <string_view>
#include <vector>

#include "app/children_remedies.h"

namespace fendra {

struct ChildCheckList {
  std::string_view Name;          // object name of the check list
  std::string_view HeadingLabel;  // object name of the label above it
  std::string_view Heading;       // exact, blanks included
  int ItemCount;
  int FirstFeature;               // index of its item 0 among all features
};

struct ChildFeature {
  std::string_view List;      // object name of the check list
  int Item;                   // position in its list, from 0
  std::string_view Caption;   // exact, misspellings and double blanks included
  std::string_view Remedies;  // remedy names separated by ", "
};

// The seven lists top to bottom (clbKonst first).
const std::array<ChildCheckList, kChildCheckListCount>& ChildCheckLists();

// The 111 features, lists in their order and each list's items from 0. The
// table is checked on first use: lists, item numbers and counts in order,
// every remedy name known and none repeated in a row; a fault of the table
// throws std::logic_error.
const std::array<ChildFeature, kChildFeatureCount>& ChildFeatures();

// The feature index of item `item` of list `list` (both from 0); out of
// range throws std::out_of_range.
int ChildFeatureIndex(int list, int item);
// The list a feature belongs to.
int ChildFeatureList(int feature);

// Remedy numbers a feature lists, in the row's order.
const std::vector<int>& ChildFeatureRemedies(int feature);

// Resolves a ", "-separated list of remedy names to remedy numbers (throws
// std::logic_error for an unknown or a repeated name).
std::vector<int> ResolveChildRemedyList(std::string_view list);

}  // namespace fendra
