#pragma once
// The root of table definitions and their ordered collections.
//
// Every definition starts its stored form with the same header:
//   1  name length L (0..255)
//   L  name characters (ANSI, no terminator)
//   4  ObjectID (int32)
// Names compare without regard to case (locale-aware ANSI upper-casing).
// Definitions refer to each other by ObjectID, never by position.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/stream.h"

namespace dvx {

class TDVXMetaObjectDef {
 public:
  virtual ~TDVXMetaObjectDef() = default;

  // Copies every attribute from a definition of the same class.
  virtual void Assign(const TDVXMetaObjectDef& source);
  virtual void LoadFromStream(TDVXStream& stream);
  virtual void SaveToStream(TDVXStream& stream) const;

  const std::string& ObjectName() const { return objectName_; }
  void SetObjectName(std::string name) { objectName_ = std::move(name); }
  int32_t ObjectID() const { return objectID_; }
  void SetObjectID(int32_t id) { objectID_ = id; }

 protected:
  TDVXMetaObjectDef() = default;
  TDVXMetaObjectDef(const TDVXMetaObjectDef&) = default;
  TDVXMetaObjectDef& operator=(const TDVXMetaObjectDef&) = default;

 private:
  std::string objectName_;
  int32_t objectID_ = -1;
};

// Assign copies between definitions of one class only; anything else is a
// clear engine error (30910), not a failed cast.
[[noreturn]] void RaiseDefinitionKindMismatch();
template <typename T>
const T& SameKind(const TDVXMetaObjectDef& source) {
  const T* typed = dynamic_cast<const T*>(&source);
  if (!typed) RaiseDefinitionKindMismatch();
  return *typed;
}

// Ordered, owning collection. Stored form: int32 count, then the items.
class TDVXMetaObjectDefs {
 public:
  virtual ~TDVXMetaObjectDefs() = default;
  TDVXMetaObjectDefs(const TDVXMetaObjectDefs&) = delete;
  TDVXMetaObjectDefs& operator=(const TDVXMetaObjectDefs&) = delete;

  virtual int Count() const { return static_cast<int>(items_.size()); }
  virtual void AddItem(std::unique_ptr<TDVXMetaObjectDef> item);
  // Creates a definition of the collection's class, appends and returns it.
  virtual TDVXMetaObjectDef* InternalAddCreated();
  virtual void LoadFromStream(TDVXStream& stream);
  virtual void SaveToStream(TDVXStream& stream) const;
  // Clears, then copies item by item; a name already copied is 10424.
  virtual void Assign(const TDVXMetaObjectDefs& source);
  virtual void Delete(int index);
  virtual void Insert(int index, std::unique_ptr<TDVXMetaObjectDef> item);
  virtual void Move(int from, int to);
  virtual void Clear();

  TDVXMetaObjectDef* Item(int index) const;
  int FindByName(std::string_view name) const;
  TDVXMetaObjectDef* GetByName(std::string_view name) const;
  int FindByID(int32_t id) const;
  TDVXMetaObjectDef* GetByID(int32_t id) const;

 protected:
  TDVXMetaObjectDefs() = default;
  // The class name used in messages about missing overrides.
  virtual const char* ClassName() const { return "TDVXMetaObjectDefs"; }
  // Refuses a stored count that is negative or that the rest of the stream
  // cannot hold (each item takes at least `minItemSize` bytes).
  static int32_t ReadCount(TDVXStream& stream, uint64_t minItemSize);
  // Replaces the item at `index`, freeing the old one.
  void ReplaceItem(int index, std::unique_ptr<TDVXMetaObjectDef> item);
  void CheckIndex(int index) const;
  // Appends without notifying derived collections (used by Assign).
  std::vector<std::unique_ptr<TDVXMetaObjectDef>>& Items() { return items_; }

 private:
  std::vector<std::unique_ptr<TDVXMetaObjectDef>> items_;
};

}  // namespace dvx
