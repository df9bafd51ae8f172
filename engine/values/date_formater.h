#pragma once
// Date format patterns of the date functions: "DD.MM.YYYY", "HH12:NN AMPM"
// and the like. A pattern is split once into elements; formatting writes a
// date-time value element by element and parsing reads one back.
//
// Splitting, left to right: text between single or double quotes is
// literal; elsewhere the longest pattern word that matches at the position
// (case-insensitive, at most five characters) becomes an element, and
// characters where no word matches collect into literal text.
#include <string>
#include <string_view>
#include <vector>

namespace dvx {

class TDateFormater {
 public:
  enum class TWord {
    Literal,
    Year4,     // YYYY, YEAR
    Year2,     // YY
    Quarter,   // Q
    MonthName, // MONTH
    MonthShort,// MON
    Month2,    // MM
    Month,     // M
    MonthRoman,// RM
    DayOfYear, // DDD
    Day2,      // DD
    DayName,   // DAY
    DayShort,  // DY
    DayOfWeek, // DW
    Day,       // D
    Hour12x2,  // HH12, HH
    Hour24x2,  // HH24
    Hour12,    // H12, H
    Hour24,    // H24
    Minute2,   // NN
    Minute,    // N
    Second2,   // SS
    Second,    // S
    Milli3,    // ZZZ
    Milli,     // Z
    AmPm,      // AMPM
  };

  struct TElement {
    TWord word = TWord::Literal;
    std::string text;  // the literal, or the word as written in the pattern
  };

  explicit TDateFormater(std::string_view format);

  const std::vector<TElement>& Elements() const { return elements_; }
  // A date-time value (day 0 = 1899-12-30, fraction = time of day) as text.
  std::string Format(double dateTime) const;
  // Text written with the pattern back to a date-time value. A year, month
  // or day of 0 leaves the date at day 0. Text that does not fit the
  // pattern, or a date or time that does not exist, is an error (30922;
  // 30129 for a bad AM/PM word).
  double Parse(std::string_view text) const;
  // The expected length of formatted text: 4 for YYYY and YEAR, 1 for Q,
  // 9 for MONTH, 12 for DAY, 3 for MON, DDD, DY, ZZZ and Z, the literal's
  // length for literals, 2 for every other word.
  int OutputLength() const;

 private:
  std::string format_;
  std::vector<TElement> elements_;
};

}  // namespace dvx
