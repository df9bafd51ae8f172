#pragma once
// Locale services of the engine.
//
// Files must be portable, so "the user's locale" is the same on every
// machine: German. 8-bit text is Windows-1252; strings collate with ICU's
// German collation with punctuation significant (non-ignorable), and with
// secondary strength when case is to be ignored; dates, times and names are
// German. Index order is part of the file, so none of this may depend on the
// environment of the machine the engine runs on.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dvx {

// --- Windows-1252 -----------------------------------------------------------
// Every byte maps to one UTF-16 unit; the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same
// number, so every byte round-trips.
char16_t AnsiCharToWide(uint8_t c);
// The byte for a UTF-16 unit; false when Windows-1252 cannot show it.
bool WideCharToAnsi(char16_t c, uint8_t& out);
std::u16string AnsiToWide(std::string_view text);
// Characters the code page cannot show become '?'.
std::string WideToAnsi(std::u16string_view text);
std::string WideToUtf8(std::u16string_view text);
std::u16string Utf8ToWide(std::string_view text);
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);

// --- Collation ---------------------------------------------------------------
// Results are -1, 0 or 1. Length-based forms compare the given characters;
// the Z forms stop at the first NUL.
int CompareAnsi(std::string_view a, std::string_view b, bool ignoreCase = false);
int CompareWide(std::u16string_view a, std::u16string_view b, bool ignoreCase = false);
int CompareAnsiZ(const char* a, const char* b, bool ignoreCase = false);
int CompareWideZ(const char16_t* a, const char16_t* b, bool ignoreCase = false);

// --- Casing ------------------------------------------------------------------
// Character by character, so lengths never change (ß stays ß); a character
// whose other case Windows-1252 cannot show stays as it is.
std::string AnsiUpperCase(std::string_view text);
std::string AnsiLowerCase(std::string_view text);
std::u16string WideUpperCase(std::u16string_view text);
std::u16string WideLowerCase(std::u16string_view text);
// Equality of names after upper-casing (how engine object names compare).
bool SameName(std::string_view a, std::string_view b);

// --- Formats and names ---------------------------------------------------------
struct TDVXLocaleSettings {
  std::string shortDateFormat = "dd.MM.yyyy";
  std::string longTimeFormat = "HH:mm:ss";
  std::string shortTimeFormat = "HH:mm";
  char dateSeparator = '.';
  char timeSeparator = ':';
  char decimalSeparator = ',';
  char thousandSeparator = '.';
  std::string currencyString = "\x80";  // the euro sign in Windows-1252
  int currencyDecimals = 2;
  // Index 0 is January, respectively Sunday; texts are Windows-1252.
  std::array<std::string, 12> longMonthNames;
  std::array<std::string, 12> shortMonthNames;
  std::array<std::string, 7> longDayNames;
  std::array<std::string, 7> shortDayNames;
};
const TDVXLocaleSettings& LocaleSettings();

// "09.12.2026", "05:19:07", "05:19".
std::string FormatShortDate(int year, int month, int day);
std::string FormatLongTime(int hour, int minute, int second);
std::string FormatShortTime(int hour, int minute);
// Parse the short date ("9.12.2026" and "09.12.2026"; a two-digit year is
// taken in 1950..2049) and the long or short time. False on anything else,
// including dates that do not exist.
bool ParseShortDate(std::string_view text, int& year, int& month, int& day);
bool ParseTime(std::string_view text, int& hour, int& minute, int& second);

}  // namespace dvx
