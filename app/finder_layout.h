#pragma once
// Layouts of the emergency modality finder.
//
// TColumnsLayout sets a group's check boxes in one or more columns, filled
// top to bottom and then left to right, so reading order stays number order.
//
// TFinderLayout places the three check box groups and the result panel in
// the widest arrangement the width allows:
//
//   Row        [Better][Worse][State][Result]
//
//   TwoRows    [Better][Worse][Result]
//              [State, two columns ]
//
//   Grid       [Better][Worse ]
//              [State ][Result]
//
// The arrangement depends on the width alone and every part keeps the height
// its content needs, so the layout's height for a width is exact: a scroll
// area around it scrolls only vertically, and only when the height is short.
// In the grid "Start" sits beside the last features, so on a short screen
// the results and the check boxes nearest to them are in view together.
#include <QGroupBox>
#include <QLayout>
#include <QList>

namespace fendra {

class TColumnsLayout : public QLayout {
 public:
  explicit TColumnsLayout(QWidget* parent);
  ~TColumnsLayout() override;

  int Columns() const { return columns_; }
  void SetColumns(int columns);
  // Size of the items in the given number of columns, margins included.
  QSize SizeFor(int columns) const;

  void addItem(QLayoutItem* item) override;
  int count() const override { return int(items_.size()); }
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  QSize sizeHint() const override { return SizeFor(columns_); }
  QSize minimumSize() const override { return SizeFor(columns_); }
  void setGeometry(const QRect& rect) override;

 private:
  int Rows(int columns) const;
  QSize Cell() const;

  QList<QLayoutItem*> items_;
  int columns_ = 1;
};

class TFinderLayout : public QLayout {
 public:
  enum class TArrangement { Row, TwoRows, Grid };

  // The state group's layout must be `stateColumns`; the layout takes the
  // four parts as its items.
  TFinderLayout(QWidget* parent, QGroupBox* better, QGroupBox* worse, QGroupBox* state,
                TColumnsLayout* stateColumns, QWidget* result);
  ~TFinderLayout() override;

  TArrangement ArrangementFor(int width) const;
  TArrangement Arrangement() const { return arrangement_; }

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
  struct TPart {
    int Width;
    int Height;
  };
  // The parts' natural sizes; the state group's for the given columns.
  TPart Better() const;
  TPart Worse() const;
  TPart State(int columns) const;
  TPart Result() const;
  // Width and height the arrangement needs, margins included.
  QSize Needs(TArrangement arrangement) const;
  // The parts' rectangles for a width, relative to the layout's origin.
  struct TPlacement {
    QRect Better, Worse, State, Result;
    int StateColumns;
  };
  TPlacement Place(TArrangement arrangement, int width) const;

  QList<QLayoutItem*> items_;  // better, worse, state, result
  QGroupBox* state_;
  TColumnsLayout* stateColumns_;
  TArrangement arrangement_ = TArrangement::Row;
};

}  // namespace fendra
