#pragma once
// The query component's parameters: what ":name" markers in its SQL text
// stand for. Each has a name, a host data type, a kind and a value; a
// parameter is bound once a value was given to it.
//
// Markers are found outside quoted texts, bracketed names and comments:
// ":name", ":'name'" and ":[name]"; each name is listed once (ignoring
// case), in the order of its first marker.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/values/field_types.h"
#include "engine/values/variant.h"

namespace dvx {

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

class TDVXQueryParam {
 public:
  explicit TDVXQueryParam(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  TDVXComponentFieldType DataType() const { return dataType_; }
  void SetDataType(TDVXComponentFieldType type) { dataType_ = type; }
  TParamType ParamType() const { return paramType_; }
  void SetParamType(TParamType type) { paramType_ = type; }
  bool Bound() const { return bound_; }
  void SetBound(bool bound) { bound_ = bound; }

  bool IsNull() const { return value_.IsNull(); }
  const TDVXVariant& Value() const { return value_; }
  // Each setter binds the parameter; an unknown data type takes the
  // value's.
  void SetValue(const TDVXVariant& value);
  void SetAsInteger(int32_t value);
  void SetAsLargeInt(int64_t value);
  void SetAsFloat(double value);
  void SetAsBoolean(bool value);
  // UTF-8 text.
  void SetAsString(const std::string& value);
  void Clear();
  // Name, type, kind, value and bound flag of another parameter.
  void Assign(const TDVXQueryParam& other);

 private:
  std::string name_;
  TDVXComponentFieldType dataType_ = ftUnknown;
  TParamType paramType_ = ptInput;
  bool bound_ = false;
  TDVXVariant value_;
};

class TDVXQueryParams {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TDVXQueryParam& Items(int index) { return *items_.at(static_cast<size_t>(index)); }
  const TDVXQueryParam& Items(int index) const { return *items_.at(static_cast<size_t>(index)); }
  TDVXQueryParam& Add(const std::string& name);
  void Clear() { items_.clear(); }
  // Null when there is none of that name (ignoring case).
  TDVXQueryParam* FindParam(std::string_view name);
  // "Parameter '%s' not found" when there is none.
  TDVXQueryParam& ParamByName(std::string_view name);
  // Copies the values of parameters of the same names from `other`.
  void AssignValues(const TDVXQueryParams& other);

 private:
  std::vector<std::unique_ptr<TDVXQueryParam>> items_;
};

// The parameter names of an SQL text, as the markers give them.
std::vector<std::string> ParseParamNames(std::string_view sql);

}  // namespace dvx
