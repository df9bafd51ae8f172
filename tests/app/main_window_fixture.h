#pragma once
// A started and shown main window on the reference databases built from
// data/, driven through its controls' names.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <ostream>

#include "app/fendra_program.h"
#include "tests/app/built_databases.h"

// Failed comparisons of texts show the texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace fendra::testing {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path& databases = BuiltDatabases();
    ASSERT_FALSE(databases.empty());
    window_ = StartFendra(App(), std::make_unique<TDataModule>(databases));
    ASSERT_TRUE(window_);
    window_->resize(1366, 740);
    window_->show();
    QApplication::processEvents();
  }

  static TFendraApplication& App() { return static_cast<TFendraApplication&>(*QApplication::instance()); }

  template <typename T = QWidget>
  T* Find(const char* name) const {
    T* found = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QAction* Action(const char* name) const { return Find<QAction>(name); }
  void Click(const char* button) { Find<QAbstractButton>(button)->click(); }
  // The control's own visibility flag, whatever its tab shows.
  bool Shown(const char* name) const { return !Find(name)->isHidden(); }
  QString Panel(int panel) const { return window_->StatusPanels()->PanelText(panel); }
  QString PageName() const { return window_->PageControl()->currentWidget()->objectName(); }
  QColor Marker() const { return MarkerColor(window_->Marker()); }

  // Picks a tab the way a user does, with the mouse on the tab bar.
  void PickTab(const char* sheet) {
    QTabWidget* tabs = window_->PageControl();
    const int index = tabs->indexOf(Find(sheet));
    ASSERT_GE(index, 0) << sheet;
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    QApplication::processEvents();
  }

  std::unique_ptr<TfrmMain> window_;
};

}  // namespace fendra::testing
