// GenerateSQL: the table as an SQL script the engine's own SQL processor
// reads back:
//
//   CREATE TABLE name (column type[(size)] [NOT NULL] [DEFAULT literal]
//     [BLOB options], ..., PRIMARY KEY index (column [DESC] [NOCASE], ...));
//   CREATE [UNIQUE] INDEX index ON name (column [DESC] [NOCASE], ...);
//   INSERT INTO name (column, ...) VALUES (literal, ...);
//
// each statement on a line of its own ending in ";" and "\r\n". Literals:
// numbers as digits (a minus sign before negative ones); strings quoted
// with ' and an embedded ' doubled; TRUE and FALSE; dates and times as
// TODATE('2024-01-31 13:45:07.250', 'YYYY-MM-DD HH24:NN:SS.ZZZ') with the
// date or time part alone for DATE and TIME; BLOB, memo and byte values
// as TOBLOB('hex digits', HEX); NULL.
//
// Left to the implementer: wide text is written in the 8-bit code page
// (characters it lacks become "?"); values no literal can hold (NaN and
// infinite floats) are written as NULL; foreign keys, CHECK bounds and
// autoincrement options are not part of the script.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/core/locale.h"
#include "engine/schema/record_buffer.h"
#include "engine/schema/constraint_def.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/values/day_number.h"
#include "engine/values/extended_float.h"
#include "engine/values/field_types.h"
#include "engine/values/slot_text.h"

namespace dvx {

namespace {

constexpr const char* kLineBreak = "\r\n";

std::string Quoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

class TScriptNames {
 public:
  explicit TScriptNames(bool quote) : quote_(quote) {}
  std::string operator()(const std::string& name) const {
    if (!quote_) return name;
    std::string out = "[";
    for (char c : name) {
      out += c;
      if (c == ']') out += ']';
    }
    return out + "]";
  }

