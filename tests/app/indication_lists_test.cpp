// The three indication lists: typing into the A-Z and emergency search
// lines selects the first name at or after the text on the table's active
// index (letter case counts in A-Z, not in the emergency list; German
// letters sort as the collation says) and shows its text; deleting the text
// steps back; the children's list keeps its table's order; the lines and
// navigators carry their hints.
#include <QKeyEvent>
#include <QStatusTipEvent>

#include "app/data_controls/db_grid.h"
#include "app/data_controls/db_navigator.h"
#include "app/data_controls/db_rich_edit.h"
#include "app/engine_names.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "main_window_fixture.h"
#include "source_tables.h"

namespace fendra::testing {
namespace {

struct TList {
  TSourceTable Source;
  const char* Tab;
  const char* Search;
  const char* Grid;
  const char* Text;
  const char* Navigator;
};
const TList kAtoZ{kIndList, "TsIndikAZ", "EdIndAZNaviSuch", "GrIndAZ", "DbReIndAZ", "NaIndAZ"};
const TList kEmergency{kEmergencies, "TsNotfall", "EdNotfIndSuche", "GrNotfInd", "DbReNotfInd", "NaNotfInd"};

class IndicationListsTest : public MainWindowTest {
 protected:
  static QString Q(const std::string& s) { return QString::fromStdString(s); }
  std::string Current(const TList& list) {
    std::string name = window_->Data().TableComponent(list.Source.Table).FieldByName(EngineName(list.Source.Key)).AsString();
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
  }
  int Row(const TList& list) { return Find<TDBGrid>(list.Grid)->currentIndex().row(); }
  int IndexOf(const TList& list, const std::string& name) {
    const std::vector<TSourceEntry> entries = InIndexOrder(list.Source);
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].Field(list.Source.Key) == name) return static_cast<int>(i);
    return -1;
  }
  QLineEdit* Search(const TList& list) { return Find<QLineEdit>(list.Search); }
  // Key by key, as a keyboard sends them, German letters included.
  void Type(QWidget* edit, const QString& text) {
    for (QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(edit, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(edit, &release);
    }
    QApplication::processEvents();
  }
  void Open(const TList& list) {
    PickTab(list.Tab);
    if (list.Tab == std::string("TsNotfall")) window_->SbSuchIndNotfClick();
  }
  // The entry's record is current, its row selected and its text shown.
  void ExpectShown(const TList& list, const TSourceEntry& entry) {
    const std::string name = entry.Field(list.Source.Key);
    EXPECT_EQ(Current(list), name);
    EXPECT_EQ(Row(list), IndexOf(list, name)) << name;
    const QString words = Q(FirstWords(entry.text));
    EXPECT_TRUE(Find<TDBRichEdit>(list.Text)->toPlainText().contains(words)) << name << ": " << words.toStdString();
  }
  // The fewest first letters that land on the entry.
  static std::string ShortestPrefix(const TList& list, const TSourceEntry& entry) {
    const QString name = Q(entry.Field(list.Source.Key));
    for (int n = 1; n <= name.size(); ++n) {
      const std::string prefix = name.left(n).toStdString();
      if (NearestEntry(list.Source, prefix).Field(list.Source.Key) == entry.Field(list.Source.Key)) return prefix;
    }
    return name.toStdString();
  }
};

class TypingTest : public IndicationListsTest, public ::testing::WithParamInterface<TList> {};

TEST_P(TypingTest, TheFirstLettersOfAnEntrySelectItAndShowItsText) {
  const TList& list = GetParam();
  Open(list);
  const std::vector<TSourceEntry> entries = InIndexOrder(list.Source);
  ASSERT_GT(entries.size(), 10u);
  EXPECT_TRUE(Search(list)->isEnabled());
  EXPECT_EQ(Search(list)->maxLength(),
            window_->Data().TableComponent(list.Source.Table).FieldByName(EngineName(list.Source.Key)).Size());
  for (const TSourceEntry& entry : {entries[entries.size() / 2], entries[entries.size() / 3], entries.back()}) {
    Search(list)->clear();
    const std::string prefix = ShortestPrefix(list, entry);
    ASSERT_LT(Q(prefix).size(), Q(entry.Field(list.Source.Key)).size() + 1);
    Type(Search(list), Q(prefix));
    SCOPED_TRACE(prefix);
    ExpectShown(list, entry);
  }
  // Every keystroke searches again with the whole text; deleting steps back
  // and the empty text goes to the first row.
  Search(list)->clear();
  const std::string name = entries[entries.size() / 2].Field(list.Source.Key);
  const QString typed = Q(name).left(4);
  Type(Search(list), typed);
  for (int n = typed.size(); n > 0; --n) {
    EXPECT_EQ(Current(list), NearestEntry(list.Source, typed.left(n).toStdString()).Field(list.Source.Key)) << n;
    QTest::keyClick(Search(list), Qt::Key_Backspace);
  }
  ExpectShown(list, entries.front());
  // Past the last name the list stays on its last row.
  Type(Search(list), "zzzz");
  ExpectShown(list, entries.back());
}

INSTANTIATE_TEST_SUITE_P(SearchedLists, TypingTest, ::testing::Values(kAtoZ, kEmergency),
                         [](const auto& info) { return std::string(info.param.Search); });

TEST_F(IndicationListsTest, TheEmergencySearchIgnoresLetterCase) {
  Open(kEmergency);
  const TSourceEntry entry = InIndexOrder(kEmergencies)[5];
  const QString prefix = Q(ShortestPrefix(kEmergency, entry));
  for (const QString& typed : {prefix, prefix.toLower(), prefix.toUpper()}) {
    Search(kEmergency)->clear();
    Type(Search(kEmergency), typed);
    EXPECT_EQ(Current(kEmergency), entry.Field("Indikation")) << typed.toStdString();
  }
  Search(kEmergency)->clear();
  Type(Search(kEmergency), Q(entry.Field("Indikation")).toUpper());
  EXPECT_EQ(Current(kEmergency), entry.Field("Indikation")) << "the whole name in capitals";
  // German letters too: "PRÜ" and "prü" find the same name.
  std::string withUmlaut;
  for (const TSourceEntry& e : InIndexOrder(kEmergencies))
    if (Q(e.Field("Indikation")).contains(QChar(0xFC))) withUmlaut = e.Field("Indikation");
  ASSERT_FALSE(withUmlaut.empty());
  const QString stem = Q(withUmlaut).left(Q(withUmlaut).indexOf(QChar(0xFC)) + 1);
  for (const QString& typed : {stem.toLower(), stem.toUpper()}) {
    Search(kEmergency)->clear();
    Type(Search(kEmergency), typed);
    EXPECT_EQ(Current(kEmergency), NearestEntry(kEmergencies, stem.toStdString()).Field("Indikation"))
        << typed.toStdString();
  }
}

TEST_F(IndicationListsTest, TheAtoZSearchRespectsLetterCaseAndSortsUmlautsAmongTheirVowels) {
  Open(kAtoZ);
  const std::vector<TSourceEntry> entries = InIndexOrder(kIndList);
  const TSourceEntry entry = entries[entries.size() / 2];
  const QString name = Q(entry.Field("Indikationen"));
  Type(Search(kAtoZ), name.left(3));
  EXPECT_EQ(Current(kAtoZ), NearestEntry(kIndList, name.left(3).toStdString()).Field("Indikationen"));
  // The whole name in capitals sorts after the name itself on a
  // case-sensitive index: the list goes past it.
  Search(kAtoZ)->clear();
  Type(Search(kAtoZ), name.toUpper());
  const std::string upper = NearestEntry(kIndList, name.toUpper().toStdString()).Field("Indikationen");
  EXPECT_EQ(Current(kAtoZ), upper);
  EXPECT_NE(upper, entry.Field("Indikationen")) << "in other letter case the text lands elsewhere";
  // "Üb" finds the name beginning with it, which stands before the names
  // beginning with V, not after Z.
  Search(kAtoZ)->clear();
  Type(Search(kAtoZ), QStringLiteral("Üb"));
  ASSERT_TRUE(Q(Current(kAtoZ)).startsWith(QStringLiteral("Üb"))) << Current(kAtoZ);
  const int umlautRow = Row(kAtoZ);
  int firstV = -1;
  for (size_t i = 0; i < entries.size() && firstV < 0; ++i)
    if (entries[i].Field("Indikationen")[0] == 'V') firstV = static_cast<int>(i);
  ASSERT_GE(firstV, 0);
  EXPECT_LT(umlautRow, firstV);
  EXPECT_TRUE(Find<TDBRichEdit>("DbReIndAZ")->toPlainText().contains(
      Q(FirstWords(NearestEntry(kIndList, "Üb").text))));
}

TEST_F(IndicationListsTest, TheAtoZSearchTextIsNotSelectedWhenTheKeyboardEntersIt) {
  Open(kAtoZ);
  Type(Search(kAtoZ), "Fie");
  Find<TDBGrid>("GrIndAZ")->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  QFocusEvent entry(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(Search(kAtoZ), &entry);
  EXPECT_FALSE(Search(kAtoZ)->hasSelectedText());
  // Typing on continues the text.
  Type(Search(kAtoZ), "b");
  EXPECT_EQ(Search(kAtoZ)->text(), "Fieb");
  EXPECT_EQ(Current(kAtoZ), NearestEntry(kIndList, "Fieb").Field("Indikationen"));
}

TEST_F(IndicationListsTest, TheChildrensListKeepsItsTablesOrderAndItsNavigatorMovesTheText) {
  window_->SbSuchIndKindClick();
  const std::vector<TSourceEntry> entries = InIndexOrder(kChildIndications);
  auto* grid = Find<TDBGrid>("GrKindSuN");
  ASSERT_EQ(grid->model()->rowCount(), static_cast<int>(entries.size()));
  for (int row = 0; row < grid->model()->rowCount(); ++row)
    EXPECT_EQ(grid->model()->data(grid->model()->index(row, 0)).toString(), Q(entries[row].Field("Indikation")));
  EXPECT_TRUE(Find("PaKindNaviIndik")->findChildren<QLineEdit*>().isEmpty()) << "no search line";
  Find<TDBNavigator>("NaKindSuN")->Next()->click();
  EXPECT_EQ(grid->currentIndex().row(), 1);
  EXPECT_TRUE(Find<TDBRichEdit>("DbReKindSuN")->toPlainText().contains(Q(FirstWords(entries[1].text))));
  Find<TDBNavigator>("NaKindSuN")->Last()->click();
  EXPECT_EQ(grid->currentIndex().row(), static_cast<int>(entries.size()) - 1);
}

TEST_F(IndicationListsTest, SearchLinesAndNavigatorsShowTheirHintsInTheStatusBar) {
  Open(kAtoZ);
  for (auto [control, hint] : {std::pair{"EdIndAZNaviSuch", "Indikation eintippen"},
                               std::pair{"NaIndAZFirst", "erste Indikation"},
                               std::pair{"NaIndAZLast", "letzte Indikation"}}) {
    QWidget* widget = Find(control);
    ASSERT_EQ(widget->statusTip(), hint) << control;
    QStatusTipEvent tip(widget->statusTip());
    QApplication::sendEvent(widget, &tip);
    EXPECT_EQ(Panel(0), hint);
  }
  Open(kEmergency);
  EXPECT_EQ(Find("EdNotfIndSuche")->statusTip(), "Indikation eintippen");
  EXPECT_EQ(Find("NaNotfIndNext")->statusTip(), "vorwärts blättern");
}

}  // namespace
}  // namespace fendra::testing
