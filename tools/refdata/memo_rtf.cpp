#include "tools/refdata/memo_rtf.h"

#include <QFont>
#include <QString>
#include <QTextDocument>

#include "app/richtext/rtf_writer.h"
#include "app/richtext/source_markup.h"

namespace refdata {

namespace {

constexpr int kBodyPixelSize = 15;

}  // namespace

std::string RenderMemoRtf(std::string_view sourceText) {
  QTextDocument document;
  QFont body(QStringLiteral("Arial"));
  body.setPixelSize(kBodyPixelSize);
  document.setDefaultFont(body);
  fendra::ReadSourceMarkup(QString::fromUtf8(sourceText.data(), static_cast<qsizetype>(sourceText.size())), &document);
  const QByteArray rtf = fendra::RtfWriter().Write(document);
  return std::string(rtf.constData(), static_cast<size_t>(rtf.size()));
}

}  // namespace refdata
