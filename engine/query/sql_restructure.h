#pragma once
// Rebuilding a table with new definitions for ALTER TABLE, through a
// temporary table and with the same names and steps as the table
// component's restructure, so that either recovery finishes or undoes what
// a killed program left:
//
//   1. finish or undo a restructure of the table left unfinished
//   2. create "$N" + T with the new definitions
//   3. copy every record of T into it (fields by name, values converted;
//      fields new to the table get their defaults and autoincrement
//      values), raise its autoincrement sequences to T's
//   4. rename T to "$O" + T, then "$N" + T to T, then drop "$O" + T
//
// A failure before step 4 drops "$N" + T and leaves T as it was; so the
// table is always the old one or the new one with every record.
// Foreign keys of the table and of tables pointing at it are taken off
// before step 2 and put back after step 4 (onto the old table when the
// rebuild fails), each checking the records it covers; a program killed
// between the two keeps the records but not those keys.
#include <string>

namespace dvx {

class TDVXConstraintDefs;
class TDVXFieldDefs;
class TDVXIndexDefs;
class TDVXLocalSession;

// The definitions of an existing table as a rebuild starts from them:
// fields, indexes (without pages) and its not-null and range constraints
// (foreign keys stay with the table and come back after the rebuild).
void ReadTableDefinitions(TDVXLocalSession& session, const std::string& table, TDVXFieldDefs& fields,
                          TDVXIndexDefs& indexes, TDVXConstraintDefs& constraints);

// Steps 1 to 4; raises the failing step's error.
void RebuildTable(TDVXLocalSession& session, const std::string& table, const TDVXFieldDefs& fields,
                  const TDVXIndexDefs& indexes, const TDVXConstraintDefs& constraints);

// Step 1 alone, when T is missing but a restructure of it left its tables
// (a table operator opening T calls it).
void RecoverTableRebuild(TDVXLocalSession& session, const std::string& table);

}  // namespace dvx
