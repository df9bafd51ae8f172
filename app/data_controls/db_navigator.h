#pragma once
// TDBNavigator: the buttons that move through a dataset and change its
// records: first, prior, next, last, and optionally insert, delete, edit,
// post, cancel and refresh. The buttons are named after the navigator with
// the suffixes First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel
// and Refresh. Only the four moving buttons are shown unless
// SetVisibleButtons says otherwise.
//
// Enabled states, from the dataset:
//   First, Prior     open and not at the beginning (Bof)
//   Next, Last       open and not at the end (Eof)
//   Insert           open and changeable
//   Delete, Edit     open, changeable, not empty (Edit: not already editing)
//   Post, Cancel     editing or inserting
//   Refresh          open and not editing
// Without an open dataset every button is disabled.
//
// A button's hint is its tool tip and its status tip alike, so the status
// bar shows it too. Delete asks first unless ConfirmDelete is off.
#include <QFrame>
#include <QString>
#include <QStringList>
#include <QToolButton>
#include <array>
#include <memory>

namespace dvx {
class TDataSource;
}

namespace fendra {

class TDBNavigator : public QFrame {
  Q_OBJECT
 public:
  enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
  static constexpr int kButtonCount = 10;
  using TButtonSet = unsigned;
  static constexpr TButtonSet Bit(TNavigateBtn button) { return 1u << button; }
  static constexpr TButtonSet kMoveButtons = (1u << nbFirst) | (1u << nbPrior) | (1u << nbNext) | (1u << nbLast);
  static constexpr TButtonSet kAllButtons = (1u << kButtonCount) - 1;

  TDBNavigator(QWidget* parent, const char* name);
  ~TDBNavigator() override;

  dvx::TDataSource* DataSource() const;
  void SetDataSource(dvx::TDataSource* source);

  QToolButton* Button(TNavigateBtn button) const { return buttons_[button]; }
  QToolButton* First() const { return buttons_[nbFirst]; }
  QToolButton* Prior() const { return buttons_[nbPrior]; }
  QToolButton* Next() const { return buttons_[nbNext]; }
  QToolButton* Last() const { return buttons_[nbLast]; }

  TButtonSet VisibleButtons() const { return visible_; }
  void SetVisibleButtons(TButtonSet buttons);
  // Hints in button order; an empty entry keeps the button's default hint.
  void SetHints(const QStringList& hints);
  static QString DefaultHint(TNavigateBtn button);
  bool ConfirmDelete() const { return confirmDelete_; }
  void SetConfirmDelete(bool confirm) { confirmDelete_ = confirm; }

  // What a click on the button does.
  void BtnClick(TNavigateBtn button);

 signals:
  // After a button's action (a window adds its own effect here).
  void Clicked(TDBNavigator::TNavigateBtn button);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class TNavigatorLink;
  void UpdateButtons();

  std::unique_ptr<TNavigatorLink> link_;
  std::array<QToolButton*, kButtonCount> buttons_{};
  TButtonSet visible_ = kMoveButtons;
  bool confirmDelete_ = true;
};

}  // namespace fendra
