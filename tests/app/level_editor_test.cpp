// The tree's level editor on a copy of the reference databases: new entries
// at each level get their parent's Baum_ID and a sort key under it and show
// in the tree after a restart, with the file passing dvx check; a pending
// new entry can neither be posted half-filled by a node click nor lost by a
// delete; delete removes exactly the entry it names and refuses the root
// and entries with sub-entries. Questions are answered and warnings caught
// through the editor's replaceable dialogs.
#include <QKeyEvent>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <map>

#include "app/level_editor.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "engine/query/query.h"
#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

const QString kNoName = "Sie müssen eine Indikation eintippen!";
const QString kRoot = "Indikationen mit Schlüssel";

struct TRow {
  std::string Name, Ls;
  bool EbeneNull;
  int32_t Ebene;
  bool operator==(const TRow&) const = default;
};
using TRows = std::map<int32_t, TRow>;

void PrintTo(const TRow& row, std::ostream* out) {
  *out << row.Name << " Ls=" << row.Ls << " Ebene=" << (row.EbeneNull ? std::string("NULL") : std::to_string(row.Ebene));
}

class LevelEditorTest : public WindowDriverTest {
 protected:
  void SetUp() override {
    folder_ = CopyOfBuiltDatabases();
    Start();
  }
  void Start() {
    window_.reset();
    window_ = StartFendra(App(), std::make_unique<TDataModule>(folder_));
    ASSERT_TRUE(window_);
    window_->resize(1366, 740);
    window_->show();
    QApplication::processEvents();
    Editor().SetQuestion([this](const QString& question, bool warning) {
      questions_ << question;
      warningSymbols_.push_back(warning);
      EXPECT_FALSE(answers_.empty()) << "unexpected question: " << question.toStdString();
      if (answers_.empty()) return false;
      const bool yes = answers_.front();
      answers_.pop_front();
      return yes;
    });
    Editor().SetWarning([this](const QString& message) { warnings_ << message; });
  }
  TLevelEditor& Editor() { return window_->LevelEditor(); }
  QTreeWidget* Tree() { return Find<QTreeWidget>("TreeView1"); }
  dvx::TDVXTable& Baum() { return window_->Data().TableComponent("tblTree"); }
  bool Enabled(const char* name) { return Find(name)->isEnabled(); }

  // Every record of "Baum", read apart from the window's table.
  TRows Rows() {
    dvx::TDVXQuery query;
    query.SetDatabaseName("dbBaum");
    query.SetSQLText("SELECT Baum_ID, BezTree, Ls, Ebene FROM Baum");
    query.Open();
    TRows rows;
    for (query.First(); !query.Eof(); query.Next()) {
      const dvx::TField& ebene = query.FieldByName("Ebene");
      rows[query.FieldByName("Baum_ID").AsInteger()] = {Trim(query.FieldByName("BezTree").AsString()),
                                                        Trim(query.FieldByName("Ls").AsString()), ebene.IsNull(),
                                                        ebene.IsNull() ? 0 : ebene.AsInteger()};
    }
    return rows;
  }
  static std::string Trim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }
  // The records added since `before`.
  TRows Added(const TRows& before) {
    TRows added;
    for (const auto& [id, row] : Rows())
      if (!before.count(id)) added[id] = row;
    return added;
  }
  int32_t IdNamed(const std::string& name) {
    for (const auto& [id, row] : Rows())
      if (row.Name == name) return id;
    ADD_FAILURE() << "no entry " << name;
    return -1;
  }
  QTreeWidgetItem* Node(const QString& name) {
    const QList<QTreeWidgetItem*> found = Tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.front() : nullptr;
  }
  void Select(const QString& name) {
    QTreeWidgetItem* node = Node(name);
    ASSERT_NE(node, nullptr) << name.toStdString();
    Tree()->setCurrentItem(node);
    QApplication::processEvents();
  }
  QStringList PathOf(const QString& name) {
    QStringList path;
    for (QTreeWidgetItem* item = Node(name); item; item = item->parent()) path.prepend(item->text(0));
    return path;
  }
  void Type(const char* input, const QString& text) {
    QWidget* edit = Find(input);
    edit->setFocus();
    // Key by key as a keyboard sends them, German letters included.
    for (QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(edit, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(edit, &release);
    }
  }
  // A new entry at the editor's current level, stored with the answer to
  // the question about a sub-level (level 3 asks none).
  void NewEntry(int level, const QString& name, std::optional<bool> subLevel) {
    const std::string n = std::to_string(level);
    Click(("BiBaumNeuEb" + n + "New").c_str());
    Type(("DbEdBaumNeuEb" + n + "Eing").c_str(), name);
    if (subLevel) answers_.push_back(*subLevel);
    Click(("BiBaumNeuEb" + n + "Store").c_str());
    EXPECT_TRUE(answers_.empty());
    EXPECT_EQ(Editor().PendingLevel(), 0) << name.toStdString();
  }
  std::string DvxCheck(const std::string& file) {
    const std::string command = std::string(DVX_EXECUTABLE) + " check '" + (folder_ / file).string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    checkStatus_ = pclose(pipe);
    return out;
  }

  fs::path folder_;
  std::deque<bool> answers_;
  QStringList questions_;
  std::vector<bool> warningSymbols_;
  QStringList warnings_;
  int checkStatus_ = -1;
};

