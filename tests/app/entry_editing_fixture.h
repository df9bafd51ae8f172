#pragma once
// A main window on databases of its own (text_commands_fixture.h) for tests
// that add, delete and edit entries: the message boxes the window runs are
// answered as they open, the errors it shows are kept, and the files can be
// checked with dvx check.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <string>

#include "app/key_search.h"
#include "engine/components/dataset_types.h"
#include "tests/app/text_commands_fixture.h"
#include "tests/tools/dvx_runner.h"

namespace fendra::testing {

// Answers the window's message boxes, one queued answer per box, and keeps
// each box's text. A box that opens with no answer queued is a failure; it
// is closed with its escape button so the test goes on.
class TMessageBoxAnswerer {
 public:
  TMessageBoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  void Queue(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
  const QStringList& Texts() const { return texts_; }
  int Pending() const { return static_cast<int>(answers_.size()); }
  void Clear() {
    texts_.clear();
    answers_.clear();
  }

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || box->property("answered").toBool()) return;
    box->setProperty("answered", true);
    texts_.push_back(box->text());
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected message: " << box->text().toStdString();
      box->reject();
      return;
    }
    const QMessageBox::StandardButton answer = answers_.front();
    answers_.pop_front();
    QAbstractButton* button = box->button(answer);
    if (button == nullptr) {
      ADD_FAILURE() << "the message has no button " << answer << ": " << box->text().toStdString();
      box->reject();
      return;
    }
    button->click();
  }

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
  QStringList texts_;
};

class EntryEditingTest : public OwnDatabasesTest {
 protected:
  void SetUp() override {
    App().SetErrorPresenterForTesting([this](const QString& text) { errors_.push_back(text); });
    OwnDatabasesTest::SetUp();
  }
  void TearDown() override {
    EXPECT_EQ(boxes_.Pending(), 0) << "answers left for message boxes that never opened";
    App().SetErrorPresenterForTesting(nullptr);
    OwnDatabasesTest::TearDown();
  }

  dvx::TDVXTable& Table(const char* component) { return window_->Data().TableComponent(component); }
  // Whether the table holds a record of exactly this name.
  bool Holds(const char* component, const char* field, const QString& name) {
    dvx::TDVXTable& table = Table(component);
    SeekNearestText(table, field, name);
    return CurrentText(table, field) == name;
  }
  void Type(const char* control, const QString& text) {
    QWidget* w = Find(control);
    w->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(w, text);
  }
  bool Enabled(const char* name) const { return Find(name)->isEnabled(); }
  QString InputText(const char* input) const { return Find<QLineEdit>(input)->text(); }

  // Runs `dvx check` on every database file of the folder; each must come
  // out clean.
  void ExpectFilesCheckClean() {
    for (const auto& file : fs::directory_iterator(folder_)) {
      if (file.path().extension() != ".dvx") continue;
      const dvxtest::TRun run = dvxtest::RunDvx("check '" + file.path().string() + "'");
      EXPECT_EQ(run.status, 0) << file.path().filename() << ":\n" << run.out;
    }
  }

  TMessageBoxAnswerer boxes_;
  QStringList errors_;
};

}  // namespace fendra::testing
