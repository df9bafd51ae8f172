#pragma once
// The record navigator of a list: first, prior, next and last record.
#include <QFrame>
#include <QToolButton>

namespace fendra {

// The four buttons are named after the navigator with the suffixes First,
// Prior, Next and Last. Until a dataset is attached they are disabled.
class TDbNavigator : public QFrame {
  Q_OBJECT
 public:
  TDbNavigator(QWidget* parent, const char* name);
  QToolButton* First() const { return first_; }
  QToolButton* Prior() const { return prior_; }
  QToolButton* Next() const { return next_; }
  QToolButton* Last() const { return last_; }

 private:
  QToolButton* first_;
  QToolButton* prior_;
  QToolButton* next_;
  QToolButton* last_;
};

}  // namespace fendra
