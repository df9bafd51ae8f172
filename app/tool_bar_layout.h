#pragma once
// The main tool bar's layout: its commands left to right in one line while
// the window is wide enough, continued on further lines when it is not, so
// the tool bar never makes the window wider than a small screen and hides
// no command. A sub-bar that opens a line does not show its separator there.
#include <QLayout>
#include <QList>

namespace fendra {

class TToolBarLayout : public QLayout {
 public:
  explicit TToolBarLayout(QWidget* parent);
  ~TToolBarLayout() override;

  // Number of lines the last placement used.
  int Lines() const { return lines_; }

  void addItem(QLayoutItem* item) override;
  int count() const override { return int(items_.size()); }
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  Qt::Orientations expandingDirections() const override { return {}; }
  void setGeometry(const QRect& rect) override;

 private:
  // Lays the items out for a width; places them only when `place` is set.
  // Returns the height used, margins included.
  int Arrange(const QRect& rect, bool place);

  QList<QLayoutItem*> items_;
  int lines_ = 1;
};

}  // namespace fendra
