#include "app/richtext/rtf_code_page.h"

#include <unicode/ucnv.h>

#include <string>

namespace fendra {

namespace {

// Bytes 0x80..0x9F of Windows-1252; every other byte is its Latin-1 value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

}  // namespace

int RtfCodePageOfCharset(int charset) {
  switch (charset) {
    case 0: return 1252;     // ANSI
    case 77: return 10000;   // Mac Roman
    case 128: return 932;    // Shift-JIS
    case 129: return 949;    // Hangul
    case 130: return 1361;   // Johab
    case 134: return 936;    // GB2312
    case 136: return 950;    // Big5
    case 161: return 1253;   // Greek
    case 162: return 1254;   // Turkish
    case 163: return 1258;   // Vietnamese
    case 177: return 1255;   // Hebrew
    case 178: return 1256;   // Arabic
    case 186: return 1257;   // Baltic
    case 204: return 1251;   // Cyrillic
    case 222: return 874;    // Thai
    case 238: return 1250;   // Eastern European
    case 255: return 437;    // OEM
    default: return 0;       // 1 default, 2 symbol and unknown ones
  }
}

char16_t Cp1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char16_t(byte);
}

int UnicodeToCp1252(char16_t ch) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return ch;
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == ch) return 0x80 + i;
  }
  return -1;
}

struct TRtfCodePageDecoder::TConverter {
  UConverter* handle = nullptr;
  ~TConverter() {
    if (handle) ucnv_close(handle);
  }
};

TRtfCodePageDecoder::TRtfCodePageDecoder() = default;
TRtfCodePageDecoder::~TRtfCodePageDecoder() = default;

TRtfCodePageDecoder::TConverter* TRtfCodePageDecoder::ConverterFor(int codePage) {
  auto found = converters_.find(codePage);
  if (found != converters_.end()) return found->second.get();
  auto converter = std::make_unique<TConverter>();
  const std::string number = std::to_string(codePage);
  const std::string names[] = {codePage == 10000 ? "macintosh" : "windows-" + number, "cp" + number,
                               "ibm-" + number};
  for (const std::string& name : names) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* handle = ucnv_open(name.c_str(), &status);
    if (U_SUCCESS(status) && handle) {
      converter->handle = handle;
      break;
    }
    if (handle) ucnv_close(handle);
  }
  TConverter* result = converter->handle ? converter.get() : nullptr;
  converters_.emplace(codePage, std::move(converter));
  return result;
}

QString TRtfCodePageDecoder::Decode(int codePage, const QByteArray& bytes) {
  if (bytes.isEmpty()) return {};
  if (codePage != kRtfCodePage1252 && codePage > 0) {
    if (TConverter* converter = ConverterFor(codePage)) {
      // Every byte yields at most one UTF-16 unit in the code pages RTF uses
      // (single-byte ones and the double-byte East Asian ones).
      QString text(bytes.size() + 1, Qt::Uninitialized);
      UErrorCode status = U_ZERO_ERROR;
      ucnv_reset(converter->handle);
      const int32_t length =
          ucnv_toUChars(converter->handle, reinterpret_cast<UChar*>(text.data()), int32_t(text.size()),
                        bytes.constData(), int32_t(bytes.size()), &status);
      if (U_SUCCESS(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
        text.truncate(length);
        return text;
      }
    }
  }
  QString text(bytes.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < bytes.size(); ++i) text[i] = QChar(Cp1252ToUnicode(uchar(bytes[i])));
  return text;
}

}  // namespace fendra
