// Typing into the bound text views: the first keystroke starts editing the
// record, the next positioning of its table stores the text, and a restart
// shows it; a change taken back with Escape, or dropped by a cancel, leaves
// the stored text as it was.
#include <QTextDocument>

#include "app/data_controls/db_rich_edit.h"
#include "app/richtext/rtf_reader.h"
#include "tests/app/entry_editing_fixture.h"

namespace fendra::testing {
namespace {

struct TTextView {
  const char* Sheet;
  const char* Show;  // the command that shows the view on its sheet; null: none needed
  const char* View;
  const char* Table;
  const char* NameField;
  const char* TextField;
  const char* Navigator;
};

void PrintTo(const TTextView& v, std::ostream* out) { *out << v.View; }

const TTextView kViews[] = {
    {"TsIndikAZ", nullptr, "DbReIndAZ", "TblIndList", "Indikationen", "Detail", "NaIndAZ"},
    {"TsNotfall", nullptr, "DbReNotfInd", "TblNotfall", "Indikation", "Detail", "NaNotfInd"},
    {"TsKinder", "PaPtKindNaviIndik", "DbReKindSuN", "tblKinderS", "Indikation", "Inhalt", "NaKindSuN"},
    {"TsAML", "PaMMBezeich", "DbReMMHerk", "TblAML", "Hom Bezeichnung", "Vorkommen", "DbNaMM"},
    {"TsAML", "PaMMGesBild", "DbReMMGesBild", "TblAML", "Hom Bezeichnung", "AMB", "DbNaMM"},
    {"TsAML", "PaMMIndik", "DbReMMIndik", "TblAML", "Hom Bezeichnung", "Indikationen", "DbNaMM"},
};

class TextEditingTest : public EntryEditingTest, public ::testing::WithParamInterface<TTextView> {
 protected:
  const TTextView& V() const { return GetParam(); }
  void ShowView() {
    PickTab(V().Sheet);
    if (V().Show) Click(V().Show);
    ASSERT_TRUE(Find(V().View)->isVisible());
  }
  // The second record, so that the navigator moves both ways from it.
  QString GoToSecond() {
    Click((std::string(V().Navigator) + "First").c_str());
    Click((std::string(V().Navigator) + "Next").c_str());
    return CurrentText(Table(V().Table), V().NameField);
  }
  // The stored text of the record named, read from the table as plain text.
  QString StoredText(const QString& name) {
    dvx::TDVXTable& table = Table(V().Table);
    for (table.First(); !table.Eof(); table.Next())
      if (CurrentText(table, V().NameField) == name) {
        const TBlobRead read = ReadBlobBytes(table.FieldByName(V().TextField), 64 << 20);
        if (!RtfReader::IsRtf(read.bytes)) return QString::fromUtf8(read.bytes);
        QTextDocument doc;
        EXPECT_EQ(RtfReader().Read(read.bytes, &doc), RtfReader::TStatus::Ok);
        return doc.toPlainText();
      }
    ADD_FAILURE() << "no record " << name.toStdString();
    return QString();
  }
  void TypeAtStart(const QString& text) {
    auto* view = Find<TDBRichEdit>(V().View);
    view->setFocus(Qt::MouseFocusReason);
    view->moveCursor(QTextCursor::Start);
    QTest::keyClicks(view, text);
  }
};

TEST_P(TextEditingTest, TextTypedIsStoredByTheNextPositioningAndShownAfterARestart) {
  ShowView();
  const QString name = GoToSecond();
  const QString before = Find<TDBRichEdit>(V().View)->toPlainText();
  EXPECT_EQ(Table(V().Table).State(), dvx::dsBrowse);
  TypeAtStart(QStringLiteral("Ergaenzt: "));
  EXPECT_EQ(Table(V().Table).State(), dvx::dsEdit) << "the first keystroke starts the edit";
  Click((std::string(V().Navigator) + "Next").c_str());
  EXPECT_EQ(Table(V().Table).State(), dvx::dsBrowse);
  EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();

  Restart();
  EXPECT_EQ(StoredText(name), QStringLiteral("Ergaenzt: ") + before);
  ShowView();
  EXPECT_EQ(GoToSecond(), name);
  EXPECT_EQ(Find<TDBRichEdit>(V().View)->toPlainText(), QStringLiteral("Ergaenzt: ") + before);
  Stop();
  ExpectFilesCheckClean();
}

TEST_P(TextEditingTest, EscapeTakesTheChangeBackAndNothingIsStored) {
  ShowView();
  const QString name = GoToSecond();
  const QString before = Find<TDBRichEdit>(V().View)->toPlainText();
  TypeAtStart(QStringLiteral("Verworfen "));
  QTest::keyClick(Find(V().View), Qt::Key_Escape);
  EXPECT_EQ(Find<TDBRichEdit>(V().View)->toPlainText(), before);
  Click((std::string(V().Navigator) + "Next").c_str());
  EXPECT_EQ(Table(V().Table).State(), dvx::dsBrowse);
  Stop();
  EXPECT_EQ(ReadAllTables(folder_), ReadAllTables(BuiltDatabases()));
}

TEST_P(TextEditingTest, CancelDropsTheTypedText) {
  ShowView();
  const QString name = GoToSecond();
  const QString before = Find<TDBRichEdit>(V().View)->toPlainText();
  TypeAtStart(QStringLiteral("Verworfen "));
  Table(V().Table).Cancel();
  EXPECT_EQ(Find<TDBRichEdit>(V().View)->toPlainText(), before);
  Click((std::string(V().Navigator) + "Next").c_str());
  Restart();
  EXPECT_EQ(StoredText(name), before);
}

INSTANTIATE_TEST_SUITE_P(Views, TextEditingTest, ::testing::ValuesIn(kViews),
                         [](const ::testing::TestParamInfo<TTextView>& info) {
                           return std::string(info.param.View);
                         });

TEST_F(EntryEditingTest, BasicsTextTypedIsStoredByTheNextTopic) {
  PickTab("TsGrundlage");
  Click("PaBtGrunfNaviMen");
  const QString before = Find<TDBRichEdit>("DbReGrundl")->toPlainText();
  auto* view = Find<TDBRichEdit>("DbReGrundl");
  view->setFocus(Qt::MouseFocusReason);
  view->moveCursor(QTextCursor::Start);
  QTest::keyClicks(view, QStringLiteral("Neu: "));
  EXPECT_EQ(Table("tbGrdlg").State(), dvx::dsEdit);
  Click("PaBtGrunfNaviKon");
  EXPECT_EQ(Table("tbGrdlg").State(), dvx::dsBrowse);
  Restart();
  PickTab("TsGrundlage");
  Click("PaBtGrunfNaviMen");
  EXPECT_EQ(Find<TDBRichEdit>("DbReGrundl")->toPlainText(), QStringLiteral("Neu: ") + before);
}

}  // namespace
}  // namespace fendra::testing