 private:
  bool quote_;
};

std::string Number(double value, int digits) {
  if (!std::isfinite(value)) return "NULL";
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

std::string DateText(int32_t dayNumber) {
  int y = 0, m = 0, d = 0;
  if (!DecodeDayNumber(dayNumber, y, m, d)) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

std::string TimeText(int32_t ms) {
  int h = 0, n = 0, s = 0, z = 0;
  if (!DecodeTimeMs(ms, h, n, s, z)) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", h, n, s, z);
  return text;
}

std::string DateLiteral(const std::string& text, const char* format) {
  if (text.empty()) return "NULL";
  return "TODATE(" + Quoted(text) + ", '" + format + "')";
}

std::string HexLiteral(const uint8_t* data, size_t size) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    hex += kDigits[data[i] >> 4];
    hex += kDigits[data[i] & 15];
  }
  return "TOBLOB('" + hex + "', HEX)";
}

template <typename T>
T Load(const uint8_t* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

// A value of base type `type` laid out as in a record slot (`size` bytes).
std::string Literal(int type, const uint8_t* data, int32_t size) {
  switch (type) {
    case bftChar:
    case bftString: return Quoted(AnsiSlotChars(data, size));
    case bftWideChar:
    case bftWideString: return Quoted(WideToAnsi(WideSlotChars(data, size)));
    case bftSignedInt8: return std::to_string(Load<int8_t>(data));
    case bftSignedInt16: return std::to_string(Load<int16_t>(data));
    case bftSignedInt32: return std::to_string(Load<int32_t>(data));
    case bftSignedInt64: return std::to_string(Load<int64_t>(data));
    case bftUnsignedInt8: return std::to_string(Load<uint8_t>(data));
    case bftUnsignedInt16: return std::to_string(Load<uint16_t>(data));
    case bftUnsignedInt32: return std::to_string(Load<uint32_t>(data));
    case bftSingle: return Number(Load<float>(data), 9);
    case bftFloat:
    case bftCurrency: return Number(Load<double>(data), 17);
    case bftExtended: return Number(ExtendedToDouble(data), 17);
    case bftLogical: return Load<int16_t>(data) != 0 ? "TRUE" : "FALSE";
    case bftDate: return DateLiteral(DateText(Load<int32_t>(data)), "YYYY-MM-DD");
    case bftTime: return DateLiteral(TimeText(Load<int32_t>(data)), "HH24:NN:SS.ZZZ");
    case bftDateTime: {
      const int32_t day = Load<int32_t>(data), ms = Load<int32_t>(data + 4);
      if (ms == -1) return DateLiteral(DateText(day), "YYYY-MM-DD");
      const std::string date = DateText(day), time = TimeText(ms);
      if (date.empty() || time.empty()) return "NULL";
      return DateLiteral(date + " " + time, "YYYY-MM-DD HH24:NN:SS.ZZZ");
    }
    case bftBytes:
    case bftVarBytes: return HexLiteral(data, static_cast<size_t>(size));
    default: return "NULL";
  }
}

std::string IndexColumns(const TDVXIndexDef& index, const TScriptNames& name) {
  std::string out = "(";
  for (size_t i = 0; i < index.Columns().size(); ++i) {
    const TDVXIndexColumn& column = index.Columns()[i];
    if (i > 0) out += ", ";
    out += name(column.fieldName);
    if (column.descending) out += " DESC";
    if (column.caseInsensitive) out += " NOCASE";
  }
  return out + ")";
}

std::string CreateTable(TDVXTableData& table, const TScriptNames& name) {
  const TDVXFieldDefs& fields = table.Fields();
  const TDVXConstraintDefs& constraints = table.ConstraintManager().ConstraintDefs();
  std::string out = "CREATE TABLE " + name(table.TableName()) + " (";
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (i > 0) out += ", ";
    out += name(f.ObjectName()) + " " + AdvancedTypeSQLName(f.AdvancedFieldType());
    const int t = f.AdvancedFieldType();
    if ((t >= aftChar && t <= aftWideVarchar) || t == aftBytes || t == aftVarBytes)
      out += "(" + std::to_string(f.FieldSize()) + ")";
    for (int c = 0; c < constraints.Count(); ++c)
      if (constraints.Items(c)->ConstraintType() == ctNotNull &&
          static_cast<const TDVXConstraintDefNotNull&>(*constraints.Items(c)).FieldID() == f.ObjectID()) {
        out += " NOT NULL";
        break;
      }
    const TDVXVariant& value = f.DefaultValue().Value();
    if (!value.IsNull()) out += " DEFAULT " + Literal(value.DataType(), value.Data(), value.DataSize());
    if (IsBlobType(f.BaseFieldType())) {
      static const char* kAlgorithms[] = {"NONE", "ZLIB", "BZIP", "PPM"};
      if (f.BlobBlockSize() != kDefaultBlobBlockSize) out += " BLOBBLOCKSIZE " + std::to_string(f.BlobBlockSize());
      if (f.BlobCompressionAlgorithm() != 0 && f.BlobCompressionAlgorithm() < 4)
        out += std::string(" BLOBCOMPRESSIONALGORITHM ") + kAlgorithms[f.BlobCompressionAlgorithm()] +
               " BLOBCOMPRESSIONMODE " + std::to_string(f.BlobCompressionMode());
    }
  }
  const TDVXIndexDefs& indexes = table.IndexManager().IndexDefs();
  for (int i = 0; i < indexes.Count(); ++i)
    if (indexes.Items(i)->Primary())
      out += ", PRIMARY KEY " + name(indexes.Items(i)->ObjectName()) + " " + IndexColumns(*indexes.Items(i), name);
  return out + ");" + kLineBreak;
}

std::string CreateIndexes(TDVXTableData& table, const TScriptNames& name) {
  std::string out;
  const TDVXIndexDefs& indexes = table.IndexManager().IndexDefs();
  for (int i = 0; i < indexes.Count(); ++i) {
    const TDVXIndexDef& index = *indexes.Items(i);
    if (index.Primary()) continue;
    out += std::string("CREATE ") + (index.Unique() ? "UNIQUE " : "") + "INDEX " + name(index.ObjectName()) + " ON " +
           name(table.TableName()) + " " + IndexColumns(index, name) + ";" + kLineBreak;
  }
  return out;
}

std::string Inserts(TDVXLocalCursor& cursor, const TScriptNames& name) {
  TDVXTableData& table = cursor.Table();
  const TDVXFieldDefs& fields = table.Fields();
  std::string head = "INSERT INTO " + name(table.TableName()) + " (";
  for (int i = 0; i < fields.Count(); ++i) head += (i > 0 ? ", " : "") + name(fields.Items(i)->ObjectName());
  head += ") VALUES (";
  std::string out;
  cursor.First();
  while (cursor.GetRecord(grmNext) == grrDone) {
    const uint8_t* record = cursor.Record();
    out += head;
    for (int i = 0; i < fields.Count(); ++i) {
      const TDVXFieldDef& f = *fields.Items(i);
      if (i > 0) out += ", ";
      if (IsNull(i, record)) {
        out += "NULL";
      } else if (IsBlobType(f.BaseFieldType())) {
        auto value = table.OpenBlobValue(cursor.SessionID(), i, record);
        std::vector<uint8_t> bytes(static_cast<size_t>(value->Size()));
        value->SetPosition(0);
        value->ReadExact(bytes.data(), bytes.size(), "BLOB value");
        out += bytes.empty() ? "NULL" : HexLiteral(bytes.data(), bytes.size());
      } else {
        out += Literal(f.BaseFieldType(), record + f.MemoryOffset(), f.MemoryDataSize());
      }
    }
    out += std::string(");") + kLineBreak;
  }
  return out;
}

}  // namespace

std::string TDVXLocalCursor::GenerateSQL(const TSQLScriptOptions& options) {
  Close();
  TDVXLocalCursor work(session_, tableName_, exclusive_);
  work.Open();
  const TScriptNames name(options.quoteNames);
  std::string script;
  if (options.withCreate) script += dvx::CreateTable(work.Table(), name);
  if (options.withIndexes) script += CreateIndexes(work.Table(), name);
  if (options.withData) script += Inserts(work, name);
  return script;
}

}  // namespace dvx
