#include "tools/dvx/host_schema_text.h"

#include <array>

namespace dvx::tool {

namespace {

// In the order of TDVXComponentFieldType.
constexpr std::array<const char*, ftFMTBcd + 1> kHostTypeNames{
    "ftUnknown",   "ftString",     "ftSmallint", "ftInteger",    "ftWord",     "ftBoolean",  "ftFloat",
    "ftCurrency",  "ftBCD",        "ftDate",     "ftTime",       "ftDateTime", "ftBytes",    "ftVarBytes",
    "ftAutoInc",   "ftBlob",       "ftMemo",     "ftGraphic",    "ftFmtMemo",  "ftParadoxOle", "ftDBaseOle",
    "ftTypedBinary", "ftCursor",   "ftFixedChar", "ftWideString", "ftLargeint", "ftADT",     "ftArray",
    "ftReference", "ftDataSet",    "ftOraBlob",  "ftOraClob",    "ftVariant",  "ftInterface", "ftIDispatch",
    "ftGuid",      "ftTimeStamp",  "ftFMTBcd",
};

}  // namespace

std::string HostFieldTypeName(TFieldType type) {
  return type >= 0 && type < static_cast<int>(kHostTypeNames.size()) ? kHostTypeNames[type] : "ftUnknown";
}

std::string HostFieldText(const TFieldDef& field) {
  std::string text = field.Name() + " " + HostFieldTypeName(field.DataType());
  if (field.Size() > 0) text += "(" + std::to_string(field.Size()) + ")";
  if (field.WideMemo()) text += " wide";
  if (field.Required()) text += " required";
  return text;
}

std::string HostIndexText(const TIndexDef& index) {
  std::string text = index.Name() + " (" + index.Fields() + ")";
  const TIndexOptions& options = index.Options();
  if (options.primary) text += " primary";
  if (options.unique) text += " unique";
  if (options.descending) text += " descending";
  if (options.caseInsensitive) text += " case-insensitive";
  if (!index.DescFields().empty()) text += " descending " + index.DescFields();
  if (!index.CaseInsFields().empty()) text += " case-insensitive " + index.CaseInsFields();
  return text;
}

}  // namespace dvx::tool
