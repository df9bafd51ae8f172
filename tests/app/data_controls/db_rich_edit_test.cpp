// The data-aware rich text: RTF and plain memos shown, typed text written
// back through the BLOB stream, in the form the value had.
#include "app/data_controls/db_rich_edit.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "app/richtext/rtf_reader.h"
#include "tests/app/data_controls/data_controls_fixture.h"

namespace fendra::testing {
namespace {

const QByteArray kRtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 {\\b Fett} und normal\\par}";

class DBRichEditTest : public DataControlsTest {
 protected:
  void SetUp() override {
    DataControlsTest::SetUp();
    Open({"Aconitum", "Belladonna"});
    view_ = std::make_unique<TDBRichEdit>(nullptr, "DbReMMHerk");
    view_->SetDataSource(&source_);
    view_->SetDataField("Notes");
    view_->show();
    view_->setFocus();
    QApplication::processEvents();
  }
  void TearDown() override {
    view_.reset();
    DataControlsTest::TearDown();
  }
  // The stored value read back as a reader of the field would.
  QString StoredText(bool* wasRtf = nullptr) const {
    const QByteArray bytes = Blob("Notes");
    if (wasRtf) *wasRtf = RtfReader::IsRtf(bytes);
    QTextDocument document;
    RtfReader().Read(bytes, &document);
    return document.toPlainText();
  }
  void TypeAtEnd(const QString& text) {
    view_->moveCursor(QTextCursor::End);
    QTest::keyClicks(view_.get(), text);
  }
  std::unique_ptr<TDBRichEdit> view_;
};

TEST_F(DBRichEditTest, AnRtfValueShowsWithItsFormatting) {
  StoreBlob("Notes", kRtf);
  EXPECT_EQ(view_->toPlainText(), "Fett und normal");
  QTextCursor cursor(view_->document());
  cursor.setPosition(2);
  EXPECT_TRUE(cursor.charFormat().fontWeight() >= QFont::Bold);
  cursor.setPosition(8);
  EXPECT_FALSE(cursor.charFormat().fontWeight() >= QFont::Bold);
}

TEST_F(DBRichEditTest, TypingStartsTheEditAndPostWritesRtfBack) {
  StoreBlob("Notes", kRtf);
  TypeAtEnd(" Hallo");
  EXPECT_EQ(dataSet_.State(), dvx::dsEdit);
  dataSet_.Post();
  bool rtf = false;
  EXPECT_EQ(StoredText(&rtf), "Fett und normal Hallo");
  EXPECT_TRUE(rtf);
  // The formatting went back too.
  QTextDocument document;
  RtfReader().Read(Blob("Notes"), &document);
  QTextCursor cursor(&document);
  cursor.setPosition(2);
  EXPECT_TRUE(cursor.charFormat().fontWeight() >= QFont::Bold);
}

TEST_F(DBRichEditTest, APlainMemoShowsAsPlainTextAndStaysPlain) {
  StoreBlob("Notes", "Zeile eins\nZeile zwei");
  EXPECT_EQ(view_->toPlainText(), "Zeile eins\nZeile zwei");
  TypeAtEnd("!");
  dataSet_.Post();
  EXPECT_EQ(Blob("Notes"), "Zeile eins\nZeile zwei!");
}

TEST_F(DBRichEditTest, TextThatLooksLikeMarkupIsShownAsIt) {
  StoreBlob("Notes", "<b>nicht fett</b>");
  EXPECT_EQ(view_->toPlainText(), "<b>nicht fett</b>");
}

TEST_F(DBRichEditTest, MovingToAnotherRecordStoresTheTypedTextFirst) {
  StoreBlob("Notes", kRtf);
  TypeAtEnd("X");
  dataSet_.Next();
  EXPECT_EQ(view_->toPlainText(), "");
  dataSet_.First();
  EXPECT_EQ(StoredText(), "Fett und normalX");
  EXPECT_EQ(view_->toPlainText(), "Fett und normalX");
}

TEST_F(DBRichEditTest, EmptyingTheTextMakesTheFieldNull) {
  StoreBlob("Notes", kRtf);
  view_->selectAll();
  QTest::keyClick(view_.get(), Qt::Key_Delete);
  dataSet_.Post();
  EXPECT_TRUE(Field("Notes").IsNull());
}

TEST_F(DBRichEditTest, CancelShowsTheStoredTextAgain) {
  StoreBlob("Notes", kRtf);
  TypeAtEnd("X");
  dataSet_.Cancel();
  EXPECT_EQ(view_->toPlainText(), "Fett und normal");
  EXPECT_EQ(StoredText(), "Fett und normal");
}

TEST_F(DBRichEditTest, EscapeRevertsTheTypedText) {
  StoreBlob("Notes", kRtf);
  TypeAtEnd("X");
  QTest::keyClick(view_.get(), Qt::Key_Escape);
  EXPECT_EQ(view_->toPlainText(), "Fett und normal");
}

TEST_F(DBRichEditTest, AReadOnlyViewNeverStartsAnEdit) {
  TDBRichEdit readOnly(nullptr, "DbReBaum", TRichTextView::TAccess::ReadOnly);
  readOnly.SetDataSource(&source_);
  readOnly.SetDataField("Notes");
  StoreBlob("Notes", kRtf);
  EXPECT_TRUE(readOnly.isReadOnly());
  readOnly.show();
  readOnly.setFocus();
  QTest::keyClicks(&readOnly, "zz");
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  EXPECT_EQ(readOnly.toPlainText(), "Fett und normal");
}

TEST_F(DBRichEditTest, WithoutAutoEditTheViewDropsKeystrokes) {
  StoreBlob("Notes", kRtf);
  source_.SetAutoEdit(false);
  TypeAtEnd("zz");
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  EXPECT_EQ(view_->toPlainText(), "Fett und normal");
}

TEST_F(DBRichEditTest, DamagedRtfShowsWhatCouldBeReadAndSaysSo) {
  StoreBlob("Notes", "{\\rtf1\\ansi Anfang {\\b fett");
  EXPECT_TRUE(view_->toPlainText().startsWith("Anfang"));
  EXPECT_FALSE(view_->ValueMessage().isEmpty());
}

}  // namespace
}  // namespace fendra::testing
