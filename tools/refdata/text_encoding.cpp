#include "tools/refdata/text_encoding.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace refdata {

namespace {

struct TConverterClose {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using TConverter = std::unique_ptr<UConverter, TConverterClose>;

TConverter OpenWindows1252() {
  UErrorCode status = U_ZERO_ERROR;
  TConverter converter(ucnv_open("windows-1252", &status));
  if (U_FAILURE(status)) throw std::runtime_error(std::string("cannot open the Windows-1252 converter: ") + u_errorName(status));
  // Stop at the first unmappable character instead of writing a substitute.
  ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  if (U_FAILURE(status)) throw std::runtime_error(std::string("cannot set up the Windows-1252 converter: ") + u_errorName(status));
  return converter;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

}  // namespace

std::optional<size_t> FindInvalidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = static_cast<int32_t>(text.size());
  int32_t i = 0;
  while (i < length) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return static_cast<size_t>(start);
  }
  return std::nullopt;
}

TWindows1252Result EncodeWindows1252(std::string_view utf8) {
  TWindows1252Result result;
  TConverter converter = OpenWindows1252();
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const int32_t length = static_cast<int32_t>(utf8.size());
  int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) throw std::invalid_argument("EncodeWindows1252 needs well-formed UTF-8");
    if (IsControl(static_cast<char32_t>(c))) {
      result.offending = static_cast<char32_t>(c);
      return result;
    }
    UChar units[2];
    int32_t unitCount = 0;
    U16_APPEND_UNSAFE(units, unitCount, c);
    char out[8];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(converter.get());
    const int32_t written = ucnv_fromUChars(converter.get(), out, sizeof out, units, unitCount, &status);
    if (U_FAILURE(status) || written != 1) {
      result.offending = static_cast<char32_t>(c);
      return result;
    }
    result.bytes.push_back(out[0]);
  }
  result.ok = true;
  return result;
}

std::string FoldCase(std::string_view utf8) {
  std::string folded;
  icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())))
      .foldCase()
      .toUTF8String(folded);
  return folded;
}

std::string DescribeCharacter(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  std::string text(code);
  if (IsControl(c) || c > 0x10FFFF) return text + " (a control character)";
  std::string glyph;
  icu::UnicodeString(static_cast<UChar32>(c)).toUTF8String(glyph);
  return text + " '" + glyph + "'";
}

}  // namespace refdata
