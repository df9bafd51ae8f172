// Closing the window while a change is not stored: "Programm beenden", the
// menu's end command and closing the window ask "Änderungen speichern?";
// Ja stores and closes, Nein drops and closes, Abbrechen keeps the window
// and the change; a store that fails keeps the window open with the error.
#include <QMenu>

#include "app/data_controls/db_rich_edit.h"
#include "tests/app/entry_editing_fixture.h"

namespace fendra::testing {
namespace {

class UnsavedChangesTest : public EntryEditingTest {
 protected:
  // Types into the A-to-Z text of the first entry; returns its name.
  QString TypeIntoAtoZText(const QString& text) {
    PickTab("TsIndikAZ");
    auto* view = Find<TDBRichEdit>("DbReIndAZ");
    view->setFocus(Qt::MouseFocusReason);
    view->moveCursor(QTextCursor::Start);
    QTest::keyClicks(view, text);
    EXPECT_EQ(Table("TblIndList").State(), dvx::dsEdit);
    return CurrentText(Table("TblIndList"), "Indikationen");
  }
  QString StoredAtoZText(const QString& name) {
    EXPECT_TRUE(Holds("TblIndList", "Indikationen", name));
    return Find<TDBRichEdit>("DbReIndAZ")->toPlainText();
  }
  bool WindowOpen() const { return window_->isVisible(); }
};

TEST_F(UnsavedChangesTest, NothingPendingClosesWithoutAQuestion) {
  Click("SbPrgEnd");
  EXPECT_FALSE(WindowOpen());
  EXPECT_TRUE(boxes_.Texts().isEmpty());
}

TEST_F(UnsavedChangesTest, JaStoresThePendingTextAndCloses) {
  const QString before = Find<TDBRichEdit>("DbReIndAZ")->toPlainText();
  const QString name = TypeIntoAtoZText(QStringLiteral("Gespeichert "));
  boxes_.Queue(QMessageBox::Yes);
  Click("SbPrgEnd");
  EXPECT_EQ(boxes_.Texts(), QStringList{"Änderungen speichern?"});
  EXPECT_FALSE(WindowOpen());
  Restart();
  EXPECT_EQ(StoredAtoZText(name), QStringLiteral("Gespeichert ") + before);
}

TEST_F(UnsavedChangesTest, NeinDropsThePendingTextAndCloses) {
  TypeIntoAtoZText(QStringLiteral("Verworfen "));
  boxes_.Queue(QMessageBox::No);
  Action("MuEnd")->trigger();
  EXPECT_EQ(boxes_.Texts(), QStringList{"Änderungen speichern?"});
  EXPECT_FALSE(WindowOpen());
  EXPECT_EQ(Table("TblIndList").State(), dvx::dsBrowse);
  Stop();
  EXPECT_EQ(ReadAllTables(folder_), ReadAllTables(BuiltDatabases()));
}

TEST_F(UnsavedChangesTest, AbbrechenKeepsTheWindowAndTheChangeWhichCanStillBeStored) {
  const QString before = Find<TDBRichEdit>("DbReIndAZ")->toPlainText();
  const QString name = TypeIntoAtoZText(QStringLiteral("Behalten "));
  boxes_.Queue(QMessageBox::Cancel);
  window_->close();
  EXPECT_EQ(boxes_.Texts(), QStringList{"Änderungen speichern?"});
  EXPECT_TRUE(WindowOpen());
  EXPECT_EQ(Table("TblIndList").State(), dvx::dsEdit);
  EXPECT_TRUE(Find<TDBRichEdit>("DbReIndAZ")->toPlainText().startsWith("Behalten "));
  // Then closing again and storing.
  boxes_.Queue(QMessageBox::Yes);
  window_->close();
  EXPECT_FALSE(WindowOpen());
  Restart();
  EXPECT_EQ(StoredAtoZText(name), QStringLiteral("Behalten ") + before);
}

TEST_F(UnsavedChangesTest, JaWithAPostThatFailsKeepsTheWindowOpenWithTheError) {
  PickTab("TsIndikAZ");
  const QString existing = CurrentText(Table("TblIndList"), "Indikationen");
  Click("PaBtIndAZNaviNeu");
  Click("BtIndikNeu");
  Type("DbEdIndAZNew", existing);
  boxes_.Queue(QMessageBox::Yes);
  Click("SbPrgEnd");
  EXPECT_TRUE(WindowOpen());
  ASSERT_EQ(errors_.size(), 1);
  EXPECT_TRUE(errors_[0].contains("Duplicate found")) << errors_[0].toStdString();
  EXPECT_EQ(Table("TblIndList").State(), dvx::dsInsert);
  // Nein then gives the insert up.
  boxes_.Queue(QMessageBox::No);
  Click("SbPrgEnd");
  EXPECT_FALSE(WindowOpen());
  Stop();
  EXPECT_EQ(ReadAllTables(folder_), ReadAllTables(BuiltDatabases()));
}

TEST_F(UnsavedChangesTest, AChangeInEachOfTwoTablesIsStoredByOneJa) {
  const QString name = TypeIntoAtoZText(QStringLiteral("Eins "));
  PickTab("TsAML");
  Type("DBEdMMAkk", QStringLiteral("Q"));
  EXPECT_EQ(Table("TblAML").State(), dvx::dsEdit);
  const QString remedy = CurrentText(Table("TblAML"), "Hom Bezeichnung");
  const QString abbreviation = Find<QLineEdit>("DBEdMMAkk")->text();
  boxes_.Queue(QMessageBox::Yes);
  Click("SbPrgEnd");
  EXPECT_EQ(boxes_.Texts().size(), 1) << "one question for all pending changes";
  EXPECT_FALSE(WindowOpen());
  Restart();
  EXPECT_TRUE(StoredAtoZText(name).startsWith("Eins "));
  EXPECT_TRUE(Holds("TblAML", "Hom Bezeichnung", remedy));
  EXPECT_EQ(CurrentText(Table("TblAML"), "Abkürzung"), abbreviation);
}

}  // namespace
}  // namespace fendra::testing
