#include "engine/query/query_params.h"

#include <algorithm>
#include <cctype>

#include "engine/core/exception.h"
#include "engine/core/locale.h"

namespace dvx {

namespace {

constexpr int32_t kErrParamNotFound = 31113;

bool NameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80; }

}  // namespace

void TDVXQueryParam::SetValue(const TDVXVariant& value) {
  value_.Assign(value, true);
  bound_ = true;
  if (dataType_ == ftUnknown && !value.IsNull())
    dataType_ = AdvancedToComponentType(BaseToAdvancedType(value.DataType()));
}

void TDVXQueryParam::SetAsInteger(int32_t value) {
  TDVXVariant v(bftSignedInt32);
  v.SetAsSignedInt32(value);
  if (dataType_ == ftUnknown) dataType_ = ftInteger;
  SetValue(v);
}

void TDVXQueryParam::SetAsLargeInt(int64_t value) {
  TDVXVariant v(bftSignedInt64);
  v.SetAsSignedInt64(value);
  if (dataType_ == ftUnknown) dataType_ = ftLargeint;
  SetValue(v);
}

void TDVXQueryParam::SetAsFloat(double value) {
  TDVXVariant v(bftFloat);
  v.SetAsDouble(value);
  if (dataType_ == ftUnknown) dataType_ = ftFloat;
  SetValue(v);
}

void TDVXQueryParam::SetAsBoolean(bool value) {
  TDVXVariant v(bftLogical);
  v.SetAsLogical(value);
  if (dataType_ == ftUnknown) dataType_ = ftBoolean;
  SetValue(v);
}

void TDVXQueryParam::SetAsString(const std::string& value) {
  TDVXVariant v(bftString);
  v.SetAsString(Utf8ToAnsi(value));
  if (dataType_ == ftUnknown) dataType_ = ftString;
  SetValue(v);
}

void TDVXQueryParam::Clear() {
  value_.Clear();
  bound_ = true;
}

void TDVXQueryParam::Assign(const TDVXQueryParam& other) {
  name_ = other.name_;
  dataType_ = other.dataType_;
  paramType_ = other.paramType_;
  bound_ = other.bound_;
  value_.Assign(other.value_, true);
}

TDVXQueryParam& TDVXQueryParams::Add(const std::string& name) {
  items_.push_back(std::make_unique<TDVXQueryParam>(name));
  return *items_.back();
}

TDVXQueryParam* TDVXQueryParams::FindParam(std::string_view name) {
  for (auto& p : items_)
    if (SameName(p->Name(), name)) return p.get();
  return nullptr;
}

TDVXQueryParam& TDVXQueryParams::ParamByName(std::string_view name) {
  if (TDVXQueryParam* p = FindParam(name)) return *p;
  throw EDVXException(kErrParamNotFound, "Parameter '%s' not found", {std::string(name)});
}

void TDVXQueryParams::AssignValues(const TDVXQueryParams& other) {
  for (auto& p : items_)
    for (const auto& o : other.items_)
      if (SameName(p->Name(), o->Name())) p->Assign(*o);
}

std::vector<std::string> ParseParamNames(std::string_view sql) {
  std::vector<std::string> names;
  auto add = [&](std::string name) {
    if (name.empty()) return;
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, name); }))
      names.push_back(std::move(name));
  };
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
      const char close = c == '[' ? ']' : c;
      for (++i; i < sql.size(); ++i)
        if (sql[i] == close) {
          if (i + 1 < sql.size() && sql[i + 1] == close) {
            ++i;
            continue;
          }
          break;
        }
      ++i;
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      while (i < sql.size() && sql[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      size_t end = sql.find("*/", i + 2);
      i = end == std::string_view::npos ? sql.size() : end + 2;
    } else if (c == ':' && i + 1 < sql.size()) {
      const char n = sql[i + 1];
      if (n == '\'' || n == '[') {
        const char close = n == '[' ? ']' : '\'';
        size_t end = sql.find(close, i + 2);
        if (end == std::string_view::npos) end = sql.size();
        add(std::string(sql.substr(i + 2, end - i - 2)));
        i = end + 1;
      } else {
        size_t end = i + 1;
        while (end < sql.size() && NameChar(sql[end])) ++end;
        add(std::string(sql.substr(i + 1, end - i - 1)));
        i = end;
      }
    } else {
      ++i;
    }
  }
  return names;
}

}  // namespace dvx