TEST_F(LevelEditorTest, TheTreeCommandsBringTheEditorUpAndPickingTheTabBringsTheTextBack) {
  EXPECT_FALSE(Shown("PaBaumLageNeu"));
  EXPECT_TRUE(Shown("DbReBaum"));
  ASSERT_TRUE(Enabled("PaBtBaumNeu"));
  Click("PaBtBaumNeu");
  EXPECT_TRUE(Shown("PaBaumLageNeu"));
  EXPECT_FALSE(Shown("DbReBaum"));
  EXPECT_TRUE(Shown("GbBaumEb1"));
  EXPECT_FALSE(Shown("GbBaumEb2"));
  EXPECT_FALSE(Shown("GbBaumEb3"));
  EXPECT_TRUE(Shown("MeBaum2"));
  EXPECT_FALSE(Shown("BiBaumNeuEb1Del"));
  EXPECT_FALSE(Shown("MeBaum5"));
  EXPECT_TRUE(Find<QPlainTextEdit>("MeBaum1")->toPlainText().startsWith(
      "   Machen Sie eine schriftliche Skizze für die neue Struktur bevor Sie beginnen."));
  EXPECT_TRUE(Find<QPlainTextEdit>("MeBaum2")->toPlainText().startsWith("Vorgehen:"));
  for (const char* off : {"DbEdBaumNeuEb1Eing", "BiBaumNeuEb1Store", "BiBaumNeuEb1Canc", "BiBaumNeuStart1"})
    EXPECT_FALSE(Enabled(off)) << off;
  EXPECT_TRUE(Enabled("BiBaumNeuEb1New"));
  EXPECT_EQ(Find<QAbstractButton>("BiBaumNeuEb3Canc")->text(), "  Rückgängig  ");
  EXPECT_EQ(Find<QGroupBox>("GbBaumEb2")->title(), "2. Ebene (Zweig b..)");
  Click("PaBtBaumDel");
  EXPECT_TRUE(Shown("BiBaumNeuEb1Del"));
  EXPECT_TRUE(Shown("MeBaum5"));
  EXPECT_FALSE(Shown("MeBaum2"));
  PickTab("TsBaum");
  EXPECT_FALSE(Shown("PaBaumLageNeu"));
  EXPECT_TRUE(Shown("DbReBaum"));
}

