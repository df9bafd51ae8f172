#pragma once
// Driving a shown main window through its controls' names, as a user does:
// finding controls, clicking buttons, picking tabs, and reading what the
// status bar, the marker and the visible page say. The fixtures that start
// the window derive from it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "app/fendra_application.h"
#include "app/main_toolbar.h"
#include "app/main_window.h"
#include "app/status_panels.h"

namespace fendra::testing {

class WindowDriverTest : public ::testing::Test {
 protected:
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
