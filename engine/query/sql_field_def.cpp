#include "engine/query/sql_field_def.h"

#include "engine/core/locale.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/values/field_types.h"

namespace dvx {

namespace {

// The field's not-null (or range) constraint among the table's, if any.
int FindFieldConstraint(const TDVXConstraintDefs& constraints, int type, const std::string& field) {
  for (int i = 0; i < constraints.Count(); ++i) {
    const TDVXConstraintDef& c = *constraints.Items(i);
    if (c.ConstraintType() != type) continue;
    if (SameName(static_cast<const TDVXConstraintDefNotNull&>(c).FieldName(), field)) return i;
  }
  return -1;
}

TDVXStoredValue Bound(const TDVXVariant& value, int baseType) {
  if (value.IsNull()) return TDVXStoredValue(static_cast<TDVXBaseFieldType>(baseType));
  TDVXVariant converted(value);
  if (converted.DataType() != baseType) converted.ConvertTo(static_cast<uint8_t>(baseType));
  return TDVXStoredValue(converted);
}

}  // namespace

void ApplyColumnDefinition(const TSQLFieldDef& column, TDVXFieldDef& field, TDVXConstraintDefs& constraints) {
  if (column.fieldType.given || column.size.given) {
    const int type = column.fieldType.given ? static_cast<int>(column.fieldType.value) : static_cast<int>(field.AdvancedFieldType());
    const int32_t size = column.size.given ? column.size.value : field.FieldSize();
    const bool wasType = field.AdvancedFieldType() == type;
    field.SetDataType(type, size);
    // A default of the old type is converted to the new one, or dropped
    // when it does not convert.
    if (!wasType && !field.DefaultValue().IsNull()) {
      try {
        field.SetDefaultValue(Bound(field.DefaultValue().Value(), field.BaseFieldType()));
      } catch (const std::exception&) {
        field.SetDefaultValue(TDVXStoredValue(field.BaseFieldType()));
      }
    }
  }
  if (column.blobBlockSize.given) field.SetBlobBlockSize(column.blobBlockSize.value);
  if (column.compressionAlgorithm.given) field.SetBlobCompressionAlgorithm(column.compressionAlgorithm.value);
  if (column.compressionMode.given) field.SetBlobCompressionMode(column.compressionMode.value);
  if (column.increment.given) field.SetAutoincIncrement(column.increment.value);
  if (column.initialValue.given) field.SetAutoincInitialValue(column.initialValue.value);
  if (column.sequenceMinimum.given) field.SetAutoincMinValue(column.sequenceMinimum.value);
  if (column.sequenceMaximum.given) field.SetAutoincMaxValue(column.sequenceMaximum.value);
  if (column.cycled.given) field.SetAutoincCycled(column.cycled.value != 0);
  if (column.defaultValue.given) field.SetDefaultValue(Bound(column.defaultValue.value, field.BaseFieldType()));
  const std::string& name = field.ObjectName();
  if (column.required.given) {
    const int at = FindFieldConstraint(constraints, ctNotNull, name);
    if (column.required.value && at < 0) constraints.AddNotNull()->SetFieldName(name);
    if (!column.required.value && at >= 0) constraints.Delete(at);
  }
  if (column.minimumValue.given || column.maximumValue.given) {
    int at = FindFieldConstraint(constraints, ctCheck, name);
    if (at < 0) {
      constraints.AddCheck()->SetFieldName(name);
      at = constraints.Count() - 1;
    }
    auto& check = static_cast<TDVXConstraintDefCheck&>(*constraints.Items(at));
    if (column.minimumValue.given) check.MinValue() = Bound(column.minimumValue.value, field.BaseFieldType());
    if (column.maximumValue.given) check.MaxValue() = Bound(column.maximumValue.value, field.BaseFieldType());
    if (check.MinValue().IsNull() && check.MaxValue().IsNull()) constraints.Delete(at);
  }
}

}  // namespace dvx
