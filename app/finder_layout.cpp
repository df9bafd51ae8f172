#include "app/finder_layout.h"

#include <algorithm>
#include <cstdlib>

#include <QWidget>

namespace fendra {

namespace {

constexpr int kColumnGap = 16;  // between the columns of a check box group
constexpr int kMaxGrowth = 48;  // a column widens at most this much beyond its need

int HalfUp(int value) { return (value + 1) / 2; }

}  // namespace

// --- TColumnsLayout ------------------------------------------------------------

TColumnsLayout::TColumnsLayout(QWidget* parent) : QLayout(parent) {}

TColumnsLayout::~TColumnsLayout() { qDeleteAll(items_); }

void TColumnsLayout::SetColumns(int columns) {
  columns = std::max(1, columns);
  if (columns == columns_) return;
  columns_ = columns;
  invalidate();
}

void TColumnsLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* TColumnsLayout::itemAt(int index) const {
  return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* TColumnsLayout::takeAt(int index) {
  return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

int TColumnsLayout::Rows(int columns) const {
  return (int(items_.size()) + columns - 1) / columns;
}

QSize TColumnsLayout::Cell() const {
  QSize cell(0, 0);
  for (const QLayoutItem* item : items_) cell = cell.expandedTo(item->sizeHint());
  return cell;
}

QSize TColumnsLayout::SizeFor(int columns) const {
  columns = std::max(1, columns);
  const QMargins m = contentsMargins();
  const QSize cell = Cell();
  const int rows = Rows(columns);
  const int spacing = std::max(0, this->spacing());
  return QSize(m.left() + columns * cell.width() + (columns - 1) * kColumnGap + m.right(),
               m.top() + rows * cell.height() + std::max(0, rows - 1) * spacing + m.bottom());
}

void TColumnsLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  if (items_.isEmpty()) return;
  const QRect area = rect.marginsRemoved(contentsMargins());
  const QSize cell = Cell();
  const int rows = Rows(columns_);
  const int spacing = std::max(0, this->spacing());
  const int columnWidth =
      std::max(cell.width(), (area.width() - (columns_ - 1) * kColumnGap) / columns_);
  for (int i = 0; i < items_.size(); ++i) {
    const int column = i / rows;
    const int row = i % rows;
    items_[i]->setGeometry(QRect(area.left() + column * (columnWidth + kColumnGap),
                                 area.top() + row * (cell.height() + spacing), columnWidth,
                                 cell.height()));
  }
}

// --- TFinderLayout -------------------------------------------------------------

TFinderLayout::TFinderLayout(QWidget* parent, QGroupBox* better, QGroupBox* worse,
                             QGroupBox* state, TColumnsLayout* stateColumns, QWidget* result)
    : QLayout(parent), state_(state), stateColumns_(stateColumns) {
  for (QWidget* part : {static_cast<QWidget*>(better), static_cast<QWidget*>(worse),
                        static_cast<QWidget*>(state), result}) {
    addChildWidget(part);
    items_.append(new QWidgetItem(part));
  }
}

TFinderLayout::~TFinderLayout() { qDeleteAll(items_); }

// The four parts are fixed; nothing else joins.
void TFinderLayout::addItem(QLayoutItem* item) { delete item; }

QLayoutItem* TFinderLayout::itemAt(int index) const {
  return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

// A part taken away (its widget deleted) leaves the layout without work:
// every computation below needs all four.
QLayoutItem* TFinderLayout::takeAt(int index) {
  return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

TFinderLayout::TPart TFinderLayout::Better() const {
  const QSize s = items_[0]->sizeHint();
  return {s.width(), s.height()};
}

TFinderLayout::TPart TFinderLayout::Worse() const {
  const QSize s = items_[1]->sizeHint();
  return {s.width(), s.height()};
}

TFinderLayout::TPart TFinderLayout::State(int columns) const {
  // The group's frame and title around its columns stay the same whatever
  // the number of columns.
  const QSize frame = state_->sizeHint() - stateColumns_->sizeHint();
  const QSize s = frame + stateColumns_->SizeFor(columns);
  return {s.width(), s.height()};
}

TFinderLayout::TPart TFinderLayout::Result() const {
  const QSize s = items_[3]->sizeHint();
  return {s.width(), s.height()};
}

QSize TFinderLayout::Needs(TArrangement arrangement) const {
  if (items_.size() != 4) return {};
  const QMargins m = contentsMargins();
  const int gap = std::max(0, spacing());
  const TPart b = Better(), w = Worse(), r = Result();
  const int groupsHigh = std::max(b.Height, w.Height);
  int width = 0, height = 0;
  switch (arrangement) {
    case TArrangement::Row: {
      const TPart s = State(1);
      const int group = std::max({b.Width, w.Width, s.Width});
      width = 3 * group + 3 * gap + r.Width;
      height = std::max({groupsHigh, s.Height, r.Height});
      break;
    }
    case TArrangement::TwoRows: {
      const TPart s = State(2);
      const int group = std::max({b.Width, w.Width, HalfUp(s.Width - gap)});
      width = 2 * group + 2 * gap + r.Width;
      height = std::max(groupsHigh + gap + s.Height, r.Height);
      break;
    }
    case TArrangement::Grid: {
      const TPart s = State(1);
      width = std::max(b.Width, s.Width) + gap + std::max(w.Width, r.Width);
      height = groupsHigh + gap + std::max(s.Height, r.Height);
      break;
    }
  }
  return QSize(m.left() + width + m.right(), m.top() + height + m.bottom());
}

TFinderLayout::TArrangement TFinderLayout::ArrangementFor(int width) const {
  for (TArrangement a : {TArrangement::Row, TArrangement::TwoRows})
    if (Needs(a).width() <= width) return a;
  return TArrangement::Grid;
}

TFinderLayout::TPlacement TFinderLayout::Place(TArrangement arrangement, int width) const {
  const QMargins m = contentsMargins();
  const int gap = std::max(0, spacing());
  const int extra = std::max(0, width - Needs(arrangement).width());
  const TPart b = Better(), w = Worse(), r = Result();
  const int groupsHigh = std::max(b.Height, w.Height);
  const int x = m.left(), y = m.top();
  TPlacement p{};
  switch (arrangement) {
    case TArrangement::Row: {
      const TPart s = State(1);
      const int grow = std::min(extra / 4, kMaxGrowth);
      const int group = std::max({b.Width, w.Width, s.Width}) + grow;
      // The groups of one row share its height; the result keeps its own.
      const int high = std::max(groupsHigh, s.Height);
      p.Better = QRect(x, y, group, high);
      p.Worse = QRect(x + group + gap, y, group, high);
      p.State = QRect(x + 2 * (group + gap), y, group, high);
      p.Result = QRect(x + 3 * (group + gap), y, r.Width + grow, r.Height);
      p.StateColumns = 1;
      break;
    }
    case TArrangement::TwoRows: {
      const TPart s = State(2);
      const int grow = std::min(extra / 3, kMaxGrowth);
      const int group = std::max({b.Width, w.Width, HalfUp(s.Width - gap)}) + grow;
      p.Better = QRect(x, y, group, groupsHigh);
      p.Worse = QRect(x + group + gap, y, group, groupsHigh);
      p.State = QRect(x, y + groupsHigh + gap, 2 * group + gap, s.Height);
      p.Result = QRect(x + 2 * (group + gap), y, r.Width + grow, r.Height);
      p.StateColumns = 2;
      break;
    }
    case TArrangement::Grid: {
      const TPart s = State(1);
      // The narrower column catches up with the wider one first.
      int left = std::max(b.Width, s.Width);
      int right = std::max(w.Width, r.Width);
      int spare = extra;
      const int catchUp = std::min(spare, std::abs(right - left));
      (left < right ? left : right) += catchUp;
      spare -= catchUp;
      const int grow = std::min(spare / 2, kMaxGrowth);
      left += grow;
      right += grow;
      const int secondRow = y + groupsHigh + gap;
      p.Better = QRect(x, y, left, groupsHigh);
      p.Worse = QRect(x + left + gap, y, right, groupsHigh);
      p.State = QRect(x, secondRow, left, s.Height);
      p.Result = QRect(x + left + gap, secondRow, right, r.Height);
      p.StateColumns = 1;
      break;
    }
  }
  return p;
}

QSize TFinderLayout::sizeHint() const { return Needs(TArrangement::Row); }

// As narrow as the narrowest arrangement; the height a width needs comes from
// heightForWidth, so the minimum claims no more than the widest one's.
QSize TFinderLayout::minimumSize() const {
  return QSize(Needs(TArrangement::Grid).width(), Needs(TArrangement::Row).height());
}

int TFinderLayout::heightForWidth(int width) const {
  return Needs(ArrangementFor(width)).height();
}

void TFinderLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  if (items_.size() != 4) return;
  arrangement_ = ArrangementFor(rect.width());
  const TPlacement p = Place(arrangement_, rect.width());
  stateColumns_->SetColumns(p.StateColumns);
  const QPoint origin = rect.topLeft();
  items_[0]->setGeometry(p.Better.translated(origin));
  items_[1]->setGeometry(p.Worse.translated(origin));
  items_[2]->setGeometry(p.State.translated(origin));
  items_[3]->setGeometry(p.Result.translated(origin));
}

}  // namespace fendra
