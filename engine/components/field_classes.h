#pragma once
// One field class per host type (CreateFieldOfType picks it):
//
//   TStringField       ftString     8-bit text          TFixedCharField  ftFixedChar
//   TWideStringField   ftWideString UTF-16 text
//   TIntegerField      ftInteger    int32               TSmallintField   ftSmallint (int16)
//   TWordField         ftWord       uint16              TAutoIncField    ftAutoInc (int32)
//   TLargeintField     ftLargeint   int64
//   TFloatField        ftFloat      double              TCurrencyField   ftCurrency
//   TBooleanField      ftBoolean    int16 0/1
//   TDateTimeField     ftDateTime   double ms           TDateField ftDate, TTimeField ftTime
//   TSQLTimeStampField ftTimeStamp  TSQLTimeStamp
//   TBytesField        ftBytes      Size bytes          TVarBytesField   ftVarBytes
//   TBlobField         ftBlob       stream              TGraphicField    ftGraphic
//   TMemoField         ftMemo       Windows-1252 text, or UTF-16LE with WideMemo
//   TFmtMemoField      ftFmtMemo    RTF bytes, AsString gives them unchanged
//
// Text goes in and out as UTF-8. Numbers are shown with the locale's
// decimal separator and read back with it; dates with the locale's short
// date format and long time format. NULL reads as "", 0, false and 0.0.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/components/field.h"

namespace dvx {

class TStringField : public TField {
 public:
  TStringField(TDataSet& dataSet, std::string name, int size, bool required, int fieldNo, TFieldKind kind = fkData,
               TFieldType type = ftString);
  int DisplayWidth() const override { return Size(); }
  std::string AsString() const override;
  void SetAsString(const std::string& utf8) override;
  // Numbers, booleans and dates held as text convert through AsString.
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t value) override;
  int64_t AsLargeInt() const override;
  void SetAsLargeInt(int64_t value) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;
  TDVXVariant AsVariant() const override;
  void SetAsVariant(const TDVXVariant& value) override;
};

class TFixedCharField : public TStringField {
 public:
  TFixedCharField(TDataSet& dataSet, std::string name, int size, bool required, int fieldNo, TFieldKind kind = fkData)
      : TStringField(dataSet, std::move(name), size, required, fieldNo, kind, ftFixedChar) {}
};

class TWideStringField : public TStringField {
 public:
  TWideStringField(TDataSet& dataSet, std::string name, int size, bool required, int fieldNo, TFieldKind kind = fkData);
  std::string AsString() const override;
  void SetAsString(const std::string& utf8) override;
  TDVXVariant AsVariant() const override;
  void SetAsVariant(const TDVXVariant& value) override;
};

// The integer types share one class: the host width and the allowed range
// differ.
class TIntegerField : public TField {
 public:
  TIntegerField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData,
                TFieldType type = ftInteger);
  int DisplayWidth() const override;
  int64_t MinValue() const { return minValue_; }
  int64_t MaxValue() const { return maxValue_; }
  std::string AsString() const override;
  void SetAsString(const std::string& utf8) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
  int64_t AsLargeInt() const override;
  void SetAsLargeInt(int64_t value) override;
  double AsFloat() const override { return static_cast<double>(AsLargeInt()); }
  // Rounds to the nearest integer.
  void SetAsFloat(double value) override;
  TDVXVariant AsVariant() const override;
  void SetAsVariant(const TDVXVariant& value) override;

 private:
  bool Read(int64_t& value) const;
  int64_t minValue_;
  int64_t maxValue_;
};

class TSmallintField : public TIntegerField {
 public:
  TSmallintField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData)
      : TIntegerField(dataSet, std::move(name), required, fieldNo, kind, ftSmallint) {}
};

class TWordField : public TIntegerField {
 public:
  TWordField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData)
      : TIntegerField(dataSet, std::move(name), required, fieldNo, kind, ftWord) {}
};

