// Two programs on the same files: the window edits one entry while a
// second process (this test program started again, running only the
// second program's part) reads and edits another; both changes are kept
// and the files check clean. A record the second process holds in edit
// cannot be changed in the window: after the retries the user reads the
// German lock message and nothing is written.
#include <QProcess>
#include <QProcessEnvironment>
#include <iostream>

#include "app/data_controls/db_rich_edit.h"
#include "app/lock_messages.h"
#include "tests/app/entry_editing_fixture.h"

namespace fendra::testing {
namespace {

// What the second program is to do, handed over in its environment.
constexpr const char* kFolderVariable = "FENDRA_SECOND_PROGRAM_FOLDER";
constexpr const char* kEntryVariable = "FENDRA_SECOND_PROGRAM_ENTRY";
constexpr const char* kActionVariable = "FENDRA_SECOND_PROGRAM_ACTION";  // "store" or "hold"
constexpr const char* kListVariable = "FENDRA_SECOND_PROGRAM_LIST";      // "remedies": the materia medica
constexpr const char* kSecondText = "Vom zweiten Programm geschrieben";

// The second program: opens the data module on the folder, positions the
// A-to-Z list (or the materia medica) on the entry and either stores a new
// text for it, or puts it into edit state, says "LOCKED" and keeps it so
// until a line arrives on standard input. Skipped when the test program
// runs on its own.
TEST(SecondProgram, EditsAnEntry) {
  const QByteArray folder = qgetenv(kFolderVariable);
  if (folder.isEmpty()) GTEST_SKIP() << "run by the two-programs tests only";
  TDataModule module(folder.toStdString());
  module.Activate();
  const bool remedies = qgetenv(kListVariable) == "remedies";
  dvx::TDVXTable& list = module.TableComponent(remedies ? "TblAML" : "TblIndList");
  const char* nameField = remedies ? "Hom Bezeichnung" : "Indikationen";
  const QString entry = QString::fromUtf8(qgetenv(kEntryVariable));
  SeekNearestText(list, nameField, entry);
  ASSERT_EQ(CurrentText(list, nameField), entry);
  list.Edit();
  if (qgetenv(kActionVariable) == "hold") {
    std::cout << "LOCKED" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    list.Cancel();
    return;
  }
  list.FieldByName(remedies ? "AMB" : "Detail").SetAsString(kSecondText);
  list.Post();
}

class TwoProgramsTest : public EntryEditingTest {
 protected:
  void StartSecond(const QString& entry, const char* action, const char* list = "indications") {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kListVariable, QString::fromLatin1(list));
    environment.insert(kFolderVariable, QString::fromStdString(folder_.string()));
    environment.insert(kEntryVariable, entry);
    environment.insert(kActionVariable, QString::fromLatin1(action));
    second_.setProcessEnvironment(environment);
    second_.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=SecondProgram.EditsAnEntry"});
    ASSERT_TRUE(second_.waitForStarted(30000));
  }
  void ExpectSecondSucceeds() {
    ASSERT_TRUE(second_.waitForFinished(120000));
    EXPECT_EQ(second_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second_.exitCode(), 0) << second_.readAll().toStdString();
  }
  void WaitUntilSecondHoldsTheLock() {
    QByteArray out;
    while (!out.contains("LOCKED")) {
      ASSERT_TRUE(second_.waitForReadyRead(60000)) << out.toStdString();
      out += second_.readAllStandardOutput();
    }
  }
  // Types into the A-to-Z text at its start.
  void TypeIntoText(const QString& text) {
    auto* view = Find<TDBRichEdit>("DbReIndAZ");
    view->setFocus(Qt::MouseFocusReason);
    view->moveCursor(QTextCursor::Start);
    QTest::keyClicks(view, text);
  }
  QString Current() { return CurrentText(Table("TblIndList"), "Indikationen"); }

