#include "app/richtext/rtf_reader.h"

#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include "app/richtext/rtf_code_page.h"
#include "app/richtext/rtf_parser.h"
#include "app/richtext/text_resources.h"

namespace fendra {

namespace {

// Line ends become '\n'; other control characters but the tab are dropped,
// as RTF text drops them.
QString PlainText(QByteArrayView input) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(input);
  if (utf8.hasError()) text = TRtfCodePageDecoder().Decode(kRtfCodePage1252, input.toByteArray());
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  text.removeIf([](QChar ch) {
    const char16_t u = ch.unicode();
    return (u < 0x20 && u != '\t' && u != '\n') || u == 0x7F || u == 0xFDD0 || u == 0xFDD1;
  });
  return text;
}

}  // namespace

bool RtfReader::IsRtf(QByteArrayView input) {
  qsizetype i = 0;
  while (i < input.size() && (input[i] == ' ' || input[i] == '\t' || input[i] == '\r' || input[i] == '\n')) ++i;
  return input.sliced(i).startsWith("{\\rtf");
}

RtfReader::TStatus RtfReader::ReadInto(QByteArrayView input, QTextDocument* document) {
  message_.clear();
  if (input.size() > limits_.maxInputBytes) {
    message_ = QStringLiteral("Der Text ist mit %1 Bytes zu groß (höchstens %2 Bytes); er wurde nicht gelesen.")
                   .arg(input.size())
                   .arg(limits_.maxInputBytes);
    return TStatus::Rejected;
  }
  if (!IsRtf(input)) {
    document->clear();
    document->setPlainText(PlainText(input));
    return TStatus::Ok;
  }
  TRtfParser parser(document, std::max(1, limits_.maxGroupDepth));
  parser.Parse(input);
  const int problems = parser.Problems();
  if (problems == 0) return TStatus::Ok;
  QStringList reasons;
  if (problems & TRtfParser::kTruncated) reasons << QStringLiteral("der Text endet vor seiner letzten Gruppe");
  if (problems & TRtfParser::kTooDeep) {
    reasons << QStringLiteral("Gruppen sind tiefer als %1 Ebenen geschachtelt").arg(limits_.maxGroupDepth);
  }
  if (problems & TRtfParser::kDamagedEscape) reasons << QStringLiteral("Steuerzeichen oder Binärdaten sind abgeschnitten");
  if (problems & TRtfParser::kTooManyListItems) {
    reasons << QStringLiteral("mehr als %1 Listeneinträge, die übrigen wurden als Absätze gelesen")
                   .arg(TRtfDocumentBuilder::kMaxListItems);
  }
  message_ = QStringLiteral("Der RTF-Text ist beschädigt (%1); gelesen wurde, was lesbar war.")
                 .arg(reasons.join(QStringLiteral(", ")));
  return TStatus::Repaired;
}

RtfReader::TStatus RtfReader::Read(QByteArrayView input, QTextDocument* document) {
  return ReadInto(input, document);
}

RtfReader::TStatus RtfReader::Insert(QByteArrayView input, QTextCursor& cursor) {
  QTextDocument scratch;
  const TStatus status = ReadInto(input, &scratch);
  if (status == TStatus::Rejected || !cursor.document()) return status;
  cursor.insertFragment(QTextDocumentFragment(&scratch));
  CopyImageResources(scratch, cursor.document());
  return status;
}

}  // namespace fendra
