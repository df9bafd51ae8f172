#include "engine/values/date_formater.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "engine/values/date_time_value.h"
#include "engine/values/number_text.h"
#include "engine/values/value_errors.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"

namespace dvx {

namespace {

using TWord = TDateFormater::TWord;

struct TWordSpelling {
  const char* text;
  TWord word;
};

// The 28 pattern words, longest first so the first match is the longest.
constexpr TWordSpelling kWords[] = {
    {"MONTH", TWord::MonthName}, {"YYYY", TWord::Year4},      {"YEAR", TWord::Year4},     {"HH12", TWord::Hour12x2},
    {"HH24", TWord::Hour24x2},   {"AMPM", TWord::AmPm},       {"MON", TWord::MonthShort}, {"DDD", TWord::DayOfYear},
    {"DAY", TWord::DayName},     {"H12", TWord::Hour12},      {"H24", TWord::Hour24},     {"ZZZ", TWord::Milli3},
    {"YY", TWord::Year2},        {"MM", TWord::Month2},       {"RM", TWord::MonthRoman},  {"DD", TWord::Day2},
    {"DY", TWord::DayShort},     {"DW", TWord::DayOfWeek},    {"HH", TWord::Hour12x2},    {"NN", TWord::Minute2},
    {"SS", TWord::Second2},      {"Q", TWord::Quarter},       {"M", TWord::Month},        {"D", TWord::Day},
    {"H", TWord::Hour12},        {"N", TWord::Minute},        {"S", TWord::Second},       {"Z", TWord::Milli},
};

constexpr std::array<const char*, 12> kRoman = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X", "XI", "XII"};

bool MatchesAt(std::string_view format, size_t pos, std::string_view word) {
  if (format.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(format[pos + i])) != word[i]) return false;
  return true;
}

std::string Padded(int value, int width) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

// Position of the current element while parsing.
class TReader {
 public:
  TReader(std::string_view text, std::string_view format) : text_(text), format_(format) {}

  [[noreturn]] void Fail() const {
    throw EDVXException(kErrDatePattern, "'%s' does not match the date format '%s'",
                        {std::string(text_), std::string(format_)});
  }

  std::string_view Take(size_t count) {
    std::string_view piece = text_.substr(std::min(pos_, text_.size()), count);
    pos_ += piece.size();
    return piece;
  }

  void Skip(size_t count) { pos_ = std::min(text_.size(), pos_ + count); }

  int Number(std::string_view piece) const {
    int64_t value;
    if (piece.empty() || !ParseInteger(piece, value) || value < 0 || value > 9999) Fail();
    return static_cast<int>(value);
  }

  // The first character unconditionally, then digits up to `maxDigits`.
  int ReadNumber(size_t maxDigits) {
    if (pos_ >= text_.size()) Fail();
    size_t start = pos_++;
    while (pos_ < text_.size() && pos_ - start < maxDigits && std::isdigit(static_cast<unsigned char>(text_[pos_])))
      ++pos_;
    return Number(text_.substr(start, pos_ - start));
  }

  int ReadRoman() {
    size_t start = pos_;
    while (pos_ < text_.size() && pos_ - start < 4) {
      char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_])));
      if (c != 'I' && c != 'V' && c != 'X') break;
      ++pos_;
    }
    std::string letters = AnsiUpperCase(text_.substr(start, pos_ - start));
    for (size_t i = 0; i < kRoman.size(); ++i)
      if (letters == kRoman[i]) return static_cast<int>(i) + 1;
    Fail();
  }

 private:
  std::string_view text_;
  std::string_view format_;
  size_t pos_ = 0;
};

}  // namespace

TDateFormater::TDateFormater(std::string_view format) : format_(format) {
  auto addLiteral = [this](std::string_view text) {
    if (text.empty()) return;
    if (elements_.empty() || elements_.back().word != TWord::Literal) elements_.push_back({TWord::Literal, {}});
    elements_.back().text += text;
  };
  size_t pos = 0;
  while (pos < format.size()) {
    char c = format[pos];
    if (c == '\'' || c == '"') {
      size_t close = format.find(c, pos + 1);
      size_t end = close == std::string_view::npos ? format.size() : close;
      addLiteral(format.substr(pos + 1, end - pos - 1));
      pos = close == std::string_view::npos ? format.size() : close + 1;
      continue;
    }
    const TWordSpelling* match = nullptr;
    for (const auto& spelling : kWords) {
      if (MatchesAt(format, pos, spelling.text)) {
        match = &spelling;
        break;
      }
    }
    if (match == nullptr) {
      addLiteral(format.substr(pos, 1));
      ++pos;
      continue;
    }
    size_t length = std::string_view(match->text).size();
    elements_.push_back({match->word, std::string(format.substr(pos, length))});
    pos += length;
  }
}

