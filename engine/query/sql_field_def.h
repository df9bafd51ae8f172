#pragma once
// The parsed form of the definition statements' column and index items.
//
// TSQLFieldDef is one column definition of CREATE TABLE or ALTER TABLE:
// every property has a "given" flag beside it, and only given properties
// are applied (ALTER TABLE changes just those of an existing column).
// TDVXIndexField is one column of an index or primary key with its
// direction and case words.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/values/variant.h"

namespace dvx {

class TDVXConstraintDefs;
class TDVXFieldDef;
class TDVXFieldDefs;

struct TDVXIndexField {
  std::string fieldName;
  uint8_t descending = 0;
  uint8_t caseInsensitive = 0;
};

template <typename T>
struct TGiven {
  T value{};
  bool given = false;
  void Set(T v) {
    value = std::move(v);
    given = true;
  }
};

struct TSQLFieldDef {
  std::string name;
  TGiven<uint8_t> fieldType;
  TGiven<int32_t> size;
  TGiven<uint8_t> required;
  TGiven<int64_t> increment;
  TGiven<int64_t> initialValue;
  TGiven<int64_t> sequenceMinimum;
  TGiven<int64_t> sequenceMaximum;
  TGiven<uint8_t> cycled;
  TGiven<int32_t> blobBlockSize;
  TGiven<uint8_t> compressionAlgorithm;
  TGiven<uint8_t> compressionMode;
  // Owned values; NULL for "no default" / "no bound" when given.
  TGiven<TDVXVariant> defaultValue;
  TGiven<TDVXVariant> minimumValue;
  TGiven<TDVXVariant> maximumValue;
  TGiven<uint8_t> primary;
  TGiven<uint8_t> unique;
};

class TSQLFieldDefs {
 public:
  TSQLFieldDef& Add() {
    items_.push_back(std::make_unique<TSQLFieldDef>());
    return *items_.back();
  }
  int Count() const { return static_cast<int>(items_.size()); }
  TSQLFieldDef& Items(int i) const { return *items_[static_cast<size_t>(i)]; }

 private:
  std::vector<std::unique_ptr<TSQLFieldDef>> items_;
};

// Applies the given properties of `column` to the engine field (made with
// the column's type and size when it is new) and to the field's not-null
// and range constraints among `constraints`. A type change keeps the other
// properties that still apply to the new type.
void ApplyColumnDefinition(const TSQLFieldDef& column, TDVXFieldDef& field, TDVXConstraintDefs& constraints);

}  // namespace dvx
