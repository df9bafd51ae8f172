#pragma once
// Query parameters: a value with a name, and the ordered list of them.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/values/variant.h"

namespace dvx {

class TDVXSQLParam : public TDVXVariant {
 public:
  explicit TDVXSQLParam(uint8_t dataType = bftUnknown) : TDVXVariant(dataType) {}
  TDVXSQLParam(const TDVXSQLParam& other) = default;
  TDVXSQLParam& operator=(const TDVXSQLParam& other) = default;

  const std::string& Name() const { return name_; }
  void SetName(std::string_view name) { name_ = name; }

  // Stream form: int32 name length L, L bytes of the name (8-bit), then the
  // value's own stream form. A length past the end of the stream is an
  // error, never a read beyond it; a failing load changes nothing.
  void LoadFromStream(TDVXStream& stream) override;
  void SaveToStream(TDVXStream& stream) const override;
  // Also takes the name when the source is a parameter.
  void Assign(const TDVXVariant& source, bool copy = true) override;

 private:
  std::string name_;
};

class TDVXSQLParams {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // An index outside 0..Count()-1 is an error.
  TDVXSQLParam& Item(int index);
  const TDVXSQLParam& Item(int index) const;
  // Appends a NULL parameter of type 0 without a name.
  TDVXSQLParam& Add();
  void Clear() { items_.clear(); }
  // The first parameter whose name equals `name` after upper-casing;
  // nullptr when there is none.
  TDVXSQLParam* FindParam(std::string_view name);
  const TDVXSQLParam* FindParam(std::string_view name) const;

 private:
  std::vector<std::unique_ptr<TDVXSQLParam>> items_;
};

}  // namespace dvx