  QProcess second_;
};

TEST_F(TwoProgramsTest, ChangesToTwoEntriesFromTwoProgramsAreBothKept) {
  PickTab("TsIndikAZ");
  const QString mine = Current();
  const QString before = Find<TDBRichEdit>("DbReIndAZ")->toPlainText();
  Click("NaIndAZNext");
  const QString theirs = Current();
  Click("NaIndAZPrior");
  // The window holds its entry in edit state while the other program
  // changes the next one.
  TypeIntoText(QStringLiteral("Im Fenster: "));
  ASSERT_EQ(Table("TblIndList").State(), dvx::dsEdit);
  StartSecond(theirs, "store");
  ExpectSecondSucceeds();
  // Moving on stores the window's change and shows the other's.
  Click("NaIndAZNext");
  EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
  ASSERT_EQ(Current(), theirs);
  Table("TblIndList").Refresh();
  EXPECT_EQ(Find<TDBRichEdit>("DbReIndAZ")->toPlainText(), kSecondText);

  Restart();
  ASSERT_TRUE(Holds("TblIndList", "Indikationen", mine));
  EXPECT_EQ(Find<TDBRichEdit>("DbReIndAZ")->toPlainText(), QStringLiteral("Im Fenster: ") + before);
  ASSERT_TRUE(Holds("TblIndList", "Indikationen", theirs));
  EXPECT_EQ(Find<TDBRichEdit>("DbReIndAZ")->toPlainText(), kSecondText);
  Stop();
  ExpectFilesCheckClean();
}

TEST_F(TwoProgramsTest, AnEntryLockedByTheOtherProgramGivesTheGermanLockMessageAndNothingIsWritten) {
  PickTab("TsIndikAZ");
  const QString entry = Current();
  const QString before = Find<TDBRichEdit>("DbReIndAZ")->toPlainText();
  StartSecond(entry, "hold");
  WaitUntilSecondHoldsTheLock();
  // The first keystroke asks for the record's lock, retried for some
  // seconds, then given up.
  TypeIntoText(QStringLiteral("X"));
  ASSERT_EQ(errors_.size(), 1);
  EXPECT_TRUE(errors_[0].startsWith("Der Eintrag ist gerade in einem anderen Programm in Bearbeitung und gesperrt."))
      << errors_[0].toStdString();
  EXPECT_TRUE(errors_[0].contains("cannot lock record")) << "the engine's details follow";
  EXPECT_EQ(Table("TblIndList").State(), dvx::dsBrowse);
  EXPECT_EQ(Find<TDBRichEdit>("DbReIndAZ")->toPlainText(), before);
  second_.write("weiter\n");
  ExpectSecondSucceeds();
  // The text view still follows the list after the refused edit.
  Click("NaIndAZNext");
  EXPECT_NE(Find<TDBRichEdit>("DbReIndAZ")->toPlainText(), before);
  Click("NaIndAZPrior");
  EXPECT_EQ(Find<TDBRichEdit>("DbReIndAZ")->toPlainText(), before);
  // Once the other program lets go, the entry takes changes again.
  TypeIntoText(QStringLiteral("Y"));
  EXPECT_EQ(Table("TblIndList").State(), dvx::dsEdit);
  Table("TblIndList").Cancel();
  Stop();
  EXPECT_EQ(ReadAllTables(folder_), ReadAllTables(BuiltDatabases()));
}

TEST_F(TwoProgramsTest, SwitchingARemedysPageShowsWhatTheOtherProgramStored) {
  PickTab("TsAML");
  Click("PaMMGesBild");
  const QString remedy = CurrentText(Table("TblAML"), "Hom Bezeichnung");
  ASSERT_NE(Find<TDBRichEdit>("DbReMMGesBild")->toPlainText(), kSecondText);
  StartSecond(remedy, "store", "remedies");
  ExpectSecondSucceeds();
  // Each page command refreshes the remedy.
  Click("PaMMIndik");
  Click("PaMMGesBild");
  EXPECT_EQ(Find<TDBRichEdit>("DbReMMGesBild")->toPlainText(), kSecondText);
  EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
}

TEST(LockMessagesTest, OnlyLockFailuresAreSaidInGerman) {
  for (const char* lock : {"Error editing record - cannot lock record in 'U' mode. TableName = 'IndList' - Native error: 30961",
                           "Canot lock record - already locked, tableName = 'Emerg' - Native error: 10767",
                           "Error - cannot lock table in 'W' mode, table name = 'TABHOM' - Native error: 10533"}) {
    EXPECT_TRUE(IsLockFailure(QString::fromLatin1(lock))) << lock;
    EXPECT_TRUE(UserErrorText(QString::fromLatin1(lock)).endsWith(QString::fromLatin1(lock)));
  }
  const QString other = QStringLiteral("Error inserting record: Constraint unique 'Ind' violated. Duplicate found.");
  EXPECT_FALSE(IsLockFailure(other));
  EXPECT_EQ(UserErrorText(other), other);
  EXPECT_FALSE(IsLockFailure(QStringLiteral("Record locked elsewhere? Cannot locate record")));
}

}  // namespace
}  // namespace fendra::testing
