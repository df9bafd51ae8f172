#pragma once
// A box that sets its two parts side by side (the first on the left) where
// it is at least `sideBySideWidth` wide and, where it is narrower, one above
// the other in the order asked for. It asks only for the width the stacked arrangement needs, so a
// narrow screen gets that one instead of a window wider than the screen;
// its minimum height is the one of the arrangement it has.
#include <QBoxLayout>
#include <QWidget>

namespace fendra {

class TFlipBox : public QWidget {
  Q_OBJECT
 public:
  enum class TStacked { FirstOnTop, SecondOnTop };
  // `second` takes the stretch.
  TFlipBox(QWidget* parent, const char* name, int sideBySideWidth, QWidget* first, QWidget* second,
           TStacked stacked);

  bool SideBySide() const { return layout_->direction() == QBoxLayout::LeftToRight; }
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Arrange(int width);

  QBoxLayout* layout_;
  QWidget* first_;
  QWidget* second_;
  int sideBySideWidth_;
  QBoxLayout::Direction stackedDirection_;
};

}  // namespace fendra
