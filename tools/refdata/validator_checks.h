#pragma once
// The groups of checks the validator runs; each adds what it finds.
#include <vector>

#include "tools/refdata/content_rules.h"
#include "tools/refdata/source_problem.h"
#include "tools/refdata/source_tree.h"

namespace refdata::checks {

using TProblems = std::vector<TProblem>;

// Header fields known to the table, names that fit their fields, required
// fields and texts present.
void CheckFields(const TSourceTree& tree, TProblems& problems);
// Names unique where the table requires it.
void CheckUniqueNames(const TSourceTree& tree, TProblems& problems);
// Parents, the root, cycles, depth and the number of entries per level.
void CheckTree(const TSourceTree& tree, const TContentRules& rules, TProblems& problems);
// {{remedy}} and [[indication]] in every text, and the cross-references.
void CheckReferences(const TSourceTree& tree, TProblems& problems);
// The materia medica pictures.
void CheckPictures(const TSourceTree& tree, const TContentRules& rules, TProblems& problems);
// Topic keys, finder names, the emergency note and the size of each list.
void CheckContent(const TSourceTree& tree, const TContentRules& rules, TProblems& problems);

// The warning block every complaint entry opens with: its steps in order and
// no remedy named before the step after the emergency call.
void CheckTriage(const TSourceTree& tree, const TContentRules& rules, TProblems& problems);
// The list of materia medica pages and the finder names mapped to them. A
// finder name marked as spelt otherwise than its page is not a problem but a
// note, so that the exception stays visible.
void CheckRemedyList(const TSourceTree& tree, const TContentRules& rules, TProblems& problems, TProblems& notes);
// Remedy names in the texts: pages marked {{...}}, names without a page
// listed in the known names and written in bold.
void CheckRemedyNames(const TSourceTree& tree, const TContentRules& rules, TProblems& problems);

}  // namespace refdata::checks