class TAutoIncField : public TIntegerField {
 public:
  TAutoIncField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData)
      : TIntegerField(dataSet, std::move(name), required, fieldNo, kind, ftAutoInc) {}
};

class TLargeintField : public TIntegerField {
 public:
  TLargeintField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData)
      : TIntegerField(dataSet, std::move(name), required, fieldNo, kind, ftLargeint) {}
};

class TFloatField : public TField {
 public:
  TFloatField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData,
              TFieldType type = ftFloat);
  int DisplayWidth() const override { return 15; }
  std::string AsString() const override;
  void SetAsString(const std::string& utf8) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t value) override { SetAsFloat(value); }
  int64_t AsLargeInt() const override;
  void SetAsLargeInt(int64_t value) override { SetAsFloat(static_cast<double>(value)); }
  double AsFloat() const override;
  // NaN and the infinities are refused.
  void SetAsFloat(double value) override;
  TDVXVariant AsVariant() const override;
  void SetAsVariant(const TDVXVariant& value) override;
};

class TCurrencyField : public TFloatField {
 public:
  TCurrencyField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData)
      : TFloatField(dataSet, std::move(name), required, fieldNo, kind, ftCurrency) {}
  // At most four decimals, as the engine's currency keeps them.
  std::string AsString() const override;
  // With the locale's currency decimals and sign: "12,50 €".
  std::string DisplayText() const override;
  TDVXVariant AsVariant() const override;
};

class TBooleanField : public TField {
 public:
  TBooleanField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData);
  int DisplayWidth() const override { return 5; }
  // "True" / "False"; reading takes these (any case), "T"/"F", "1"/"0".
  std::string AsString() const override;
  void SetAsString(const std::string& utf8) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;
  int32_t AsInteger() const override { return AsBoolean() ? 1 : 0; }
  // 0 and 1 only.
  void SetAsInteger(int32_t value) override;
  TDVXVariant AsVariant() const override;
  void SetAsVariant(const TDVXVariant& value) override;
};

// ftDateTime, and the base of the date, time and time stamp fields: the
// accessors work on the fractional-day scale, each class on its host
// format.
class TDateTimeField : public TField {
 public:
  TDateTimeField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData,
                 TFieldType type = ftDateTime);
  int DisplayWidth() const override { return 19; }
  // "dd.MM.yyyy HH:mm:ss"; the date alone at midnight.
  std::string AsString() const override;
  // A date, optionally followed by a blank and a time.
  void SetAsString(const std::string& utf8) override;
  double AsDateTime() const override;
  void SetAsDateTime(double value) override;
  double AsFloat() const override { return AsDateTime(); }
  void SetAsFloat(double value) override { SetAsDateTime(value); }
  TDVXVariant AsVariant() const override;
  void SetAsVariant(const TDVXVariant& value) override;

 protected:
  // The value as day number (0001-01-01 is day 1) and milliseconds.
  virtual bool ReadPair(int32_t& day, int32_t& ms) const;
  virtual void WritePair(int32_t day, int32_t ms);
  // The date and time of a fractional-day value; a conversion error when
  // it lies outside years 1 to 9999.
  void SplitValue(double value, int32_t& day, int32_t& ms) const;
};

class TDateField : public TDateTimeField {
 public:
  TDateField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData);
  int DisplayWidth() const override { return 10; }
  std::string AsString() const override;
  void SetAsString(const std::string& utf8) override;
  TDVXVariant AsVariant() const override;

 protected:
  bool ReadPair(int32_t& day, int32_t& ms) const override;
  void WritePair(int32_t day, int32_t ms) override;
};

class TTimeField : public TDateTimeField {
 public:
  TTimeField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData);
  int DisplayWidth() const override { return 8; }
  std::string AsString() const override;
  void SetAsString(const std::string& utf8) override;
  TDVXVariant AsVariant() const override;

 protected:
  bool ReadPair(int32_t& day, int32_t& ms) const override;
  void WritePair(int32_t day, int32_t ms) override;
};

