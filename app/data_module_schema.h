#pragma once
// The field and index definitions each table component stores with its
// design (StoreDefs): the tables' schemas as the window declares them.
// Opening a table reads the definitions of the stored table; these are
// what a table made from the design would have.
#include <string_view>

namespace dvx {
class TDVXTable;
}

namespace fendra {

// Fills the table component's FieldDefs and IndexDefs with the design of
// `tableName` ("tblGrdlgn", "Baum", ...); unknown names throw
// std::invalid_argument.
void StoreDesignDefs(std::string_view tableName, dvx::TDVXTable& table);

}  // namespace fendra
