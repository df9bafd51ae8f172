#pragma once
// TDVXBaseFieldManager: the field definitions of one table, the format
// version their stored form follows, and the defaults of new records.
#include <cstdint>

#include "engine/schema/field_def.h"
#include "engine/schema/sequence_manager.h"

namespace dvx {

class TDVXBaseFieldManager {
 public:
  explicit TDVXBaseFieldManager(TDVXBaseSequenceManager& sequences) : sequences_(sequences) {}

  TDVXFieldDefs& FieldDefs() { return defs_; }
  const TDVXFieldDefs& FieldDefs() const { return defs_; }
  double FormatVersion() const { return formatVersion_; }
  void SetFormatVersion(double v) { formatVersion_ = v; }

  void LoadFromStream(TDVXStream& stream);
  void SaveToStream(TDVXStream& stream);

  // Writes every field's non-NULL default into its slot, converted to the
  // field's own type by the value model (its conversion errors propagate),
  // then, when `autoinc` is set, the next value of each
  // autoincrement field's sequence, so a sequence value always replaces a
  // default. Clears the null flags of the fields it writes. Does nothing
  // when the table has neither defaults nor autoincrement fields.
  void ApplyDefaults(TDVXSequenceSession& session, uint8_t* buffer, bool autoinc);

 private:
  TDVXBaseSequenceManager& sequences_;
  TDVXFieldDefs defs_;
  double formatVersion_ = kDefaultFormatVersion;
};

}  // namespace dvx
