#include "tools/refdata/build_host_schema.h"

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

void AddHostDefinitions(const TTableSchema& table, dvx::TFieldDefs& fields, dvx::TIndexDefs& indexes) {
  for (const TFieldSchema& field : table.fields)
    fields.Add(std::string(field.name), HostFieldType(field.type), field.type == TFieldType::FixedChar ? field.size : 0);
  for (const TIndexSchema& index : table.indexes) {
    dvx::TIndexOptions options;
    options.primary = index.primary;
    options.unique = index.unique;
    options.caseInsensitive = !index.caseInsensitiveFields.empty();
    dvx::TIndexDef& def = indexes.Add(std::string(index.name), std::string(index.fields), options);
    def.SetCaseInsFields(std::string(index.caseInsensitiveFields));
  }
}

}  // namespace refdata
