#pragma once
// TIndexDef / TIndexDefs: the indexes of a dataset's source as the host
// framework sees them: a name, the key fields separated by ";", the
// fields among them that sort descending or ignore case, and options.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dvx {

class TIndexDefs;

struct TIndexOptions {
  bool primary = false;          // ixPrimary
  bool unique = false;           // ixUnique
  bool descending = false;       // ixDescending: every field descending
  bool caseInsensitive = false;  // ixCaseInsensitive: every string field
  bool operator==(const TIndexOptions&) const = default;
};

class TIndexDef {
 public:
  TIndexDef(std::string name, std::string fields, TIndexOptions options = {});

  const std::string& Name() const { return name_; }
  // Field names separated by ";".
  const std::string& Fields() const { return fields_; }
  const std::string& DescFields() const { return descFields_; }
  const std::string& CaseInsFields() const { return caseInsFields_; }
  void SetDescFields(std::string fields);
  void SetCaseInsFields(std::string fields);
  const TIndexOptions& Options() const { return options_; }
  // The key fields one by one.
  std::vector<std::string> FieldList() const;

 private:
  friend class TIndexDefs;
  TIndexDefs* owner_ = nullptr;
  std::string name_;
  std::string fields_;
  std::string descFields_;
  std::string caseInsFields_;
  TIndexOptions options_;
};

class TIndexDefs {
 public:
  TIndexDef& Add(const std::string& name, const std::string& fields, TIndexOptions options = {});
  void Clear();
  int Count() const { return static_cast<int>(defs_.size()); }
  TIndexDef& operator[](int index) { return *defs_.at(index); }
  const TIndexDef& operator[](int index) const { return *defs_.at(index); }
  // Without regard to case; null when none.
  const TIndexDef* Find(const std::string& name) const;
  // The first index whose key fields are exactly `fields` (";"-separated,
  // without regard to case), or whose leading fields are, when `partial`.
  const TIndexDef* FindByFields(const std::string& fields, bool partial = false) const;
  const TIndexDef* Primary() const;
  // Called after every change of the collection or of one of its
  // definitions.
  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

 private:
  friend class TIndexDef;
  void Changed() const {
    if (onChange_) onChange_();
  }
  std::vector<std::unique_ptr<TIndexDef>> defs_;
  std::function<void()> onChange_;
};

}  // namespace dvx
