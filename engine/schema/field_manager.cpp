#include "engine/schema/field_manager.h"

#include <cstring>

#include "engine/values/value_slot.h"
#include "engine/schema/record_buffer.h"

namespace dvx {

void TDVXBaseFieldManager::LoadFromStream(TDVXStream& stream) {
  defs_.SetFormatVersion(formatVersion_);
  defs_.LoadFromStream(stream);
}

void TDVXBaseFieldManager::SaveToStream(TDVXStream& stream) {
  defs_.SetFormatVersion(formatVersion_);
  defs_.SaveToStream(stream);
}

void TDVXBaseFieldManager::ApplyDefaults(TDVXSequenceSession& session, uint8_t* buffer, bool autoinc) {
  if (!defs_.HasAutoincFields() && !defs_.HasDefaults()) return;
  for (int i = 0; i < defs_.Count(); ++i) {
    const TDVXFieldDef& f = *defs_.Items(i);
    uint8_t* slot = buffer + f.MemoryOffset();
    // The default converts to the field's type by the value model's rules
    // (30051/30052 when it cannot); one that converts to an empty string
    // leaves the field NULL.
    if (!f.DefaultValue().IsNull() &&
        WriteFieldSlot(f.DefaultValue().Value(), f.BaseFieldType(), slot, f.MemoryDataSize()))
      SetNull(false, i, buffer);
    if (autoinc && IsAutoincType(f.AdvancedFieldType())) {
      int64_t value = sequences_.GetNextValue(session, f.AutoincSequenceID());
      // The low MemoryDataSize bytes of the little-endian int64.
      std::memcpy(slot, &value, static_cast<size_t>(f.MemoryDataSize()));
      SetNull(false, i, buffer);
    }
  }
}

}  // namespace dvx
