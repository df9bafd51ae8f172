#pragma once
// Code pages of RTF text. 8-bit text in RTF (raw bytes and \'hh escapes) is in
// the code page of the current font (\fcharset, \cpg) or of the document
// (\ansicpg); Windows-1252 is the one both directions always know. The
// writer uses the same table to decide which characters it may write as
// \'hh and which need \uN.
#include <QByteArray>
#include <QString>
#include <map>
#include <memory>

namespace fendra {

constexpr int kRtfCodePage1252 = 1252;

// The code page a font's \fcharsetN stands for; 0 when the charset has none
// of its own (default, symbol) and the document's code page applies.
int RtfCodePageOfCharset(int charset);

// Windows-1252: the character a byte stands for (undefined bytes 0x81, 0x8D,
// 0x8F, 0x90, 0x9D map to the C1 control of the same value, as the common
// converters do), and the byte of a character, or -1 when it has none.
char16_t Cp1252ToUnicode(unsigned char byte);
int UnicodeToCp1252(char16_t ch);

// Decodes byte runs in a given code page. Code pages other than 1252 go
// through ICU's converters, opened once per code page and kept; a code page
// ICU does not know is read as 1252, so text is never dropped.
class TRtfCodePageDecoder {
 public:
  TRtfCodePageDecoder();
  ~TRtfCodePageDecoder();
  TRtfCodePageDecoder(const TRtfCodePageDecoder&) = delete;
  TRtfCodePageDecoder& operator=(const TRtfCodePageDecoder&) = delete;

  QString Decode(int codePage, const QByteArray& bytes);

 private:
  struct TConverter;
  TConverter* ConverterFor(int codePage);
  std::map<int, std::unique_ptr<TConverter>> converters_;
};

}  // namespace fendra
