#pragma once
// TDVXBaseSequenceManager: the sequences of one table, and the session's
// record of the last value each sequence gave it.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "engine/core/platform/random.h"
#include "engine/schema/field_def.h"
#include "engine/schema/sequence_def.h"

namespace dvx {

// What a session keeps about sequences: the last value each one handed out
// to it. The engine session implements it.
class TDVXSequenceSession {
 public:
  virtual ~TDVXSequenceSession() = default;
  virtual void SetSequenceLastValue(int32_t sequenceID, int64_t value) = 0;
  virtual bool GetSequenceLastValue(int32_t sequenceID, int64_t& value) const = 0;
};

// A plain in-memory record of last values.
class TDVXSequenceSessionValues : public TDVXSequenceSession {
 public:
  void SetSequenceLastValue(int32_t sequenceID, int64_t value) override { values_[sequenceID] = value; }
  bool GetSequenceLastValue(int32_t sequenceID, int64_t& value) const override;

 private:
  std::map<int32_t, int64_t> values_;
};

class TDVXBaseSequenceManager {
 public:
  explicit TDVXBaseSequenceManager(TDVXRandom& random = TDVXRandom::System()) : random_(random) {}

  TDVXSequenceDefs& SequenceDefs() { return defs_; }
  const TDVXSequenceDefs& SequenceDefs() const { return defs_; }

  // NextValue of the sequence, recorded in the session; 30010 when no
  // sequence has the identifier.
  int64_t GetNextValue(TDVXSequenceSession& session, int32_t sequenceID);
  // 30011 for an unknown identifier, 30012 when the session has no value yet.
  int64_t GetLastValue(const TDVXSequenceSession& session, int32_t sequenceID) const;
  // 30013 for an unknown identifier.
  TDVXSequenceDef& GetSequence(int32_t sequenceID) const;

  // "$S_Autoinc$<table>$<field>" (or "$S_Linked$..."), followed by a random
  // number in 0..65534 while a sequence of that name exists.
  std::string MakeSequenceName(bool forAutoinc, std::string_view fieldName, std::string_view tableName) const;

  // Writes the sequences of the autoincrement fields in field order, a
  // sequence two fields share once; the count is the number written.
  void SaveToStream(TDVXStream& stream, const TDVXFieldDefs& fields) const;
  void LoadFromStream(TDVXStream& stream) { defs_.LoadFromStream(stream); }

 private:
  TDVXRandom& random_;
  TDVXSequenceDefs defs_;
};

}  // namespace dvx
