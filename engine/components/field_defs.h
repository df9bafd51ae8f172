#pragma once
// TFieldDef / TFieldDefs: the dataset's description of its fields as the
// host framework sees them (name, host type, size, required), from which
// the field objects are made when the dataset opens. Names are unique
// without regard to case. A dataset fills them from its source
// (InternalInitFieldDefs); a table component's own definitions go the
// other way, to the engine, when it creates its table.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/dataset_types.h"

namespace dvx {

class TFieldDefs;

class TFieldDef {
 public:
  TFieldDef(std::string name, TFieldType dataType, int size = 0, bool required = false);

  const std::string& Name() const { return name_; }
  TFieldType DataType() const { return dataType_; }
  // Characters for strings, bytes for ftBytes/ftVarBytes, 0 otherwise.
  int Size() const { return size_; }
  bool Required() const { return required_; }
  // 1-based position among the definitions.
  int FieldNo() const { return fieldNo_; }
  int Precision() const { return precision_; }
  void SetPrecision(int precision);
  // ftMemo holding UTF-16LE text instead of Windows-1252.
  bool WideMemo() const { return wideMemo_; }
  void SetWideMemo(bool wide);

 private:
  friend class TFieldDefs;
  TFieldDefs* owner_ = nullptr;
  std::string name_;
  TFieldType dataType_;
  int size_;
  bool required_;
  int fieldNo_ = 0;
  int precision_ = 0;
  bool wideMemo_ = false;
};

class TFieldDefs {
 public:
  // A second definition of a name fails with "Duplicate field name '%s'".
  TFieldDef& Add(const std::string& name, TFieldType dataType, int size = 0, bool required = false);
  void Clear();
  int Count() const { return static_cast<int>(defs_.size()); }
  TFieldDef& operator[](int index) { return *defs_.at(index); }
  const TFieldDef& operator[](int index) const { return *defs_.at(index); }
  // Null when no definition has the name.
  const TFieldDef* Find(const std::string& name) const;
  int IndexOf(const std::string& name) const;  // -1 when none
  // Called after every change of the collection or of one of its
  // definitions (the table component marks its definitions as its own).
  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

 private:
  friend class TFieldDef;
  void Changed() const {
    if (onChange_) onChange_();
  }
  std::vector<std::unique_ptr<TFieldDef>> defs_;
  std::function<void()> onChange_;
};

}  // namespace dvx