TEST_F(LevelEditorTest, SetLevelEditorButtonsFollowsItsTableAndIgnoresOtherStates) {
  using TStates = std::map<std::string, bool>;
  const std::vector<const char*> buttons{"BiBaumNeuEb1New",   "BiBaumNeuEb1Store", "BiBaumNeuEb1Canc",
                                         "BiBaumNeuEb1Del",   "BiBaumNeuEb2New",   "BiBaumNeuEb2Store",
                                         "BiBaumNeuEb2Canc",  "BiBaumNeuEb3New",   "BiBaumNeuEb3Store",
                                         "BiBaumNeuEb3Canc",  "BiBaumNeuEb3Back"};
  auto states = [&] {
    TStates s;
    for (const char* b : buttons) s[b] = Enabled(b);
    return s;
  };
  const std::map<int, std::vector<bool>> table{
      {0, {1, 0, 0, 1}}, {1, {0, 1, 1, 0}}, {2, {1, 0, 1, 1}}, {3, {0, 1, 1}}, {4, {1, 0, 0}},
      {5, {1, 0, 0}},    {6, {1, 0, 0}},    {7, {0, 1, 1, 0}}, {8, {1, 0, 0, 1}}, {9, {1, 0, 0, 1}}};
  for (const auto& [state, expected] : table) {
    // From the opposite of what the state sets, so every button must move.
    for (const char* b : buttons) Find(b)->setEnabled(true);
    const size_t first = state <= 2 ? 0 : state <= 6 ? 4 : 7;
    for (size_t i = 0; i < expected.size(); ++i) Find(buttons[first + i])->setEnabled(!expected[i]);
    TStates before = states();
    Editor().SetLevelEditorButtons(state);
    TStates after = states();
    for (size_t i = 0; i < buttons.size(); ++i) {
      const bool inGroup = i >= first && i < first + expected.size();
      EXPECT_EQ(after[buttons[i]], inGroup ? bool(expected[i - first]) : before[buttons[i]])
          << "state " << state << " " << buttons[i];
    }
  }
  const TStates before = states();
  for (int other : {-1, 10, 42}) Editor().SetLevelEditorButtons(other);
  EXPECT_EQ(states(), before);
}

TEST_F(LevelEditorTest, ANodeClickWhileANewEntryIsOpenPostsNothingAndStoreWritesOnlyTheNewEntry) {
  const TRows before = Rows();
  Click("PaBtBaumNeu");
  Click("BiBaumNeuEb1New");
  ASSERT_EQ(Editor().PendingLevel(), 1);
  Type("DbEdBaumNeuEb1Eing", "Zwischenfall");
  // The tree, the other tabs and the commands that lead away are shut.
  EXPECT_FALSE(Tree()->isEnabled());
  EXPECT_FALSE(window_->PageControl()->isTabEnabled(1));
  EXPECT_FALSE(Enabled("SbSuchAbidZ"));
  EXPECT_FALSE(Enabled("PaBtBaumNeu"));
  EXPECT_FALSE(Enabled("PaBtBaumDel"));
  EXPECT_FALSE(Enabled("TBMMGBSave"));
  // A click on a node, and a selection made by other means.
  QTreeWidgetItem* other = Tree()->topLevelItem(0)->child(2);
  QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, Tree()->visualItemRect(other).center());
  Tree()->setCurrentItem(other);
  QApplication::processEvents();
  EXPECT_EQ(Baum().State(), dvx::dsInsert);
  EXPECT_EQ(Rows(), before) << "nothing was posted";
  answers_.push_back(false);
  Click("BiBaumNeuEb1Store");
  const TRows added = Added(before);
  ASSERT_EQ(added.size(), 1u);
  const TRow& entry = added.begin()->second;
  EXPECT_EQ(entry.Name, "Zwischenfall");
  EXPECT_FALSE(entry.EbeneNull);
  EXPECT_EQ(entry.Ebene, IdNamed(kRoot.toStdString()));
  EXPECT_EQ(entry.Ls, "14") << "after the thirteen regions";
  for (const auto& [id, row] : Rows()) EXPECT_FALSE(row.EbeneNull) << row.Name;
  for (const auto& [id, row] : before) EXPECT_EQ(Rows().at(id), row);
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_EQ(questions_[0], "Wollen Sie zu diesem Eintrag eine Unterebene (Ebene2) hinzufügen?");
  // Unlocked again; the new structure waits for the restart.
  EXPECT_TRUE(Tree()->isEnabled());
  EXPECT_TRUE(window_->PageControl()->isTabEnabled(1));
  EXPECT_TRUE(Enabled("SbSuchAbidZ"));
  EXPECT_FALSE(Enabled("PaBtBaumNeu"));
  EXPECT_TRUE(Enabled("BiBaumNeuStart1"));
  EXPECT_FALSE(Enabled("BiBaumNeuEb1Store"));
  EXPECT_FALSE(Enabled("BiBaumNeuEb1Canc"));
  EXPECT_FALSE(Enabled("DbEdBaumNeuEb1Eing")) << "typing there would rename the stored entry";
}

