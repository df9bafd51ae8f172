#include "app/imprint_content.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>

namespace fendra {

namespace {

QString PlainText(const QString& markdown) {
  QTextDocument doc;
  doc.setMarkdown(markdown);
  return doc.toPlainText().simplified();
}

}  // namespace

TImprintContent ParseImprint(const QString& markdown, int currentYear) {
  TImprintContent content;
  QString section;  // heading of the section being read; empty before the first
  QString body;
  QStringList others;
  bool titleSeen = false;
  bool editionTaken = false;
  const auto finishSection = [&] {
    if (section.isEmpty()) return;
    const QString text = body.trimmed();
    if (section.compare(QStringLiteral("Rechte"), Qt::CaseInsensitive) == 0)
      content.Rights = PlainText(text);
    else
      others << QStringLiteral("**%1**\n\n%2").arg(section, text);
    body.clear();
  };
  for (const QString& raw : markdown.split(QLatin1Char('\n'))) {
    const QString line = raw.trimmed();
    if (line.startsWith(QStringLiteral("## "))) {
      finishSection();
      section = line.mid(3).trimmed();
      continue;
    }
    if (!section.isEmpty()) {
      body += raw + QLatin1Char('\n');
      continue;
    }
    if (line.startsWith(QStringLiteral("# ")) && !titleSeen) {
      titleSeen = true;
      content.Title = PlainText(line.mid(2));
    } else if (line.startsWith(QStringLiteral("**Herausgeber"))) {
      content.Publisher = PlainText(line);
    } else if (!line.isEmpty() && titleSeen && !editionTaken) {
      editionTaken = true;
      content.Edition = PlainText(line);
    }
  }
  finishSection();
  if (!others.isEmpty()) content.Blocks << others.takeFirst();
  if (!others.isEmpty()) content.Blocks << others.join(QStringLiteral("\n\n"));
  static const QRegularExpression year(QStringLiteral("\\b(19|20)\\d\\d\\b"));
  if (!content.Rights.contains(year))
    content.Rights = QStringLiteral("© %1 %2").arg(currentYear).arg(content.Rights).trimmed();
  return content;
}

QString ImprintSource() {
  QFile file(QStringLiteral(":/imprint/impressum.md"));
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(file.readAll());
}

}  // namespace fendra
