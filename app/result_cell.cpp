#include "app/result_cell.h"

#include <QMouseEvent>
#include <QStringList>
#include <QToolTip>
#include <algorithm>
#include <utility>

namespace fendra {

TResultCell::TResultCell(const QString& text, QWidget* parent) : QLabel(text, parent) {}

// Both halves of a click stay here: a release passed on to the parent would
// meet the new tip's own event filter and close the tip at once.
void TResultCell::mousePressEvent(QMouseEvent* event) {
  if (ShowsOnClick(event))
    event->accept();
  else
    QLabel::mousePressEvent(event);
}

void TResultCell::mouseReleaseEvent(QMouseEvent* event) {
  if (!ShowsOnClick(event)) {
    QLabel::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  QToolTip::showText(event->globalPosition().toPoint(), toolTip(), this);
}

bool TResultCell::ShowsOnClick(const QMouseEvent* event) const {
  return event->button() == Qt::LeftButton && !toolTip().isEmpty();
}

TResultNameCell::TResultNameCell(QStringList names, const QString& text, QWidget* parent)
    : TResultCell(text, parent), names_(std::move(names)) {}

QSize TResultNameCell::minimumSizeHint() const {
  QSize size = QLabel::minimumSizeHint();
  int widest = 0;
  for (const QString& name : names_) widest = std::max(widest, fontMetrics().horizontalAdvance(name));
  const QMargins m = contentsMargins();
  size.setWidth(std::max(size.width(), widest + m.left() + m.right() + 2 * margin() + 2));
  return size;
}

QSize TResultNameCell::sizeHint() const { return QLabel::sizeHint().expandedTo(minimumSizeHint()); }

void SetRowExplanation(std::initializer_list<QLabel*> cells, const std::vector<std::string>& lines) {
  QStringList joined;
  for (const std::string& line : lines) joined << QString::fromStdString(line);
  const QString why = joined.join(QLatin1Char('\n'));
  for (QLabel* cell : cells) {
    cell->setToolTip(why);
    cell->setAccessibleDescription(why);
  }
}

}  // namespace fendra
