#include "engine/values/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace dvx {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string NonFinite(long double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

// Lays out the scientific form "d.ddde±x" that to_chars produced.
std::string LayOutGeneral(std::string_view scientific, int digits) {
  std::string out;
  if (!scientific.empty() && scientific.front() == '-') {
    out.push_back('-');
    scientific.remove_prefix(1);
  }
  size_t ePos = scientific.find('e');
  std::string mantissa;
  for (char c : scientific.substr(0, ePos))
    if (c != '.') mantissa.push_back(c);
  int exponent = 0;
  std::string_view expText = scientific.substr(ePos + 1);
  if (!expText.empty() && expText.front() == '+') expText.remove_prefix(1);
  std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  if (mantissa == "0") return "0";

  if (exponent >= digits || exponent < -5) {
    out += mantissa[0];
    if (mantissa.size() > 1) {
      out += '.';
      out += mantissa.substr(1);
    }
    out += 'E';
    out += std::to_string(exponent);
  } else if (exponent >= 0) {
    size_t intDigits = static_cast<size_t>(exponent) + 1;
    if (mantissa.size() <= intDigits) {
      out += mantissa;
      out.append(intDigits - mantissa.size(), '0');
    } else {
      out += mantissa.substr(0, intDigits);
      out += '.';
      out += mantissa.substr(intDigits);
    }
  } else {
    out += "0.";
    out.append(static_cast<size_t>(-exponent - 1), '0');
    out += mantissa;
  }
  return out;
}

template <typename Real>
std::string FormatGeneral(Real value, int digits) {
  if (!std::isfinite(value)) return NonFinite(value);
  char buffer[96];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits - 1);
  return LayOutGeneral(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)), digits);
}

}  // namespace

std::string FormatSingle(float value) { return FormatGeneral(value, kSingleDigits); }
std::string FormatDouble(double value) { return FormatGeneral(value, kDoubleDigits); }
std::string FormatExtended(long double value) { return FormatGeneral(value, kExtendedDigits); }

std::string FormatCurrency(double value) {
  if (!std::isfinite(value)) return NonFinite(value);
  long double scaled = std::round(static_cast<long double>(value) * 10000.0L);
  // Beyond 2^63 ten-thousandths there are no decimals left to show.
  if (std::fabs(scaled) >= 9.2e18L) return FormatDouble(value);
  long long units = std::llround(scaled);
  std::string out = units < 0 ? "-" : "";
  unsigned long long magnitude = units < 0 ? 0ull - static_cast<unsigned long long>(units) : units;
  out += std::to_string(magnitude / 10000);
  unsigned fraction = static_cast<unsigned>(magnitude % 10000);
  if (fraction != 0) {
    char digits[5] = {static_cast<char>('0' + fraction / 1000), static_cast<char>('0' + fraction / 100 % 10),
                      static_cast<char>('0' + fraction / 10 % 10), static_cast<char>('0' + fraction % 10), 0};
    std::string decimals(digits);
    while (decimals.back() == '0') decimals.pop_back();
    out += '.';
    out += decimals;
  }
  return out;
}

bool ParseInteger(std::string_view text, int64_t& value) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  size_t start = text.front() == '-' ? 1 : 0;
  if (start == text.size()) return false;
  for (size_t i = start; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  int64_t parsed = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
  value = parsed;
  return true;
}

namespace {

// The text of a real number without its blanks and leading "+", or nothing
// when it is not one.
bool RealShape(std::string_view& text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  // Check the shape ourselves: from_chars would also take "inf" and "nan".
  size_t i = text.empty() || text.front() != '-' ? 0 : 1;
  size_t mantissaDigits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      ++mantissaDigits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (mantissaDigits == 0) return false;
  if (i < text.size()) {
    if (text[i] != 'e' && text[i] != 'E') return false;
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t expDigits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++expDigits;
    if (expDigits == 0 || i != text.size()) return false;
  }
  return true;
}

template <typename Real>
bool ParseRealOf(std::string_view text, Real& value) {
  if (!RealShape(text)) return false;
  Real parsed = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
  value = parsed;
  return true;
}

}  // namespace

bool ParseReal(std::string_view text, float& value) { return ParseRealOf(text, value); }
bool ParseReal(std::string_view text, double& value) { return ParseRealOf(text, value); }
bool ParseReal(std::string_view text, long double& value) { return ParseRealOf(text, value); }

}  // namespace dvx
