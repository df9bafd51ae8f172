#include "app/flip_box.h"

#include <algorithm>

#include <QResizeEvent>

namespace fendra {

TFlipBox::TFlipBox(QWidget* parent, const char* name, int sideBySideWidth, QWidget* first,
                   QWidget* second, TStacked stacked)
    : QWidget(parent),
      first_(first),
      second_(second),
      sideBySideWidth_(sideBySideWidth),
      stackedDirection_(stacked == TStacked::FirstOnTop ? QBoxLayout::TopToBottom : QBoxLayout::BottomToTop) {
  setObjectName(name);
  layout_ = new QBoxLayout(stackedDirection_, this);
  layout_->setSpacing(6);
  layout_->setContentsMargins(0, 0, 0, 0);
  // The box's minimum is its own (see minimumSizeHint), not the side by side
  // layout's.
  layout_->setSizeConstraint(QLayout::SetNoConstraint);
  layout_->addWidget(first_);
  layout_->addWidget(second_, 1);
}

QSize TFlipBox::minimumSizeHint() const {
  const QSize a = first_->minimumSizeHint().expandedTo(first_->minimumSize());
  const QSize b = second_->minimumSizeHint().expandedTo(second_->minimumSize());
  const int gap = layout_->spacing();
  const int height = SideBySide() ? std::max(a.height(), b.height()) : a.height() + gap + b.height();
  return QSize(std::max(a.width(), b.width()), height);
}

void TFlipBox::resizeEvent(QResizeEvent* event) {
  Arrange(event->size().width());
  QWidget::resizeEvent(event);
}

void TFlipBox::Arrange(int width) {
  const auto direction = width >= sideBySideWidth_ ? QBoxLayout::LeftToRight : stackedDirection_;
  if (layout_->direction() == direction) return;
  layout_->setDirection(direction);
  layout_->setStretchFactor(second_, 1);
  updateGeometry();
}

}  // namespace fendra
