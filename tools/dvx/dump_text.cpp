#include "tools/dvx/dump_text.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "engine/core/locale.h"
#include "engine/crypto/hashes.h"
#include "engine/schema/record_buffer.h"
#include "engine/values/day_number.h"
#include "engine/values/extended_float.h"
#include "engine/values/slot_text.h"
#include "engine/values/value_codec.h"

namespace dvx::tool {
namespace {

// Large enough for any double in fixed notation (309 integer digits and
// 17 significant decimals after an exponent of -308 need fewer than 400).
using TNumberBuffer = std::array<char, 512>;

template <typename T, typename... Format>
std::string RealText(T value, Format... format) {
  TNumberBuffer buffer;
  auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format...);
  if (result.ec != std::errc()) throw std::runtime_error("number too long to write");
  return std::string(buffer.data(), result.ptr);
}

template <typename T>
T LoadSlot(const uint8_t* slot) {
  T value;
  std::memcpy(&value, slot, sizeof value);
  return value;
}

std::string HexText(const uint8_t* data, int32_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(static_cast<size_t>(size) * 2);
  for (int32_t i = 0; i < size; ++i) {
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 0x0F];
  }
  return text;
}

// Reads the stream to its end in pieces, so that a damaged size in a BLOB's
// header fails on the first missing byte instead of asking for its memory
// at once; keeps the bytes in `kept` when given. Returns the size read.
uint64_t ReadThrough(TDVXStream& stream, std::string* kept = nullptr) {
  constexpr size_t kPiece = 65536;
  std::array<char, kPiece> piece;
  stream.SetPosition(0);
  uint64_t size = 0;
  while (uint64_t remaining = stream.Remaining()) {
    const size_t n = remaining < kPiece ? static_cast<size_t>(remaining) : kPiece;
    stream.ReadExact(piece.data(), n, "BLOB value");
    if (kept) kept->append(piece.data(), n);
    size += n;
  }
  return size;
}

// The whole value.
std::string ReadAllBytes(TDVXStream& stream) {
  std::string bytes;
  ReadThrough(stream, &bytes);
  return bytes;
}

std::u16string WideFromBytes(const std::string& bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * 2);  // an odd last byte is no unit
  return text;
}

}  // namespace

std::string BlobHashText(std::string_view bytes) {
  const std::vector<uint8_t> digest = HashBytes(TDVXHashKind::SHA256, bytes);
  return "<" + std::to_string(bytes.size()) + " bytes sha256:" + HexText(digest.data(), static_cast<int32_t>(digest.size())) +
         ">";
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
}

std::string DumpSingleText(float value) { return RealText(value); }
std::string DumpDoubleText(double value) { return RealText(value); }
std::string DumpExtendedText(long double value) { return RealText(value); }
std::string DumpCurrencyText(double value) { return RealText(value, std::chars_format::fixed); }

std::string DumpDateText(int32_t dayNumber) {
  int year, month, day;
  if (!DecodeDayNumber(dayNumber, year, month, day))
    throw std::runtime_error("invalid date (day number " + std::to_string(dayNumber) + ")");
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

std::string DumpTimeText(int32_t milliseconds) {
  int hour, minute, second, ms;
  if (!DecodeTimeMs(milliseconds, hour, minute, second, ms))
    throw std::runtime_error("invalid time (" + std::to_string(milliseconds) + " milliseconds)");
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", hour, minute, second, ms);
  return text;
}

void AppendFieldText(std::string& out, const TDVXFieldDefs& fields, int fieldNo, const uint8_t* record,
                     const TDvxBlobOpener& openBlob, TDvxBlobText blobText) {
  if (IsNull(fieldNo, record)) return;
  const TDVXFieldDef& field = *fields.Items(fieldNo);
  const uint8_t* slot = record + field.MemoryOffset();
  const int32_t size = field.MemoryDataSize();
  const int type = field.BaseFieldType();
  if (blobText == TDvxBlobText::SizeAndHash && IsBlobType(type)) {
    out += BlobHashText(ReadAllBytes(*openBlob(fieldNo)));
    return;
  }
  switch (type) {
    case bftChar:
    case bftString:
      return AppendEscaped(out, AnsiToUtf8(AnsiSlotChars(slot, size)));
    case bftWideChar:
    case bftWideString:
      return AppendEscaped(out, WideToUtf8(WideSlotChars(slot, size)));
    case bftSignedInt8:
    case bftSignedInt16:
    case bftSignedInt32:
    case bftSignedInt64:
    case bftUnsignedInt8:
    case bftUnsignedInt16:
    case bftUnsignedInt32:
      out += std::to_string(ReadIntegerValue(type, slot));
      return;
    case bftSingle: out += DumpSingleText(LoadSlot<float>(slot)); return;
    case bftFloat: out += DumpDoubleText(LoadSlot<double>(slot)); return;
    case bftExtended: out += DumpExtendedText(ExtendedToLongDouble(slot)); return;
    case bftCurrency: out += DumpCurrencyText(LoadSlot<double>(slot)); return;
    case bftLogical: out += ReadLogicalValue(slot) ? "true" : "false"; return;
    case bftDate: out += DumpDateText(LoadSlot<int32_t>(slot)); return;
    case bftTime: out += DumpTimeText(LoadSlot<int32_t>(slot)); return;
    case bftDateTime: {
      const TDVXDateTimePair pair = LoadDateTime(slot);
      out += DumpDateText(pair.day);
      if (pair.milliseconds != kNoTimePart) out += " " + DumpTimeText(pair.milliseconds);
      return;
    }
    case bftBytes:
    case bftVarBytes: out += HexText(slot, size); return;
    case bftBlob: {
      // The value is read whole although only its size is shown: a damaged
      // block (a CRC or a decompression that fails) is an error, never a
      // size printed as if the value were sound.
      out += "<" + std::to_string(ReadThrough(*openBlob(fieldNo))) + " bytes>";
      return;
    }
    case bftMemo: return AppendEscaped(out, AnsiToUtf8(ReadAllBytes(*openBlob(fieldNo))));
    case bftWideMemo: return AppendEscaped(out, WideToUtf8(WideFromBytes(ReadAllBytes(*openBlob(fieldNo)))));
    default: throw std::runtime_error("field of unknown type " + std::to_string(type));
  }
}

}  // namespace dvx::tool
