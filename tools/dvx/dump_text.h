#pragma once
// The text 'dvx dump' writes for one field of a record: UTF-8, the same on
// every machine whatever its locale.
//
//   NULL                          empty
//   integers                      decimal ("-12")
//   Single, Double, Extended      the shortest text that reads back as the
//                                 same value of the field's precision, "."
//                                 as decimal separator ("0.1", "1e+20",
//                                 "-0", "inf", "nan")
//   Currency                      the same, but never in exponent form
//                                 ("100000000000000000000", "12.5")
//   Boolean                       "true" or "false"
//   Date, Time, DateTime          ISO 8601: "2026-12-09", "13:45:30.250",
//                                 "2026-12-09 13:45:30.250"; a DateTime
//                                 without time part gives the date alone
//   Bytes, VarBytes               two lower-case hex digits per byte
//   Char, Varchar, Memo,          the characters (8-bit text converted from
//   FormattedMemo, wide types     Windows-1252, wide text from UTF-16) with
//                                 "\" "TAB" "CR" "LF" written as \\ \t \r \n;
//                                 formatted memos keep their RTF markup
//   BLOB, Graphic                 "<N bytes>", N the size of the value
//
// With blob hashes (dump --blob-hash) every large object, memos included,
// is written as "<N bytes sha256:HEX>", HEX the 64 lower-case hex digits of
// the value's SHA-256: two dumps then compare equal exactly when the values
// are equal, without carrying the values themselves.
//
// A date or time outside what the field can hold (a damaged record) is an
// error, never a made-up text.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/stream.h"
#include "engine/schema/field_def.h"

namespace dvx::tool {

// The value of BLOB field `fieldNo` of the record being written.
using TDvxBlobOpener = std::function<std::unique_ptr<TDVXStream>(int fieldNo)>;

// Appends `text` with backslash, tab, carriage return and line feed escaped.
void AppendEscaped(std::string& out, std::string_view text);

std::string DumpSingleText(float value);
std::string DumpDoubleText(double value);
std::string DumpExtendedText(long double value);
std::string DumpCurrencyText(double value);
// Throw std::runtime_error for a day number outside years 1..9999 and for
// milliseconds outside one day.
std::string DumpDateText(int32_t dayNumber);
std::string DumpTimeText(int32_t milliseconds);

enum class TDvxBlobText { Size, SizeAndHash };

// "<N bytes sha256:HEX>" for the value `bytes`.
std::string BlobHashText(std::string_view bytes);

// Appends the text of field `fieldNo` of `record` (a record buffer of the
// table whose fields are `fields`).
void AppendFieldText(std::string& out, const TDVXFieldDefs& fields, int fieldNo, const uint8_t* record,
                     const TDvxBlobOpener& openBlob, TDvxBlobText blobText = TDvxBlobText::Size);

}  // namespace dvx::tool
