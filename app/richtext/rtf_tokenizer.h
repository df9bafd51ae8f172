#pragma once
// Splits RTF bytes into tokens. The grammar it knows:
//
//   {            group start           }   group end
//   \word[N]     control word: 1..32 ASCII letters, an optional signed decimal
//                parameter, ended by one space (consumed) or any other
//                non-alphanumeric byte (not consumed)
//   \'hh         one byte given as two hex digits
//   \binN        N raw bytes follow the delimiting space
//   \c           control symbol: any other byte after the backslash;
//                a backslash before CR or LF is a paragraph mark
//   other bytes  text; CR and LF are not text in RTF and are dropped
//
// Faults never stop the tokenizer: a word longer than 32 letters is cut, a
// parameter outside 32 bits is clamped, a \' with fewer than two hex digits
// and a \bin longer than the remaining input give what is there, and each
// raises the Damaged flag so the reader can say its result is best effort.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>
#include <string_view>

namespace fendra {

enum class TRtfTokenKind { GroupStart, GroupEnd, ControlWord, ControlSymbol, HexByte, Binary, Text, End };

struct TRtfToken {
  TRtfTokenKind kind = TRtfTokenKind::End;
  std::string_view word;    // ControlWord: its letters
  bool hasParam = false;    // ControlWord: a parameter was given
  int32_t param = 0;        // ControlWord: the parameter, clamped
  char symbol = 0;          // ControlSymbol: the byte after the backslash
  unsigned char byte = 0;   // HexByte
  QByteArrayView data;      // Text (never empty) and Binary: the bytes
};

class TRtfTokenizer {
 public:
  static constexpr int kMaxWordLength = 32;

  explicit TRtfTokenizer(QByteArrayView input) : input_(input) {}

  TRtfToken Next();
  bool Damaged() const { return damaged_; }
  qsizetype Position() const { return pos_; }

 private:
  // Nothing for a cut \' escape, which the caller steps over.
  std::optional<TRtfToken> ReadControl();
  TRtfToken ReadText();

  QByteArrayView input_;
  qsizetype pos_ = 0;
  bool damaged_ = false;
};

}  // namespace fendra
