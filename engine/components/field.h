#pragma once
// TField: one field of a dataset's active record, with typed accessors.
// A field holds no value of its own: it reads and writes its dataset's
// current buffer through TDataSet::GetFieldData / SetFieldData in the host
// format of its type (below), and BLOB fields go through the dataset's
// BLOB streams. Writing is allowed only in the states the dataset allows
// ("Dataset not in edit or insert mode"); a read-only field refuses with
// "Field '%s' cannot be modified".
//
// Host formats (the bytes GetFieldData fills and SetFieldData takes;
// DataSize() bytes):
//
//   type                       bytes          content
//   ftString, ftFixedChar      Size + 1       8-bit text (Windows-1252), NUL-terminated
//   ftWideString               2 * (Size + 1) UTF-16 text, NUL-terminated
//   ftSmallint                 2              int16
//   ftInteger, ftAutoInc       4              int32
//   ftLargeint                 8              int64
//   ftWord                     2              uint16
//   ftFloat, ftCurrency        8              double
//   ftBoolean                  2              int16, 0 false, 1 true
//   ftDate                     4              int32 day number, 0001-01-01 is day 1
//   ftTime                     4              int32 milliseconds since midnight
//   ftDateTime                 8              double: day number * 86400000 + milliseconds
//   ftTimeStamp                sizeof(TSQLTimeStamp)
//   ftBytes                    Size           the bytes
//   ftVarBytes                 2 + Size       uint16 length, then the bytes
//   BLOB types                 0              only through CreateBlobStream; GetFieldData(field, nullptr)
//                                             tells whether the value is non-null
//
// Text accessors speak UTF-8; 8-bit fields convert to and from
// Windows-1252 (a character it cannot show fails with "'%s' is not a
// valid value for field '%s'" rather than being replaced silently), wide
// fields to and from UTF-16. Date-time accessors use the fractional-day
// scale of engine/values/date_time_value.h (day 0 is 1899-12-30). An empty
// string written to a field makes it NULL, as everywhere in the engine.
// A conversion that cannot be made fails with an EDatabaseError naming the
// value and the field ("'%s' is not a valid integer value for field '%s'"
// and the like).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/dataset_types.h"
#include "engine/values/variant.h"

namespace dvx {

class TDataSet;

class TField {
 public:
  // Made by the dataset (TDataSet::CreateFields) from a field definition;
  // `fieldNo` is 1-based for data fields and 0 for calculated ones.
  TField(TDataSet& dataSet, std::string fieldName, TFieldType dataType, int size, bool required, int fieldNo,
         TFieldKind kind = fkData);
  virtual ~TField();
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  TDataSet& DataSet() const { return dataSet_; }
  const std::string& FieldName() const { return fieldName_; }
  TFieldType DataType() const { return dataType_; }
  int Size() const { return size_; }
  int FieldNo() const { return fieldNo_; }
  // Position in the dataset's field list, from 0.
  int Index() const;
  TFieldKind FieldKind() const { return kind_; }
  bool Calculated() const { return kind_ == fkCalculated || kind_ == fkInternalCalc; }
  bool Required() const { return required_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  // The caption a grid shows: the display label, else the field name.
  const std::string& DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(std::string label) { displayLabel_ = std::move(label); }
  // Characters a grid reserves for the field.
  virtual int DisplayWidth() const;
  virtual bool IsBlob() const { return false; }
  // Bytes of the host format (0 for BLOB types).
  virtual int DataSize() const;

  bool IsNull() const;
  void Clear();  // sets NULL

  virtual std::string AsString() const;
  virtual void SetAsString(const std::string& utf8);
  virtual int32_t AsInteger() const;
  virtual void SetAsInteger(int32_t value);
  virtual int64_t AsLargeInt() const;
  virtual void SetAsLargeInt(int64_t value);
  virtual double AsFloat() const;
  virtual void SetAsFloat(double value);
  virtual double AsCurrency() const { return AsFloat(); }
  virtual void SetAsCurrency(double value) { SetAsFloat(value); }
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool value);
  virtual double AsDateTime() const;
  virtual void SetAsDateTime(double value);
  virtual std::vector<uint8_t> AsBytes() const;
  virtual void SetAsBytes(const std::vector<uint8_t>& bytes);
  // The value as an engine value (NULL when null); writing converts it to
  // the field's type.
  virtual TDVXVariant AsVariant() const;
  virtual void SetAsVariant(const TDVXVariant& value);
  // What a grid or a label shows: AsString for most types; memos show
  // their text, other BLOB types "(BLOB)", "(GRAPHIC)".
  virtual std::string DisplayText() const { return AsString(); }

  // The host-format bytes; false (and nothing written) when NULL. A null
  // buffer only asks whether the value is non-null.
  bool GetData(void* buffer) const;
  // Null makes the field NULL.
  void SetData(const void* buffer);

  // Called after a value was written (OnChange), and before (OnValidate,
  // which may throw to refuse it).
  std::function<void(TField&)> OnChange;
  std::function<void(TField&)> OnValidate;
  // Asks the controls showing this field to take the focus.
  void FocusControl();
  // The value the record had when its edit began (NULL while inserting).
  TDVXVariant OldValue() const;

 protected:
  // Raises "'%s' is not a valid <what> value for field '%s'".
  [[noreturn]] void ConversionError(const std::string& value, const char* what) const;
  // The dataset tells the field that its value was written.
  friend class TDataSet;
  virtual void Changed();

 private:
  TDataSet& dataSet_;
  std::string fieldName_;
  TFieldType dataType_;
  int size_;
  bool required_;
  int fieldNo_;
  TFieldKind kind_;
  bool readOnly_ = false;
  bool visible_ = true;
  std::string displayLabel_;
  int calcOffset_ = -1;  // calculated fields: offset of the presence byte in the calculated area
};

// The dataset's fields, in order; the dataset owns them.
class TFields {
 public:
  void Add(std::unique_ptr<TField> field);
  void Clear();
  int Count() const { return static_cast<int>(fields_.size()); }
  TField& operator[](int index) const { return *fields_.at(index); }
  // Without regard to case; null when none.
  TField* Find(const std::string& name) const;
  int IndexOf(const TField& field) const;

 private:
  std::vector<std::unique_ptr<TField>> fields_;
};

// A field of the right class for a host type (field_classes.h holds one
// class per type); "Unknown DataType: '%s'" for a type without one.
std::unique_ptr<TField> CreateFieldOfType(TDataSet& dataSet, const std::string& fieldName, TFieldType dataType,
                                          int size, bool required, int fieldNo, TFieldKind kind = fkData);

}  // namespace dvx
