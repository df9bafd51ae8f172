#include "tools/refdata/build_host_schema.h"

#include <stdexcept>

#include "tools/refdata/text_encoding.h"

namespace refdata {

dvx::TFieldType HostFieldType(TFieldType type) {
  switch (type) {
    case TFieldType::AutoInc: return dvx::ftAutoInc;
    case TFieldType::FixedChar: return dvx::ftFixedChar;
    case TFieldType::Integer: return dvx::ftInteger;
    case TFieldType::FmtMemo: return dvx::ftFmtMemo;
    case TFieldType::Graphic: return dvx::ftGraphic;
  }
  return dvx::ftUnknown;
}

std::string EngineName(std::string_view utf8) {
  TWindows1252Result encoded = EncodeWindows1252(utf8);
  if (!encoded.ok) throw std::invalid_argument("the name '" + std::string(utf8) + "' has no Windows-1252 form");
  return std::move(encoded.bytes);
}

void AddHostDefinitions(const TTableSchema& table, dvx::TFieldDefs& fields, dvx::TIndexDefs& indexes) {
  for (const TFieldSchema& field : table.fields)
    fields.Add(EngineName(field.name), HostFieldType(field.type), field.type == TFieldType::FixedChar ? field.size : 0);
  for (const TIndexSchema& index : table.indexes) {
    dvx::TIndexOptions options;
    options.primary = index.primary;
    options.unique = index.unique;
    options.caseInsensitive = !index.caseInsensitiveFields.empty();
    dvx::TIndexDef& def = indexes.Add(EngineName(index.name), EngineName(index.fields), options);
    def.SetCaseInsFields(EngineName(index.caseInsensitiveFields));
  }
}

}  // namespace refdata
