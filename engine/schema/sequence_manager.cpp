#include "engine/schema/sequence_manager.h"

#include <vector>

#include "engine/core/exception.h"
#include "engine/schema/table_errors.h"
#include "engine/schema/unique_name.h"

namespace dvx {

namespace {
constexpr uint32_t kNameNumberRange = 65535;  // 0..65534
}

bool TDVXSequenceSessionValues::GetSequenceLastValue(int32_t sequenceID, int64_t& value) const {
  auto it = values_.find(sequenceID);
  if (it == values_.end()) return false;
  value = it->second;
  return true;
}

int64_t TDVXBaseSequenceManager::GetNextValue(TDVXSequenceSession& session, int32_t sequenceID) {
  auto* sequence = static_cast<TDVXSequenceDef*>(defs_.GetByID(sequenceID));
  if (!sequence) throw EDVXException(kErrNextValueNotFound, "Sequence #%d not found", {sequenceID});
  int64_t value = sequence->NextValue();
  session.SetSequenceLastValue(sequenceID, value);
  return value;
}

int64_t TDVXBaseSequenceManager::GetLastValue(const TDVXSequenceSession& session, int32_t sequenceID) const {
  auto* sequence = defs_.GetByID(sequenceID);
  if (!sequence) throw EDVXException(kErrLastValueNotFound, "Sequence #%d not found", {sequenceID});
  int64_t value;
  if (!session.GetSequenceLastValue(sequenceID, value))
    throw EDVXException(kErrNoLastValue, "No SequenceLastValue in session for sequence '%s'. Call GetNextVal first",
                        {sequence->ObjectName()});
  return value;
}

TDVXSequenceDef& TDVXBaseSequenceManager::GetSequence(int32_t sequenceID) const {
  auto* sequence = static_cast<TDVXSequenceDef*>(defs_.GetByID(sequenceID));
  if (!sequence) throw EDVXException(kErrGetSequenceNotFound, "Sequence #%d not found", {sequenceID});
  return *sequence;
}

std::string TDVXBaseSequenceManager::MakeSequenceName(bool forAutoinc, std::string_view fieldName,
                                                      std::string_view tableName) const {
  std::string base = std::string("$") + (forAutoinc ? "S_Autoinc" : "S_Linked") + "$" + std::string(tableName) +
                     "$" + std::string(fieldName);
  return MakeUniqueName(
      base, [this](std::string_view name) { return defs_.FindByName(name) >= 0; }, random_, kNameNumberRange);
}

void TDVXBaseSequenceManager::SaveToStream(TDVXStream& stream, const TDVXFieldDefs& fields) const {
  std::vector<const TDVXSequenceDef*> written;
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef* f = fields.Items(i);
    if (!IsAutoincType(f->AdvancedFieldType())) continue;
    const TDVXSequenceDef& sequence = GetSequence(f->AutoincSequenceID());
    bool seen = false;
    for (const auto* s : written) seen = seen || s == &sequence;
    if (!seen) written.push_back(&sequence);
  }
  stream.WriteI32(static_cast<int32_t>(written.size()));
  for (const auto* s : written) s->SaveToStream(stream);
}

}  // namespace dvx
