#include "app/richtext/rtf_text_encoder.h"

#include "app/richtext/rtf_code_page.h"

namespace fendra {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// A control word followed by a letter, digit or blank needs a space to end it.
void AppendWord(QByteArray& out, const char* word, QStringView rest) {
  out += word;
  if (!rest.isEmpty()) {
    const QChar next = rest.front();
    if (next.isLetterOrNumber() || next == QLatin1Char(' ') || next == QLatin1Char('-')) out += ' ';
  }
}

}  // namespace

void AppendRtfText(QByteArray& out, QStringView text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i].unicode();
    const QStringView rest = text.sliced(i + 1);
    switch (ch) {
      case '\\': out += "\\\\"; continue;
      case '{': out += "\\{"; continue;
      case '}': out += "\\}"; continue;
      case '\t': AppendWord(out, "\\tab", rest); continue;
      case 0x2028: AppendWord(out, "\\line", rest); continue;
      case 0x00A0: out += "\\~"; continue;
      case 0x00AD: out += "\\-"; continue;
      case 0x2011: out += "\\_"; continue;
      default: break;
    }
    if (ch >= 0x20 && ch < 0x7F) {
      out += char(ch);
    } else if (ch < 0x20 || ch == 0x7F) {
      continue;
    } else if (const int byte = UnicodeToCp1252(ch); byte >= 0) {
      out += "\\'";
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0xF];
    } else {
      out += "\\u";
      out += QByteArray::number(int(int16_t(ch)));
      out += '?';
    }
  }
}

}  // namespace fendra