TEST_F(LevelEditorTest, StoreAfterTheNewRecordWasDroppedElsewhereWritesNothing) {
  const TRows before = Rows();
  Click("PaBtBaumNeu");
  Click("BiBaumNeuEb1New");
  Type("DbEdBaumNeuEb1Eing", "Verloren");
  // Something else ends the insert and moves "Baum" to an existing entry.
  Baum().Cancel();
  ASSERT_TRUE(Baum().SeekKey(int64_t{5}));
  Click("BiBaumNeuEb1Store");
  EXPECT_TRUE(questions_.isEmpty());
  EXPECT_EQ(Rows(), before) << "the current entry took neither the name, Ebene nor Ls";
  EXPECT_EQ(Editor().PendingLevel(), 0);
  EXPECT_FALSE(Enabled("BiBaumNeuEb1Store"));
  EXPECT_TRUE(Enabled("BiBaumNeuEb1New"));
  EXPECT_TRUE(Tree()->isEnabled());
}

TEST_F(LevelEditorTest, AnEmptyNameKeepsTheNewEntryOpenWithStoreAndCancel) {
  const TRows before = Rows();
  Click("PaBtBaumNeu");
  Click("BiBaumNeuEb1New");
  Type("DbEdBaumNeuEb1Eing", "   ");
  Click("BiBaumNeuEb1Store");
  EXPECT_EQ(warnings_, QStringList{kNoName});
  EXPECT_TRUE(questions_.isEmpty());
  EXPECT_EQ(Editor().PendingLevel(), 1);
  EXPECT_EQ(Baum().State(), dvx::dsInsert);
  EXPECT_TRUE(Enabled("BiBaumNeuEb1Store"));
  EXPECT_TRUE(Enabled("BiBaumNeuEb1Canc"));
  EXPECT_FALSE(Enabled("BiBaumNeuEb1New")) << "a second append would post the first";
  EXPECT_TRUE(Enabled("DbEdBaumNeuEb1Eing"));
  // The name can still be given; with Yes the editor moves to level 2.
  Find<QLineEdit>("DbEdBaumNeuEb1Eing")->clear();
  Type("DbEdBaumNeuEb1Eing", "Fremdkörper");
  answers_.push_back(true);
  Click("BiBaumNeuEb1Store");
  EXPECT_EQ(Added(before).size(), 1u);
  EXPECT_TRUE(Shown("GbBaumEb2"));
  EXPECT_FALSE(Shown("GbBaumEb1"));
  EXPECT_TRUE(Shown("MeBaum3"));
  EXPECT_EQ(Editor().ParentIdLevel1(), QString::number(Added(before).begin()->first));
  // The same at level 2; Cancel then drops the open entry.
  Click("BiBaumNeuEb2New");
  Click("BiBaumNeuEb2Store");
  EXPECT_EQ(warnings_.size(), 2);
  EXPECT_EQ(Editor().PendingLevel(), 2);
  EXPECT_TRUE(Enabled("BiBaumNeuEb2Store"));
  EXPECT_TRUE(Enabled("BiBaumNeuEb2Canc"));
  Click("BiBaumNeuEb2Canc");
  EXPECT_EQ(Editor().PendingLevel(), 0);
  EXPECT_EQ(Baum().State(), dvx::dsBrowse);
  EXPECT_EQ(Added(before).size(), 1u);
  EXPECT_TRUE(Enabled("BiBaumNeuEb2New"));
  EXPECT_FALSE(Enabled("DbEdBaumNeuEb2Eing"));
}

