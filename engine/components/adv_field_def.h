#pragma once
// TDVXAdvFieldDef: what an engine dataset knows of one of its fields
// beyond the host field definition: the engine's declared type, whether a
// value is required (a NOT NULL constraint), the declared size, the
// default and the CHECK bounds, and the BLOB storage settings. Filled
// from the open cursor's definitions; a table component hands its own to
// the engine when it creates a table.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/values/field_types.h"
#include "engine/values/variant.h"

namespace dvx {

class TDVXConstraintDefs;
class TDVXFieldDef;

struct TDVXAdvFieldDef {
  std::string name;
  TDVXAdvancedFieldType advancedType = aftUnknown;
  bool required = false;
  int32_t size = 0;
  // NULL values when none is declared.
  TDVXVariant defaultValue;
  TDVXVariant minValue;
  TDVXVariant maxValue;
  uint8_t blobCompressionAlgorithm = 0;
  uint8_t blobCompressionMode = 0;
  int32_t blobBlockSize = 0;
};

// The definition of a field as the table declares it; `name` is the name
// the dataset shows (a projection may rename).
TDVXAdvFieldDef MakeAdvFieldDef(const TDVXFieldDef& field, const std::string& name,
                                const TDVXConstraintDefs& constraints);

}  // namespace dvx
