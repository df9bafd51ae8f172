#include "app/tool_bar_layout.h"

#include <algorithm>

#include <QFrame>
#include <QWidget>

namespace fendra {

namespace {

constexpr int kLineSpacing = 2;

// A sub-bar opens with its separator (see the tool bar); at the start of a
// line that separator would stand alone, so it is drawn only mid-line. Only
// the drawing changes, never the size, so the placement stays as it is.
void ShowOpeningSeparator(QWidget* subBar, bool shown) {
  QLayout* layout = subBar->layout();
  QLayoutItem* first = layout ? layout->itemAt(0) : nullptr;
  auto* separator = first ? qobject_cast<QFrame*>(first->widget()) : nullptr;
  if (!separator || !separator->property("toolSeparator").toBool()) return;
  const QFrame::Shape shape = shown ? QFrame::VLine : QFrame::NoFrame;
  if (separator->frameShape() != shape) separator->setFrameShape(shape);
}

}  // namespace

TToolBarLayout::TToolBarLayout(QWidget* parent) : QLayout(parent) {}

TToolBarLayout::~TToolBarLayout() { qDeleteAll(items_); }

void TToolBarLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* TToolBarLayout::itemAt(int index) const {
  return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* TToolBarLayout::takeAt(int index) {
  return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize TToolBarLayout::sizeHint() const {
  const QMargins m = contentsMargins();
  const int gap = std::max(0, spacing());
  int width = 0, height = 0, shown = 0;
  for (const QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;
    const QSize s = item->sizeHint();
    width += s.width();
    height = std::max(height, s.height());
    ++shown;
  }
  width += std::max(0, shown - 1) * gap;
  return QSize(m.left() + width + m.right(), m.top() + height + m.bottom());
}

// As narrow as its widest item; as low as one line.
QSize TToolBarLayout::minimumSize() const {
  const QMargins m = contentsMargins();
  int width = 0, height = 0;
  for (const QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;
    width = std::max(width, item->sizeHint().width());
    height = std::max(height, item->sizeHint().height());
  }
  return QSize(m.left() + width + m.right(), m.top() + height + m.bottom());
}

int TToolBarLayout::heightForWidth(int width) const {
  return const_cast<TToolBarLayout*>(this)->Arrange(QRect(0, 0, width, 0), false);
}

void TToolBarLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  Arrange(rect, true);
}

int TToolBarLayout::Arrange(const QRect& rect, bool place) {
  const QMargins m = contentsMargins();
  const int gap = std::max(0, spacing());
  const int left = rect.left() + m.left();
  const int right = rect.right() - m.right();
  // First pass: which line each shown item goes to, and each line's height.
  struct TSlot {
    QLayoutItem* Item;
    int Line;
    int X;
  };
  QList<TSlot> placed;
  QList<int> lineHeights{0};
  int x = left;
  for (QLayoutItem* item : items_) {
    if (item->isEmpty() || item->spacerItem()) continue;
    const QSize s = item->sizeHint();
    if (x > left && x + s.width() - 1 > right) {
      lineHeights.append(0);
      x = left;
    }
    placed.append({item, int(lineHeights.size()) - 1, x});
    lineHeights.last() = std::max(lineHeights.last(), s.height());
    x += s.width() + gap;
  }
  int height = 0;
  for (int h : lineHeights) height += h;
  height += int(lineHeights.size() - 1) * kLineSpacing;
  if (place) {
    lines_ = int(lineHeights.size());
    QList<int> tops{rect.top() + m.top()};
    for (int i = 1; i < lineHeights.size(); ++i)
      tops.append(tops.last() + lineHeights[i - 1] + kLineSpacing);
    for (int i = 0; i < placed.size(); ++i) {
      const TSlot& slot = placed[i];
      // Items that may grow (separators, sub-bars) take the line's height;
      // the others keep theirs and sit in the middle of the line.
      QSize s = slot.Item->sizeHint();
      if (slot.Item->expandingDirections() & Qt::Vertical ||
          (slot.Item->widget() &&
           slot.Item->widget()->sizePolicy().verticalPolicy() & QSizePolicy::GrowFlag))
        s.setHeight(std::min(lineHeights[slot.Line], slot.Item->maximumSize().height()));
      const int top = tops[slot.Line] + (lineHeights[slot.Line] - s.height()) / 2;
      slot.Item->setGeometry(QRect(QPoint(slot.X, top), s));
      if (QWidget* w = slot.Item->widget(); w && w->property("subBar").toBool())
        ShowOpeningSeparator(w, i > 0 && placed[i - 1].Line == slot.Line);
    }
  }
  return m.top() + height + m.bottom();
}

}  // namespace fendra
