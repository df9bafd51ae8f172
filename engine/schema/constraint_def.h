#pragma once
// Constraint definitions. Each kind carries its ConstraintType:
//   0 primary key, 1 foreign key, 2 unique, 3 not null, 4 check,
//   5 foreign key action (the referenced side of a foreign key).
//
// Stored forms (after the common header; the collection writes the type byte
// before each item):
//
// NotNull (3) and Check (4):
//   4, 4, 4  identifiers of pairs 1, 2, 3 (pair 3: the field's ObjectID)
//   3 times  1 byte holding L+1, then the short string (length byte L and
//            L characters): pair 1, pair 2, pair 3 (the field name)
//   Check only: MinValue, MaxValue in the engine value stream form
// Pairs 1 and 2 are reserved: created empty with identifier 0, only stored
// and copied. L+1 must fit its byte, so these names hold at most 254
// characters.
//
// Unique (2) and Primary (0):
//   4, 4, 4  identifiers of pairs 1, 2, 3 (pair 3: the index's ObjectID)
//   3 times  int32 holding L+1, then the short string: pair 1, 2, 3 (the
//            index name)
//   4        column count N
//   N times  int32 field ObjectID, int32 holding L+1, short string (name)
//
// ForeignKeyAction (5) and ForeignKey (1):
//   4, L, 4  table name length, characters, table identifier
//   4, L, 4  key constraint name length, characters, its ObjectID
//   1, 1, 1  DeleteAction, UpdateAction, MatchType
//   4        column count N
//   N times  int32 field ObjectID, int32 name length L, L characters
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/schema/meta_object_def.h"
#include "engine/schema/stored_value.h"

namespace dvx {

enum TDVXConstraintType : uint8_t {
  ctPrimaryKey = 0,
  ctForeignKey = 1,
  ctUnique = 2,
  ctNotNull = 3,
  ctCheck = 4,
  ctForeignKeyAction = 5,
};
constexpr int kMaxConstraintType = 5;

// DeleteAction / UpdateAction and MatchType codes.
enum TDVXReferentialAction : uint8_t { raRestrict = 0, raCascade = 1, raSetNull = 2, raSetDefault = 3, raNoAction = 4 };
enum TDVXMatchType : uint8_t { mtSimple = 0, mtFull = 1, mtPartial = 2 };

// A name with the identifier it resolves to.
struct TDVXNamedRef {
  std::string name;
  int32_t id = 0;
  bool operator==(const TDVXNamedRef&) const = default;
};

class TDVXConstraintDef : public TDVXMetaObjectDef {
 public:
  TDVXConstraintType ConstraintType() const { return constraintType_; }
  void Assign(const TDVXMetaObjectDef& source) override;

 protected:
  explicit TDVXConstraintDef(TDVXConstraintType type) : constraintType_(type) {}

 private:
  TDVXConstraintType constraintType_;
};

// The three name/identifier pairs of NotNull, Check, Unique and Primary.
class TDVXConstraintDefPairs : public TDVXConstraintDef {
 public:
  std::array<TDVXNamedRef, 3>& Pairs() { return pairs_; }
  const std::array<TDVXNamedRef, 3>& Pairs() const { return pairs_; }
  void Assign(const TDVXMetaObjectDef& source) override;

 protected:
  explicit TDVXConstraintDefPairs(TDVXConstraintType type) : TDVXConstraintDef(type) {}

 private:
  std::array<TDVXNamedRef, 3> pairs_;
};

class TDVXConstraintDefNotNull : public TDVXConstraintDefPairs {
 public:
  TDVXConstraintDefNotNull() : TDVXConstraintDefPairs(ctNotNull) {}
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;
  const std::string& FieldName() const { return Pairs()[2].name; }
  void SetFieldName(std::string name) { Pairs()[2].name = std::move(name); }
  int32_t FieldID() const { return Pairs()[2].id; }

 protected:
  explicit TDVXConstraintDefNotNull(TDVXConstraintType type) : TDVXConstraintDefPairs(type) {}
};

class TDVXConstraintDefCheck : public TDVXConstraintDefNotNull {
 public:
  TDVXConstraintDefCheck() : TDVXConstraintDefNotNull(ctCheck) {}
  void Assign(const TDVXMetaObjectDef& source) override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;
  // A NULL bound leaves that side open.
  TDVXStoredValue& MinValue() { return minValue_; }
  const TDVXStoredValue& MinValue() const { return minValue_; }
  TDVXStoredValue& MaxValue() { return maxValue_; }
  const TDVXStoredValue& MaxValue() const { return maxValue_; }

 private:
  TDVXStoredValue minValue_;
  TDVXStoredValue maxValue_;
};

class TDVXConstraintDefUnique : public TDVXConstraintDefPairs {
 public:
  TDVXConstraintDefUnique() : TDVXConstraintDefPairs(ctUnique) {}
  void Assign(const TDVXMetaObjectDef& source) override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;
  const std::string& IndexName() const { return Pairs()[2].name; }
  void SetIndexName(std::string name) { Pairs()[2].name = std::move(name); }
  std::vector<TDVXNamedRef>& Columns() { return columns_; }
  const std::vector<TDVXNamedRef>& Columns() const { return columns_; }

 protected:
  explicit TDVXConstraintDefUnique(TDVXConstraintType type) : TDVXConstraintDefPairs(type) {}

 private:
  std::vector<TDVXNamedRef> columns_;
};

class TDVXConstraintDefPrimary : public TDVXConstraintDefUnique {
 public:
  TDVXConstraintDefPrimary() : TDVXConstraintDefUnique(ctPrimaryKey) {}
};

class TDVXConstraintDefForeignKeyAction : public TDVXConstraintDef {
 public:
  TDVXConstraintDefForeignKeyAction() : TDVXConstraintDef(ctForeignKeyAction) {}
  void Assign(const TDVXMetaObjectDef& source) override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;

  // In a ForeignKey: the referenced table and the action constraint created
  // there. In a ForeignKeyAction: the referencing table (identifier -1) and
  // the ForeignKey constraint in it.
  TDVXNamedRef& Table() { return table_; }
  const TDVXNamedRef& Table() const { return table_; }
  TDVXNamedRef& Key() { return key_; }
  const TDVXNamedRef& Key() const { return key_; }
  uint8_t DeleteAction() const { return deleteAction_; }
  void SetDeleteAction(uint8_t v) { deleteAction_ = v; }
  uint8_t UpdateAction() const { return updateAction_; }
  void SetUpdateAction(uint8_t v) { updateAction_ = v; }
  uint8_t MatchType() const { return matchType_; }
  void SetMatchType(uint8_t v) { matchType_ = v; }
  // Field names with their ObjectIDs (-1 until resolved).
  std::vector<TDVXNamedRef>& Columns() { return columns_; }
  const std::vector<TDVXNamedRef>& Columns() const { return columns_; }
  void AddColumn(std::string fieldName) { columns_.push_back({std::move(fieldName), -1}); }

 protected:
  explicit TDVXConstraintDefForeignKeyAction(TDVXConstraintType type) : TDVXConstraintDef(type) {}

 private:
  TDVXNamedRef table_;
  TDVXNamedRef key_;
  uint8_t deleteAction_ = raRestrict;
  uint8_t updateAction_ = raRestrict;
  uint8_t matchType_ = mtSimple;
  std::vector<TDVXNamedRef> columns_;
};

class TDVXConstraintDefForeignKey : public TDVXConstraintDefForeignKeyAction {
 public:
  TDVXConstraintDefForeignKey() : TDVXConstraintDefForeignKeyAction(ctForeignKey) {}
};

}  // namespace dvx