std::string TDateFormater::Format(double dateTime) const {
  TDVXDateTimePair pair = DateTimeValueToPair(dateTime);
  TDVXCivilDate date = DayNumberToCivil(pair.day);
  int ms = pair.milliseconds;
  int hour = ms / 3600000, minute = ms / 60000 % 60, second = ms / 1000 % 60, milli = ms % 1000;
  // 1 = Monday; day number 1 (0001-01-01) was a Monday.
  int64_t dayOfWeek = ((static_cast<int64_t>(pair.day) - 1) % 7 + 7) % 7 + 1;
  const TDVXLocaleSettings& locale = LocaleSettings();
  std::string out;
  for (const TElement& e : elements_) {
    switch (e.word) {
      case TWord::Literal: out += e.text; break;
      case TWord::Year4: out += Padded(date.year, 4); break;
      case TWord::Year2: out += Padded(((date.year % 100) + 100) % 100, 2); break;
      case TWord::Quarter: out += std::to_string((date.month - 1) / 3 + 1); break;
      case TWord::MonthName: out += locale.longMonthNames[date.month - 1]; break;
      case TWord::MonthShort: out += locale.shortMonthNames[date.month - 1]; break;
      case TWord::Month2: out += Padded(date.month, 2); break;
      case TWord::Month: out += std::to_string(date.month); break;
      case TWord::MonthRoman: out += kRoman[date.month - 1]; break;
      case TWord::DayOfYear:
        out += Padded(static_cast<int>(pair.day - CivilToDayNumber(date.year, 1, 1) + 1), 3);
        break;
      case TWord::Day2: out += Padded(date.day, 2); break;
      case TWord::DayName: out += locale.longDayNames[dayOfWeek % 7]; break;
      case TWord::DayShort: out += locale.shortDayNames[dayOfWeek % 7]; break;
      case TWord::DayOfWeek: out += std::to_string(dayOfWeek); break;
      case TWord::Day: out += std::to_string(date.day); break;
      case TWord::Hour12x2: out += Padded(hour % 12, 2); break;
      case TWord::Hour24x2: out += Padded(hour, 2); break;
      case TWord::Hour12: out += std::to_string(hour % 12); break;
      case TWord::Hour24: out += std::to_string(hour); break;
      case TWord::Minute2: out += Padded(minute, 2); break;
      case TWord::Minute: out += std::to_string(minute); break;
      case TWord::Second2: out += Padded(second, 2); break;
      case TWord::Second: out += std::to_string(second); break;
      case TWord::Milli3: out += Padded(milli, 3); break;
      case TWord::Milli: out += std::to_string(milli); break;
      case TWord::AmPm: out += hour > 11 ? "PM" : "AM"; break;
    }
  }
  return out;
}

double TDateFormater::Parse(std::string_view text) const {
  TReader reader(text, format_);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milli = 0;
  bool pm = false;
  for (const TElement& e : elements_) {
    switch (e.word) {
      case TWord::Literal: reader.Skip(e.text.size()); break;
      case TWord::Year4: year = reader.Number(reader.Take(4)); break;
      case TWord::Year2: {
        int yy = reader.Number(reader.Take(2));
        year = yy < 30 ? yy + 2000 : yy + 1900;
        break;
      }
      // The first month of the quarter.
      case TWord::Quarter: month = 3 * reader.Number(reader.Take(1)) - 2; break;
      case TWord::MonthName:
      case TWord::MonthShort:
      case TWord::DayOfYear:
      case TWord::DayName:
      case TWord::DayShort:
      case TWord::DayOfWeek: reader.Skip(e.text.size()); break;
      case TWord::Month2:
      case TWord::Month: month = reader.ReadNumber(2); break;
      case TWord::MonthRoman: month = reader.ReadRoman(); break;
      case TWord::Day2:
      case TWord::Day: day = reader.ReadNumber(2); break;
      case TWord::Hour12x2:
      case TWord::Hour24x2:
      case TWord::Hour12:
      case TWord::Hour24: hour = reader.ReadNumber(2); break;
      case TWord::Minute2:
      case TWord::Minute: minute = reader.ReadNumber(2); break;
      case TWord::Second2:
      case TWord::Second: second = reader.ReadNumber(2); break;
      case TWord::Milli3:
      case TWord::Milli: milli = reader.ReadNumber(3); break;
      case TWord::AmPm: {
        std::string word(reader.Take(2));
        std::string upper = AnsiUpperCase(word);
        if (upper == "PM") {
          pm = true;
        } else if (upper != "AM") {
          throw EDVXException(kErrAmPmExpected, "AM/PM word expected, but '%s' found", {word});
        }
        break;
      }
    }
  }
  if (pm) hour += 12;
  TDVXDateTimePair pair{kDayNumberOf18991230, 0};
  if (year != 0 && month != 0 && day != 0) {
    if (!IsValidDate(year, month, day)) reader.Fail();
    pair.day = static_cast<int32_t>(CivilToDayNumber(year, month, day));
  }
  if (hour > 23 || minute > 59 || second > 59 || milli > 999) reader.Fail();
  pair.milliseconds = ((hour * 60 + minute) * 60 + second) * 1000 + milli;
  // Before day 0 the time is the absolute fraction, so the pair is combined
  // on the scale rather than added as numbers.
  return PairToDateTimeValue(pair);
}

int TDateFormater::OutputLength() const {
  int total = 0;
  for (const TElement& e : elements_) {
    switch (e.word) {
      case TWord::Literal: total += static_cast<int>(e.text.size()); break;
      case TWord::Year4: total += 4; break;
      case TWord::Quarter: total += 1; break;
      case TWord::MonthName: total += 9; break;
      case TWord::DayName: total += 12; break;
      case TWord::MonthShort:
      case TWord::DayOfYear:
      case TWord::DayShort:
      case TWord::Milli3:
      case TWord::Milli: total += 3; break;
      default: total += 2;
    }
  }
  return total;
}

}  // namespace dvx
