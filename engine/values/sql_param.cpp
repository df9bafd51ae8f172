#include "engine/values/sql_param.h"

#include "engine/values/value_errors.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/core/stream.h"

namespace dvx {

void TDVXSQLParam::SaveToStream(TDVXStream& stream) const {
  stream.WriteI32(static_cast<int32_t>(name_.size()));
  stream.Write(name_.data(), name_.size());
  TDVXVariant::SaveToStream(stream);
}

void TDVXSQLParam::LoadFromStream(TDVXStream& stream) {
  int32_t length = stream.ReadI32("parameter name length");
  if (length < 0 || static_cast<uint64_t>(length) > stream.Remaining())
    throw EDVXException(kErrValueStream, "Invalid value stream: parameter name length %d at position %d, %d bytes left",
                        {length, static_cast<int64_t>(stream.Position() - 4), static_cast<int64_t>(stream.Remaining())});
  std::string name(static_cast<size_t>(length), '\0');
  stream.ReadExact(name.data(), name.size(), "parameter name");
  TDVXVariant value;
  value.LoadFromStream(stream);
  TDVXVariant::Assign(value, true);
  name_ = std::move(name);
}

void TDVXSQLParam::Assign(const TDVXVariant& source, bool copy) {
  TDVXVariant::Assign(source, copy);
  if (const auto* param = dynamic_cast<const TDVXSQLParam*>(&source)) name_ = param->name_;
}

TDVXSQLParam& TDVXSQLParams::Item(int index) {
  return const_cast<TDVXSQLParam&>(static_cast<const TDVXSQLParams&>(*this).Item(index));
}

const TDVXSQLParam& TDVXSQLParams::Item(int index) const {
  if (index < 0 || index >= Count())
    throw EDVXException(kErrParamIndex, "Parameter index out of range: %d (count %d)", {index, Count()});
  return *items_[static_cast<size_t>(index)];
}

TDVXSQLParam& TDVXSQLParams::Add() {
  items_.push_back(std::make_unique<TDVXSQLParam>());
  return *items_.back();
}

TDVXSQLParam* TDVXSQLParams::FindParam(std::string_view name) {
  return const_cast<TDVXSQLParam*>(static_cast<const TDVXSQLParams&>(*this).FindParam(name));
}

const TDVXSQLParam* TDVXSQLParams::FindParam(std::string_view name) const {
  std::string wanted = AnsiUpperCase(name);
  for (const auto& item : items_)
    if (AnsiUpperCase(item->Name()) == wanted) return item.get();
  return nullptr;
}

}  // namespace dvx
