#pragma once
// A cell of a finder's result row (rank, name or points). The row's
// explanation, why its remedy has its points, is the cell's hint: it shows on
// hovering and also on a click, for those who do not wait for it, and is the
// cell's accessible description for screen readers. Both finders use it.
#include <QLabel>
#include <QStringList>
#include <initializer_list>
#include <string>
#include <vector>

namespace fendra {

class TResultCell : public QLabel {
  Q_OBJECT
 public:
  TResultCell(const QString& text, QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool ShowsOnClick(const QMouseEvent* event) const;
};

// A result row's remedy name, as wide as the longest of the finder's names
// whatever it shows at the moment, so no name is ever cut and the result
// does not change width from one evaluation to the next.
class TResultNameCell : public TResultCell {
  Q_OBJECT
 public:
  TResultNameCell(QStringList names, const QString& text, QWidget* parent);
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 private:
  QStringList names_;
};

// The explanation lines joined one per line, as hint and accessible
// description of every cell of the row.
void SetRowExplanation(std::initializer_list<QLabel*> cells, const std::vector<std::string>& lines);

}  // namespace fendra