class TSQLTimeStampField : public TDateTimeField {
 public:
  TSQLTimeStampField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData);
  TSQLTimeStamp AsSQLTimeStamp() const;
  // A time stamp that names no existing moment is refused.
  void SetAsSQLTimeStamp(const TSQLTimeStamp& value);

 protected:
  bool ReadPair(int32_t& day, int32_t& ms) const override;
  void WritePair(int32_t day, int32_t ms) override;
};

// ftBytes (exactly Size bytes; shorter values are padded with zeros) and
// the base of ftVarBytes (up to Size bytes).
class TBytesField : public TField {
 public:
  TBytesField(TDataSet& dataSet, std::string name, int size, bool required, int fieldNo, TFieldKind kind = fkData,
              TFieldType type = ftBytes);
  // The bytes unchanged.
  std::string AsString() const override;
  void SetAsString(const std::string& bytes) override;
  std::string DisplayText() const override { return "(Bytes)"; }
  std::vector<uint8_t> AsBytes() const override;
  // More than Size bytes are refused; none make the field NULL.
  void SetAsBytes(const std::vector<uint8_t>& bytes) override;
  TDVXVariant AsVariant() const override;
  void SetAsVariant(const TDVXVariant& value) override;
};

class TVarBytesField : public TBytesField {
 public:
  TVarBytesField(TDataSet& dataSet, std::string name, int size, bool required, int fieldNo, TFieldKind kind = fkData)
      : TBytesField(dataSet, std::move(name), size, required, fieldNo, kind, ftVarBytes) {}
};

// BLOB fields read and write through the dataset's BLOB streams; the
// whole value at a time through AsBytes / AsString, or a stream.
class TBlobField : public TField {
 public:
  TBlobField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData,
             TFieldType type = ftBlob);
  bool IsBlob() const override { return true; }
  // The stored bytes unchanged.
  std::string AsString() const override;
  void SetAsString(const std::string& bytes) override;
  std::string DisplayText() const override { return "(BLOB)"; }
  std::vector<uint8_t> AsBytes() const override;
  // No bytes make the value NULL.
  void SetAsBytes(const std::vector<uint8_t>& bytes) override;
  TDVXVariant AsVariant() const override;
  void SetAsVariant(const TDVXVariant& value) override;
  int64_t BlobSize() const;
  // The whole value from or into `stream` (from its position on).
  void LoadFromStream(TDVXStream& stream);
  void SaveToStream(TDVXStream& stream) const;

 protected:
  uint8_t VariantType() const;
};

class TGraphicField : public TBlobField {
 public:
  TGraphicField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData)
      : TBlobField(dataSet, std::move(name), required, fieldNo, kind, ftGraphic) {}
  std::string DisplayText() const override { return "(GRAPHIC)"; }
};

class TMemoField : public TBlobField {
 public:
  TMemoField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData)
      : TBlobField(dataSet, std::move(name), required, fieldNo, kind, ftMemo) {}
  // UTF-16LE content instead of Windows-1252.
  bool WideMemo() const { return wideMemo_; }
  void SetWideMemo(bool wide) { wideMemo_ = wide; }
  std::string AsString() const override;
  // A character Windows-1252 cannot show is refused (8-bit memos).
  void SetAsString(const std::string& utf8) override;
  std::string DisplayText() const override { return AsString(); }
  TDVXVariant AsVariant() const override;
  void SetAsVariant(const TDVXVariant& value) override;

 private:
  bool wideMemo_ = false;
};

class TFmtMemoField : public TBlobField {
 public:
  TFmtMemoField(TDataSet& dataSet, std::string name, bool required, int fieldNo, TFieldKind kind = fkData)
      : TBlobField(dataSet, std::move(name), required, fieldNo, kind, ftFmtMemo) {}
  std::string DisplayText() const override { return "(FMTMEMO)"; }
};

}  // namespace dvx
