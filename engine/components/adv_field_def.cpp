#include "engine/components/adv_field_def.h"

#include "engine/core/locale.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"

namespace dvx {

namespace {

bool SameName(const std::string& a, const std::string& b) { return AnsiUpperCase(a) == AnsiUpperCase(b); }

}  // namespace

TDVXAdvFieldDef MakeAdvFieldDef(const TDVXFieldDef& field, const std::string& name,
                                const TDVXConstraintDefs& constraints) {
  TDVXAdvFieldDef def;
  def.name = name;
  def.advancedType = field.AdvancedFieldType();
  def.size = field.FieldSize();
  def.defaultValue = field.DefaultValue().Value();
  if (IsAdvancedBlobType(def.advancedType) || IsVariableStringType(field.BaseFieldType())) {
    def.blobCompressionAlgorithm = field.BlobCompressionAlgorithm();
    def.blobCompressionMode = field.BlobCompressionMode();
    def.blobBlockSize = field.BlobBlockSize();
  }
  // NotNull and Check name their field; a Check is a NotNull with bounds,
  // and only a Check's bounds say anything beyond "required".
  for (int i = 0; i < constraints.Count(); ++i) {
    const TDVXConstraintDef* c = constraints.Items(i);
    if (c->ConstraintType() == ctNotNull) {
      const auto& notNull = static_cast<const TDVXConstraintDefNotNull&>(*c);
      if (SameName(notNull.FieldName(), field.ObjectName())) def.required = true;
    } else if (c->ConstraintType() == ctCheck) {
      const auto& check = static_cast<const TDVXConstraintDefCheck&>(*c);
      if (!SameName(check.FieldName(), field.ObjectName())) continue;
      def.minValue = check.MinValue().Value();
      def.maxValue = check.MaxValue().Value();
    }
  }
  return def;
}

}  // namespace dvx
