#include "tools/dvx/schema_text.h"

#include "engine/values/field_types.h"

namespace dvx::tool {
namespace {

std::string Value(const TDVXStoredValue& value) {
  if (value.IsNull()) return "NULL";
  // Strings are quoted so a value with blanks or an empty one stays legible.
  std::string text = value.Value().GetAsString();
  return IsTextType(value.Value().DataType()) ? "'" + text + "'" : text;
}

template <typename TColumns>
std::string ColumnList(const TColumns& columns) {
  std::string text = "(";
  for (size_t i = 0; i < columns.size(); ++i) text += (i ? ", " : "") + columns[i].name;
  return text + ")";
}

const char* ActionText(uint8_t action) {
  switch (action) {
    case raRestrict: return "RESTRICT";
    case raCascade: return "CASCADE";
    case raSetNull: return "SET NULL";
    case raSetDefault: return "SET DEFAULT";
    case raNoAction: return "NO ACTION";
  }
  return "(invalid action)";
}

const char* MatchText(uint8_t match) {
  switch (match) {
    case mtSimple: return "SIMPLE";
    case mtFull: return "FULL";
    case mtPartial: return "PARTIAL";
  }
  return "(invalid match type)";
}

bool IsSizedType(int advancedType) {
  return (advancedType >= aftChar && advancedType <= aftWideVarchar) || IsAdvancedBytesType(advancedType);
}

}  // namespace

std::string CountText(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string FieldText(const TDVXFieldDef& field) {
  const int type = field.AdvancedFieldType();
  std::string text = field.ObjectName() + " " + AdvancedFieldTypeName(type);
  if (IsSizedType(type)) text += "(" + std::to_string(field.FieldSize()) + ")";
  if (IsAutoincType(type)) {
    text += " (initial value " + std::to_string(field.AutoincInitialValue()) + ", increment " +
            std::to_string(field.AutoincIncrement()) + (field.AutoincCycled() ? ", cycled" : "") + ")";
  } else if (!field.DefaultValue().IsNull()) {
    text += " DEFAULT " + Value(field.DefaultValue());
  }
  return text;
}

std::string IndexText(const TDVXIndexDef& index) {
  std::string text = index.ObjectName();
  if (index.Primary()) text += " PRIMARY";
  else if (index.Unique()) text += " UNIQUE";
  text += " (";
  for (size_t i = 0; i < index.Columns().size(); ++i) {
    const TDVXIndexColumn& c = index.Columns()[i];
    text += (i ? ", " : "") + c.fieldName + (c.descending ? " DESC" : "") + (c.caseInsensitive ? " CASE INSENSITIVE" : "");
  }
  return text + ")";
}

std::string ConstraintText(const TDVXConstraintDef& constraint) {
  std::string text = constraint.ObjectName() + " ";
  switch (constraint.ConstraintType()) {
    case ctPrimaryKey:
    case ctUnique: {
      const auto& c = static_cast<const TDVXConstraintDefUnique&>(constraint);
      return text + (c.ConstraintType() == ctPrimaryKey ? "PRIMARY KEY " : "UNIQUE ") + ColumnList(c.Columns()) +
             " ON INDEX " + c.IndexName();
    }
    case ctNotNull:
      return text + "NOT NULL (" + static_cast<const TDVXConstraintDefNotNull&>(constraint).FieldName() + ")";
    case ctCheck: {
      const auto& c = static_cast<const TDVXConstraintDefCheck&>(constraint);
      std::string bounds;
      if (!c.MinValue().IsNull()) bounds = c.FieldName() + " >= " + Value(c.MinValue());
      if (!c.MaxValue().IsNull()) bounds += (bounds.empty() ? "" : " AND ") + c.FieldName() + " <= " + Value(c.MaxValue());
      return text + "CHECK (" + (bounds.empty() ? c.FieldName() + " unbounded" : bounds) + ")";
    }
    case ctForeignKey: {
      const auto& c = static_cast<const TDVXConstraintDefForeignKey&>(constraint);
      return text + "FOREIGN KEY " + ColumnList(c.Columns()) + " REFERENCES " + c.Table().name + " ON DELETE " +
             ActionText(c.DeleteAction()) + " ON UPDATE " + ActionText(c.UpdateAction()) + " MATCH " +
             MatchText(c.MatchType());
    }
    case ctForeignKeyAction: {
      const auto& c = static_cast<const TDVXConstraintDefForeignKeyAction&>(constraint);
      return text + "REFERENCED BY " + c.Table().name + "." + c.Key().name + " " + ColumnList(c.Columns()) +
             " ON DELETE " + ActionText(c.DeleteAction()) + " ON UPDATE " + ActionText(c.UpdateAction());
    }
  }
  return text + "(unknown constraint type " + std::to_string(constraint.ConstraintType()) + ")";
}

}  // namespace dvx::tool
