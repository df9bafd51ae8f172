#pragma once
// TDVXIndexDef: one index of a table; TDVXIndexDefs: the table's indexes.
//
// Stored form of an index (after the common header):
//   1  IndexKind (always 0: B-tree)
//   1  Unique
//   1  Primary
//   4  column count N (int32)
//   4  RootPageNo (int32; -1 while the index has no pages)
//   N  columns: 1 byte name length L, L name characters, 1 byte Descending,
//      1 byte CaseInsensitive
// Temporary indexes (built by a cursor for a sort or a search) live only in
// memory: the collection skips them when saving, and loading clears the flag.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/schema/meta_object_def.h"

namespace dvx {

struct TDVXIndexColumn {
  std::string fieldName;
  bool descending = false;
  bool caseInsensitive = false;
  bool operator==(const TDVXIndexColumn&) const = default;
};

class TDVXIndexDef : public TDVXMetaObjectDef {
 public:
  TDVXIndexDef() = default;

  void Assign(const TDVXMetaObjectDef& source) override;
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;

  uint8_t IndexKind() const { return 0; }
  std::vector<TDVXIndexColumn>& Columns() { return columns_; }
  const std::vector<TDVXIndexColumn>& Columns() const { return columns_; }
  void AddColumn(std::string fieldName, bool descending = false, bool caseInsensitive = false);
  bool Unique() const { return unique_; }
  void SetUnique(bool v) { unique_ = v; }
  bool Primary() const { return primary_; }
  void SetPrimary(bool v) { primary_ = v; }
  int32_t RootPageNo() const { return rootPageNo_; }
  void SetRootPageNo(int32_t v) { rootPageNo_ = v; }
  bool Temporary() const { return temporary_; }
  void SetTemporary(bool v) { temporary_ = v; }

 private:
  std::vector<TDVXIndexColumn> columns_;
  bool unique_ = false;
  bool primary_ = false;
  int32_t rootPageNo_ = -1;
  bool temporary_ = false;
};

class TDVXIndexDefs : public TDVXMetaObjectDefs {
 public:
  TDVXIndexDefs() = default;

  TDVXMetaObjectDef* InternalAddCreated() override;
  void LoadFromStream(TDVXStream& stream) override;
  // The count of the non-temporary indexes, then those in collection order.
  void SaveToStream(TDVXStream& stream) const override;
  virtual TDVXIndexDef* GetItem(int index) const { return static_cast<TDVXIndexDef*>(Item(index)); }
  // Replaces the item at `index`, freeing the old one.
  virtual void SetItem(int index, std::unique_ptr<TDVXIndexDef> item) { ReplaceItem(index, std::move(item)); }

  TDVXIndexDef* Items(int index) const { return GetItem(index); }
  TDVXIndexDef* Add(std::string name) {
    auto* index = static_cast<TDVXIndexDef*>(InternalAddCreated());
    index->SetObjectName(std::move(name));
    return index;
  }

  // The first index with Primary set, or none.
  TDVXIndexDef* FindPrimary() const;
  // The ObjectID of the first index whose first N columns match the N field
  // names in order; "ASC"/"DESC" and "CASE"/"NO_CASE" require the column's
  // direction and case mode, other words impose nothing. -1 when none
  // matches; lists of different lengths are 10276 / 10277.
  int32_t FindByColumns(const std::vector<std::string>& fieldNames, const std::vector<std::string>& directions,
                        const std::vector<std::string>& cases) const;

 protected:
  const char* ClassName() const override { return "TDVXIndexDefs"; }
};

}  // namespace dvx
