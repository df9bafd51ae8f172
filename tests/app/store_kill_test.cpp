// The program killed while it stores entries: a second process runs the
// window on a copy of the databases and stores new A-to-Z entries with a
// text through the entry form, one after another, saying which store has
// returned; it is killed at a random moment. Afterwards every database
// opens, checks clean, and holds every entry whose store had returned.
#include <signal.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <iostream>
#include <random>
#include <set>

#include "app/data_controls/db_rich_edit.h"
#include "tests/app/entry_editing_fixture.h"

namespace fendra::testing {
namespace {

constexpr const char* kKillFolderVariable = "FENDRA_KILL_TEST_FOLDER";
constexpr const char* kKillRoundVariable = "FENDRA_KILL_TEST_ROUND";

QString EntryName(int round, int n) {
  return QStringLiteral("Zzabbruch %1-%2").arg(round).arg(n, 4, 10, QLatin1Char('0'));
}

// The process that is killed: stores entries until it is.
class StoringProgram : public OwnDatabasesTest {
 protected:
  void SetUp() override {
    const QByteArray folder = qgetenv(kKillFolderVariable);
    if (folder.isEmpty()) GTEST_SKIP() << "run by the kill test only";
    folder_ = folder.toStdString();
    Start();
  }
};

TEST_F(StoringProgram, StoresEntriesUntilKilled) {
  const int round = qEnvironmentVariableIntValue(kKillRoundVariable);
  PickTab("TsIndikAZ");
  for (int n = 0; n < 100000; ++n) {
    Click("PaBtIndAZNaviNeu");
    Click("BtIndikNeu");
    QTest::keyClicks(Find("DbEdIndAZNew"), EntryName(round, n));
    Click("BiIndAZStore");
    ASSERT_TRUE(Shown("BiIndAZGo")) << "the store of " << n << " failed";
    Click("BiIndAZGo");
    // A text long enough to take BLOB pages of its own.
    auto* text = Find<TDBRichEdit>("DbReIndAZ");
    text->setPlainText(QString(3000 + n % 7 * 1000, QLatin1Char(static_cast<char>('a' + n % 26))));
    window_->TBMMGBSaveClick();
    ASSERT_EQ(window_->Data().TableComponent("TblIndList").State(), dvx::dsBrowse);
    std::cout << "STORED " << n << std::endl;
  }
}

class StoreKillTest : public EntryEditingTest {};

TEST_F(StoreKillTest, EveryStoreThatReturnedSurvivesAKillAndTheFilesCheckClean) {
  Stop();
  std::random_device device;
  const unsigned seed = device();
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::map<int, std::set<int>> stored;  // per round, the entries whose store returned
  constexpr int kRounds = 4;
  for (int round = 0; round < kRounds; ++round) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kKillFolderVariable, QString::fromStdString(folder_.string()));
    environment.insert(kKillRoundVariable, QString::number(round));
    program.setProcessEnvironment(environment);
    program.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=StoringProgram.StoresEntriesUntilKilled"});
    ASSERT_TRUE(program.waitForStarted(30000));
    // Killed after some stores have returned, at a moment in the middle of
    // the next one's work.
    const int storesFirst = std::uniform_int_distribution<int>(1, 6)(random);
    const int delayMs = std::uniform_int_distribution<int>(0, 60)(random);
    QByteArray out;
    int returned = 0;
    while (returned < storesFirst) {
      ASSERT_TRUE(program.waitForReadyRead(120000)) << out.toStdString();
      out += program.readAllStandardOutput();
      returned = static_cast<int>(out.count("STORED "));
      ASSERT_EQ(program.state(), QProcess::Running) << out.toStdString();
    }
    QTest::qWait(delayMs);
    ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished(30000));
    out += program.readAllStandardOutput();
    for (const QByteArray& line : out.split('\n'))
      if (line.startsWith("STORED ")) stored[round].insert(line.mid(7).toInt());
    ASSERT_EQ(program.exitStatus(), QProcess::CrashExit) << "the program ended before it was killed";

    // A commit cut short is finished or undone by the next program that
    // opens the file for writing: the window does, then the files check.
    Start();
    for (int r = 0; r <= round; ++r)
      for (int n : stored[r]) EXPECT_TRUE(Holds("TblIndList", "Indikationen", EntryName(r, n))) << r << "/" << n;
    Stop();
    ExpectFilesCheckClean();
  }
  // Every database opens and reads completely.
  const TDatabaseBytes all = ReadAllTables(folder_);
  EXPECT_EQ(all.size(), TDataModule::kTableCount);
}

}  // namespace
}  // namespace fendra::testing