TEST_F(LevelEditorTest, EntriesStoredAtEachLevelStandUnderTheirParentsAfterTheRestart) {
  Click("PaBtBaumNeu");
  NewEntry(1, "Vergiftung", true);
  NewEntry(2, "Pilze", true);
  EXPECT_TRUE(Shown("GbBaumEb3"));
  EXPECT_TRUE(Shown("MeBaum4"));
  NewEntry(3, "Knollenblätterpilz", std::nullopt);
  NewEntry(3, "Fliegenpilz", std::nullopt);
  EXPECT_TRUE(Enabled("BiBaumNeuStart3"));
  Click("BiBaumNeuEb3Back");
  EXPECT_TRUE(Shown("GbBaumEb2"));
  EXPECT_TRUE(Shown("MeBaum3"));
  NewEntry(2, "Beeren", false);
  NewEntry(2, "Putzmittel", false);
  EXPECT_EQ(questions_.size(), 4);
  EXPECT_EQ(questions_[1], "Wollen Sie zu diesem Eintrag eine Unterebene (Ebene3) hinzufügen?");
  const TRows rows = Rows();
  std::map<std::string, std::string> ls;
  for (const auto& [id, row] : rows) ls[row.Name] = row.Ls;
  EXPECT_EQ(ls["Vergiftung"], "14");
  EXPECT_EQ(ls["Pilze"], "14.01");
  EXPECT_EQ(ls["Knollenblätterpilz"], "14.01.01");
  EXPECT_EQ(ls["Fliegenpilz"], "14.01.02");
  EXPECT_EQ(ls["Beeren"], "14.02");
  EXPECT_EQ(ls["Putzmittel"], "14.03");
  // Neustart closes the window; the next start shows the new structure.
  Click("BiBaumNeuStart2");
  EXPECT_FALSE(window_->isVisible());
  Start();
  EXPECT_EQ(PathOf("Knollenblätterpilz"), QStringList({kRoot, "Vergiftung", "Pilze", "Knollenblätterpilz"}));
  EXPECT_EQ(PathOf("Fliegenpilz"), QStringList({kRoot, "Vergiftung", "Pilze", "Fliegenpilz"}));
  EXPECT_EQ(PathOf("Beeren"), QStringList({kRoot, "Vergiftung", "Beeren"}));
  EXPECT_EQ(PathOf("Putzmittel"), QStringList({kRoot, "Vergiftung", "Putzmittel"}));
  window_.reset();
  const std::string report = DvxCheck("dbBaum.dvx");
  EXPECT_EQ(checkStatus_, 0) << report;
}

TEST_F(LevelEditorTest, ANewEntryPendingWhenDeleteIsAskedIsCancelledAndTheQuestionNamesTheEntry) {
  const TRows before = Rows();
  // A leaf of the sources: no sub-entries.
  const std::string leaf = "Migräne mit Erbrechen";
  Select(QString::fromStdString(leaf));
  ASSERT_EQ(Node(QString::fromStdString(leaf))->childCount(), 0);
  Click("PaBtBaumDel");
  Click("BiBaumNeuEb1New");
  Type("DbEdBaumNeuEb1Eing", "Halbfertig");
  answers_.push_back(false);
  Editor().BiBaumNeuEb1DelClick();
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_TRUE(questions_[0].contains(QString::fromStdString("„" + leaf + "“"))) << questions_[0].toStdString();
  EXPECT_TRUE(warningSymbols_[0]);
  EXPECT_EQ(Editor().PendingLevel(), 0);
  EXPECT_EQ(Rows(), before) << "No: nothing removed, nothing added";
  EXPECT_TRUE(Enabled("BiBaumNeuEb1New"));
  const int32_t leafId = IdNamed(leaf);
  answers_.push_back(true);
  Click("BiBaumNeuEb1Del");
  TRows expected = before;
  expected.erase(leafId);
  EXPECT_EQ(Rows(), expected);
  EXPECT_TRUE(Enabled("BiBaumNeuStart1"));
  EXPECT_FALSE(Enabled("PaBtBaumNeu"));
}

TEST_F(LevelEditorTest, DeleteRefusesTheRootAndEntriesWithSubEntries) {
  const TRows before = Rows();
  Click("PaBtBaumDel");
  Click("BiBaumNeuEb1Del");  // the root is selected at start
  EXPECT_EQ(warnings_, QStringList{"Diesen Eintrag können Sie nicht löschen!"});
  Select("Kopfschmerzen");
  Click("BiBaumNeuEb1Del");
  ASSERT_EQ(warnings_.size(), 2);
  EXPECT_TRUE(warnings_[1].contains("„Kopfschmerzen“")) << warnings_[1].toStdString();
  EXPECT_TRUE(questions_.isEmpty());
  EXPECT_EQ(Rows(), before);
  EXPECT_TRUE(Enabled("PaBtBaumNeu"));
}

