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
#include "tests/app/window_driver.h"

// Failed comparisons of texts show the texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace fendra::testing {

class MainWindowTest : public WindowDriverTest {
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

};

}  // namespace fendra::testing
