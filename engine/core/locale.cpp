#include "engine/core/locale.h"

#include <unicode/coll.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <cstring>
#include <memory>

#include "engine/core/exception.h"

namespace dvx {
namespace {

// 0x80..0x9F of Windows-1252; undefined positions keep their C1 control.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// The collators are made once. The German collation with non-ignorable
// punctuation is fixed here, not taken from the environment: index order
// is stored in files and must be the same on every machine.
struct Collators {
  std::unique_ptr<icu::Collator> exact;
  std::unique_ptr<icu::Collator> ignoreCase;

  Collators() {
    UErrorCode status = U_ZERO_ERROR;
    exact.reset(icu::Collator::createInstance(icu::Locale("de", "DE"), status));
    if (U_FAILURE(status) || !exact) throw EDVXException(0, "Cannot create the German collator");
    exact->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
    exact->setAttribute(UCOL_STRENGTH, UCOL_TERTIARY, status);
    ignoreCase.reset(exact->clone());
    ignoreCase->setAttribute(UCOL_STRENGTH, UCOL_SECONDARY, status);
    if (U_FAILURE(status)) throw EDVXException(0, "Cannot configure the German collator");
  }
};

const Collators& TheCollators() {
  static const Collators* collators = new Collators();
  return *collators;
}

int Collate(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
  const auto& c = TheCollators();
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult r = (ignoreCase ? c.ignoreCase : c.exact)
                           ->compare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                     static_cast<int32_t>(b.size()), status);
  if (U_FAILURE(status)) throw EDVXException(0, "String collation failed");
  return r == UCOL_LESS ? -1 : (r == UCOL_EQUAL ? 0 : 1);
}

const char* const kLongMonths[12] = {"Januar", "Februar", "M\xE4rz", "April", "Mai", "Juni",
                                     "Juli", "August", "September", "Oktober", "November", "Dezember"};
const char* const kShortMonths[12] = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun",
                                      "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
const char* const kLongDays[7] = {"Sonntag", "Montag", "Dienstag", "Mittwoch",
                                  "Donnerstag", "Freitag", "Samstag"};
const char* const kShortDays[7] = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};

bool ReadNumber(std::string_view text, size_t& pos, int minDigits, int maxDigits, int& value) {
  int digits = 0;
  value = 0;
  while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  return digits >= minDigits;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

char16_t AnsiCharToWide(uint8_t c) {
  return (c >= 0x80 && c <= 0x9F) ? kHigh1252[c - 0x80] : static_cast<char16_t>(c);
}

bool WideCharToAnsi(char16_t c, uint8_t& out) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    out = static_cast<uint8_t>(c);
    return true;
  }
  for (int i = 0; i < 32; ++i)
    if (kHigh1252[i] == c) {
      out = static_cast<uint8_t>(0x80 + i);
      return true;
    }
  return false;
}

std::u16string AnsiToWide(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out += AnsiCharToWide(static_cast<uint8_t>(c));
  return out;
}

std::string WideToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint8_t b;
    char16_t c = text[i];
    if (WideCharToAnsi(c, b)) {
      out += static_cast<char>(b);
    } else {
      // A surrogate pair is one character, shown as one '?'.
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
      out += '?';
    }
  }
  return out;
}

std::string WideToUtf8(std::u16string_view text) {
  std::string out;
  icu::UnicodeString(text.data(), static_cast<int32_t>(text.size())).toUTF8String(out);
  return out;
}

std::u16string Utf8ToWide(std::string_view text) {
  icu::UnicodeString s = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  return std::u16string(s.getBuffer(), static_cast<size_t>(s.length()));
}

std::string AnsiToUtf8(std::string_view text) { return WideToUtf8(AnsiToWide(text)); }
std::string Utf8ToAnsi(std::string_view text) { return WideToAnsi(Utf8ToWide(text)); }

int CompareAnsi(std::string_view a, std::string_view b, bool ignoreCase) {
  return Collate(AnsiToWide(a), AnsiToWide(b), ignoreCase);
}

int CompareWide(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
  return Collate(a, b, ignoreCase);
}

int CompareAnsiZ(const char* a, const char* b, bool ignoreCase) {
  return CompareAnsi(std::string_view(a, std::strlen(a)), std::string_view(b, std::strlen(b)), ignoreCase);
}

int CompareWideZ(const char16_t* a, const char16_t* b, bool ignoreCase) {
  return CompareWide(std::u16string_view(a), std::u16string_view(b), ignoreCase);
}

std::string AnsiUpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    uint8_t b;
    if (WideCharToAnsi(static_cast<char16_t>(u_toupper(AnsiCharToWide(static_cast<uint8_t>(c)))), b))
      c = static_cast<char>(b);
  }
  return out;
}

std::string AnsiLowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    uint8_t b;
    if (WideCharToAnsi(static_cast<char16_t>(u_tolower(AnsiCharToWide(static_cast<uint8_t>(c)))), b))
      c = static_cast<char>(b);
  }
  return out;
}

std::u16string WideUpperCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    UChar32 u = u_toupper(c);
    if (u <= 0xFFFF) c = static_cast<char16_t>(u);
  }
  return out;
}

std::u16string WideLowerCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    UChar32 u = u_tolower(c);
    if (u <= 0xFFFF) c = static_cast<char16_t>(u);
  }
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AnsiUpperCase(a) == AnsiUpperCase(b);
}

const TDVXLocaleSettings& LocaleSettings() {
  static const TDVXLocaleSettings* settings = [] {
    auto* s = new TDVXLocaleSettings();
    for (int i = 0; i < 12; ++i) {
      s->longMonthNames[i] = kLongMonths[i];
      s->shortMonthNames[i] = kShortMonths[i];
    }
    for (int i = 0; i < 7; ++i) {
      s->longDayNames[i] = kLongDays[i];
      s->shortDayNames[i] = kShortDays[i];
    }
    return s;
  }();
  return *settings;
}

std::string FormatShortDate(int year, int month, int day) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", day, month, year);
  return buf;
}

std::string FormatLongTime(int hour, int minute, int second) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hour, minute, second);
  return buf;
}

std::string FormatShortTime(int hour, int minute) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d", hour, minute);
  return buf;
}

bool ParseShortDate(std::string_view text, int& year, int& month, int& day) {
  text = Trim(text);
  size_t pos = 0;
  int d, m, y;
  if (!ReadNumber(text, pos, 1, 2, d) || pos >= text.size() || text[pos++] != '.') return false;
  if (!ReadNumber(text, pos, 1, 2, m) || pos >= text.size() || text[pos++] != '.') return false;
  size_t yearStart = pos;
  if (!ReadNumber(text, pos, 1, 4, y) || pos != text.size()) return false;
  if (pos - yearStart <= 2) y += y < 50 ? 2000 : 1900;
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  year = y;
  month = m;
  day = d;
  return true;
}

bool ParseTime(std::string_view text, int& hour, int& minute, int& second) {
  text = Trim(text);
  size_t pos = 0;
  int h, n, s = 0;
  if (!ReadNumber(text, pos, 1, 2, h) || pos >= text.size() || text[pos++] != ':') return false;
  if (!ReadNumber(text, pos, 1, 2, n)) return false;
  if (pos < text.size()) {
    if (text[pos++] != ':' || !ReadNumber(text, pos, 1, 2, s) || pos != text.size()) return false;
  }
  if (h > 23 || n > 59 || s > 59) return false;
  hour = h;
  minute = n;
  second = s;
  return true;
}

}  // namespace dvx
