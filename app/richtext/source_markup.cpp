#include "app/richtext/source_markup.h"

#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <vector>

namespace fendra {

namespace {

// While Markdown is read, each reference stands as a placeholder of
// private-use characters that Markdown leaves alone: U+E000, its number,
// U+E001. The names go in afterwards, so characters that mean something to
// Markdown stay text inside a name.
constexpr char16_t kOpen = 0xE000;
constexpr char16_t kClose = 0xE001;

}  // namespace

void ReadSourceMarkup(const QString& source, QTextDocument* document) {
  static const QRegularExpression reference(QStringLiteral("\\{\\{([^{}\\n]+)\\}\\}|\\[\\[([^\\[\\]\\n]+)\\]\\]"));
  std::vector<QString> names;
  QString marked;
  marked.reserve(source.size());
  qsizetype last = 0;
  for (auto it = reference.globalMatch(source); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    marked += QStringView(source).sliced(last, match.capturedStart() - last);
    const QString name = (match.capturedLength(1) > 0 ? match.captured(1) : match.captured(2)).trimmed();
    marked += QChar(kOpen) + QString::number(names.size()) + QChar(kClose);
    names.push_back(name);
    last = match.capturedEnd();
  }
  marked += QStringView(source).sliced(last);
  document->setMarkdown(marked);

  static const QRegularExpression placeholder(QString(QChar(kOpen)) + QStringLiteral("(\\d+)") + QChar(kClose));
  QTextCursor found = document->find(placeholder);
  while (!found.isNull()) {
    const qsizetype index = found.selectedText().mid(1).chopped(1).toLongLong();
    QTextCharFormat format = found.charFormat();
    format.setFontWeight(QFont::Bold);
    found.insertText(index >= 0 && size_t(index) < names.size() ? names[size_t(index)] : QString(), format);
    found = document->find(placeholder, found);
  }
}

}  // namespace fendra
