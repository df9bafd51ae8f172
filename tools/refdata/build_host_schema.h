#pragma once
// A reference table's schema in the table component's terms: host field
// types with their sizes and index definitions with the key fields joined
// by ";", the case-insensitive fields named and the options set. The builder
// creates each table from these, and the tests compare a built table's
// definitions, as the component reads them back, with them.
//
//   AutoInc -> ftAutoInc     FixedChar(n) -> ftFixedChar, size n
//   Integer -> ftInteger     FmtMemo -> ftFmtMemo     Graphic -> ftGraphic
//
// An index with case-insensitive fields also has the caseInsensitive option.
//
// Names reach the component as the engine stores them, in Windows-1252
// ("Abkürzung" as "Abk\xFCrzung"): the component layer hands object names
// through unchanged, while field values cross it as UTF-8.
#include <string>
#include <string_view>

#include "engine/components/field_defs.h"
#include "engine/components/index_defs.h"
#include "tools/refdata/table_schema.h"

namespace refdata {

dvx::TFieldType HostFieldType(TFieldType type);

// The Windows-1252 form of a field, index or field list name of the schema.
std::string EngineName(std::string_view utf8);

// Fills the (empty) collections with the table's fields and indexes in
// declared order.
void AddHostDefinitions(const TTableSchema& table, dvx::TFieldDefs& fields, dvx::TIndexDefs& indexes);

}  // namespace refdata