TEST(LevelEditorSortKey, NextFreeTwoDigitsAmongTheSiblingsUnderTheParentsKey) {
  EXPECT_EQ(TLevelEditor::NextSortKey("", {"01", "02", "13"}), "14");
  EXPECT_EQ(TLevelEditor::NextSortKey("", {}), "01");
  EXPECT_EQ(TLevelEditor::NextSortKey("03", {"03.01", "03.04"}), "03.05");
  EXPECT_EQ(TLevelEditor::NextSortKey("03.02", {}), "03.02.01");
  EXPECT_EQ(TLevelEditor::NextSortKey("07", {"07.09", "07.10"}), "07.11");
  // Past 99 the first gap; none left, no key.
  EXPECT_EQ(TLevelEditor::NextSortKey("", {"01", "02", "04", "99"}), "03");
  QStringList all;
  for (int n = 1; n <= 99; ++n) all << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
  EXPECT_EQ(TLevelEditor::NextSortKey("", all), "");
  EXPECT_EQ(TLevelEditor::NextSortKey("", {"xx", "05"}), "06") << "keys that are no number are ignored";
}

// The sets below start from a copy of the built set whose entry 1 (the
// root) is made to hang under an entry that does not exist.
class UnrootedTest : public LevelEditorTest {
 protected:
  void Unroot(const std::function<void(dvx::TDVXTable&)>& then = {}) {
    folder_ = CopyOfBuiltDatabases();
    {
      TDataModule data(folder_);
      data.Activate();
      dvx::TDVXTable& baum = data.TableComponent("tblTree");
      ASSERT_TRUE(baum.SeekKey(int64_t{1}));
      baum.Edit();
      baum.FieldByName("Ebene").SetAsInteger(99999);
      baum.Post();
      if (then) then(baum);
    }
    Start();
  }
};

// A set whose root is not entry 1: the old first entry hangs elsewhere and a
// later one has Ebene 0.
class MovedRootTest : public UnrootedTest {
 protected:
  void SetUp() override {
    Unroot([](dvx::TDVXTable& baum) {
      baum.Append();
      baum.FieldByName("BezTree").SetAsString("Neuer Stamm");
      baum.FieldByName("Ls").SetAsString("00");
      baum.FieldByName("Ebene").SetAsInteger(0);
      baum.Post();
    });
  }
};

TEST_F(MovedRootTest, NewFirstLevelEntriesHangUnderTheEntryWhoseEbeneIsZero) {
  ASSERT_EQ(Tree()->topLevelItemCount(), 1);
  ASSERT_EQ(Tree()->topLevelItem(0)->text(0), "Neuer Stamm");
  Click("PaBtBaumNeu");
  NewEntry(1, "Erste Hilfe", false);
  Start();
  EXPECT_EQ(PathOf("Erste Hilfe"), QStringList({"Neuer Stamm", "Erste Hilfe"}));
  EXPECT_EQ(Rows().at(IdNamed("Erste Hilfe")).Ls, "01");
}

// A set whose "Baum" has no entry with Ebene 0.
class NoRootTest : public UnrootedTest {
 protected:
  void SetUp() override { Unroot(); }
};

TEST_F(NoRootTest, ANewFirstLevelEntryIsRefusedWithAMessageAndNothingIsOpened) {
  const TRows before = Rows();
  Click("PaBtBaumNeu");
  Click("BiBaumNeuEb1New");
  ASSERT_EQ(warnings_.size(), 1);
  EXPECT_TRUE(warnings_[0].contains("keinen Stamm")) << warnings_[0].toStdString();
  EXPECT_EQ(Editor().PendingLevel(), 0);
  EXPECT_EQ(Baum().State(), dvx::dsBrowse);
  EXPECT_TRUE(Enabled("BiBaumNeuEb1New"));
  EXPECT_FALSE(Enabled("BiBaumNeuEb1Store"));
  EXPECT_EQ(Rows(), before);
}

}  // namespace
}  // namespace fendra::testing
