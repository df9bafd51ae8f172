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
// Names are handed to the component as the schema writes them, in UTF-8;
// the component stores them in the engine's Windows-1252.
#include <string>
#include <string_view>

#include "engine/components/field_defs.h"
#include "engine/components/index_defs.h"
#include "tools/refdata/table_schema.h"

namespace refdata {

dvx::TFieldType HostFieldType(TFieldType type);

// Fills the (empty) collections with the table's fields and indexes in
// declared order.
void AddHostDefinitions(const TTableSchema& table, dvx::TFieldDefs& fields, dvx::TIndexDefs& indexes);

}  // namespace refdata
