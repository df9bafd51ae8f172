#include "app/richtext/rtf_tokenizer.h"

#include <limits>

namespace fendra {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

TRtfToken MakeToken(TRtfTokenKind kind) {
  TRtfToken token;
  token.kind = kind;
  return token;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TRtfToken TRtfTokenizer::Next() {
  while (pos_ < input_.size()) {
    const char c = input_[pos_];
    if (c == '{') {
      ++pos_;
      return MakeToken(TRtfTokenKind::GroupStart);
    }
    if (c == '}') {
      ++pos_;
      return MakeToken(TRtfTokenKind::GroupEnd);
    }
    if (c == '\\') {
      if (std::optional<TRtfToken> token = ReadControl()) return *token;
      continue;
    }
    if (c == '\r' || c == '\n' || c == '\0') {
      ++pos_;
      continue;
    }
    return ReadText();
  }
  return MakeToken(TRtfTokenKind::End);
}

TRtfToken TRtfTokenizer::ReadText() {
  const qsizetype start = pos_;
  while (pos_ < input_.size()) {
    const char c = input_[pos_];
    if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n' || c == '\0') break;
    ++pos_;
  }
  TRtfToken token = MakeToken(TRtfTokenKind::Text);
  token.data = input_.sliced(start, pos_ - start);
  return token;
}

std::optional<TRtfToken> TRtfTokenizer::ReadControl() {
  ++pos_;  // the backslash
  if (pos_ >= input_.size()) {
    damaged_ = true;
    return MakeToken(TRtfTokenKind::End);
  }
  const char c = input_[pos_];
  if (!IsLetter(c)) {
    ++pos_;
    if (c == '\'') {
      const int high = pos_ < input_.size() ? HexValue(input_[pos_]) : -1;
      const int low = pos_ + 1 < input_.size() ? HexValue(input_[pos_ + 1]) : -1;
      if (high < 0 || low < 0) {
        // A cut escape gives nothing; the bytes after it are read as usual.
        damaged_ = true;
        if (high >= 0) ++pos_;
        return std::nullopt;
      }
      pos_ += 2;
      TRtfToken token = MakeToken(TRtfTokenKind::HexByte);
      token.byte = static_cast<unsigned char>(high * 16 + low);
      return token;
    }
    TRtfToken token = MakeToken(TRtfTokenKind::ControlSymbol);
    token.symbol = (c == '\r' || c == '\n') ? '\n' : c;
    return token;
  }

  TRtfToken token = MakeToken(TRtfTokenKind::ControlWord);
  const qsizetype start = pos_;
  while (pos_ < input_.size() && IsLetter(input_[pos_])) ++pos_;
  const qsizetype length = std::min<qsizetype>(pos_ - start, kMaxWordLength);
  if (pos_ - start > kMaxWordLength) damaged_ = true;
  token.word = std::string_view(input_.data() + start, size_t(length));

  bool negative = false;
  if (pos_ + 1 < input_.size() && input_[pos_] == '-' && IsDigit(input_[pos_ + 1])) {
    negative = true;
    ++pos_;
  }
  if (pos_ < input_.size() && IsDigit(input_[pos_])) {
    int64_t value = 0;
    while (pos_ < input_.size() && IsDigit(input_[pos_])) {
      if (value <= std::numeric_limits<int32_t>::max()) value = value * 10 + (input_[pos_] - '0');
      ++pos_;
    }
    if (negative) value = -value;
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    token.hasParam = true;
    token.param = static_cast<int32_t>(value < kMin ? kMin : value > kMax ? kMax : value);
  }
  if (pos_ < input_.size() && input_[pos_] == ' ') ++pos_;

  if (token.word == "bin") {
    // The parameter counts raw bytes; they may contain anything, braces too.
    const qsizetype wanted = token.hasParam && token.param > 0 ? token.param : 0;
    const qsizetype available = std::min(wanted, input_.size() - pos_);
    if (available < wanted) damaged_ = true;
    TRtfToken binary = MakeToken(TRtfTokenKind::Binary);
    binary.data = input_.sliced(pos_, available);
    pos_ += available;
    return binary;
  }
  return token;
}

}  // namespace fendra
