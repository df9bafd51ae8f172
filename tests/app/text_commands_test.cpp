// The tool bar's text commands on the window's texts: which text they
// address on each page, store, the clipboard, character style and
// alignment stored and read back after a restart, and the font choice,
// which changes nothing but the text being edited.
#include <QClipboard>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

#include "app/font_combo.h"
#include "app/key_search.h"
#include "app/main_toolbar.h"
#include "app/rich_text_edit.h"
#include "app/richtext/rtf_reader.h"
#include "tests/app/text_commands_fixture.h"

namespace fendra::testing {
namespace {

using TextCommandsTest = OwnDatabasesTest;

bool Enabled(QWidget* w) { return w->isEnabled(); }

TEST_F(TextCommandsTest, CommandsAddressTheActivePagesVisibleText) {
  auto* bold = Find("TBBold");
  auto* copy = Find("TBCopy");
  auto* fonts = Find("CBFonts");
  // The tree's text is for reading: copied and printed, never formatted.
  EXPECT_EQ(ActiveName(), "DbReBaum");
  EXPECT_FALSE(Enabled(bold));
  EXPECT_FALSE(Enabled(fonts));
  EXPECT_FALSE(Enabled(Find("TBCut")));
  EXPECT_FALSE(Enabled(Find("TBPaste")));
  EXPECT_TRUE(Enabled(copy));
  EXPECT_TRUE(Enabled(Find("SbMMPrint")));

  PickTab("TsIndikAZ");
  EXPECT_EQ(ActiveName(), "DbReIndAZ");
  EXPECT_TRUE(Enabled(bold) && Enabled(fonts) && Enabled(Find("TBCut")) && Enabled(Find("TBPaste")));
  EXPECT_EQ(MarkerColor(window_->Marker()), marker::kAtoZText);

  PickTab("TsKinder");  // the remedy finder, whose remedy text is for reading
  EXPECT_EQ(ActiveName(), "reKindKM");
  EXPECT_FALSE(Enabled(bold));
  Click("SbSuchIndKind");
  EXPECT_EQ(ActiveName(), "DbReKindSuN");
  EXPECT_TRUE(Enabled(bold));

  PickTab("TsNotfall");
  EXPECT_EQ(ActiveName(), "DbReNotfInd");
  EXPECT_TRUE(Enabled(bold));
  Click("PaBtNotfNaviMod");  // the modality finder shows no text
  EXPECT_EQ(ActiveName(), "");
  EXPECT_FALSE(Enabled(copy));
  EXPECT_FALSE(Enabled(bold));

  PickTab("TsAML");
  EXPECT_EQ(ActiveName(), "DbReMMHerk");
  Click("PaMMGesBild");
  EXPECT_EQ(ActiveName(), "DbReMMGesBild");
  EXPECT_EQ(window_->ActiveText().PrintBuffer->objectName(), "ReMMDruck");
  EXPECT_EQ(MarkerColor(window_->Marker()), marker::kRemedyPicture);
  EXPECT_TRUE(Enabled(bold));
  Click("PaMMIndik");
  EXPECT_EQ(ActiveName(), "DbReMMIndik");
  EXPECT_EQ(MarkerColor(window_->Marker()), marker::kRemedyIndications);

  PickTab("TsGrundlage");
  EXPECT_EQ(ActiveName(), "DbReGrundl");
  EXPECT_EQ(window_->ActiveText().PrintBuffer, window_->PrintBuffer());
  EXPECT_EQ(window_->ActiveText(true).Heading, CurrentText(window_->Data().TableComponent("tbGrdlg"), "Verzeichnis"));
}

TEST_F(TextCommandsTest, StyleAndAlignmentOfSelectionsAreStoredAndReadBackAfterARestart) {
  PickTab("TsIndikAZ");
  auto* view = Find<TRichTextView>("DbReIndAZ");
  const QString key = CurrentText(window_->Data().TableComponent("TblIndList"), "Indikationen");
  ASSERT_FALSE(key.isEmpty());
  const QString before = view->toPlainText();
  view->setFocus(Qt::MouseFocusReason);
  view->moveCursor(QTextCursor::Start);
  // The typed lines start plain and left-aligned, whatever the entry's own
  // text begins with (a bold heading, say), so each format below is the
  // command's doing.
  QTextCharFormat plain;
  plain.setFontWeight(QFont::Normal);
  plain.setFontItalic(false);
  plain.setFontUnderline(false);
  view->mergeCurrentCharFormat(plain);
  QTextBlockFormat left;
  left.setAlignment(Qt::AlignLeft);
  view->textCursor().mergeBlockFormat(left);
  QTest::keyClicks(view, QStringLiteral("Fett Kursiv Unterstrichen"));
  for (const char* line : {"Links", "Mitte", "Rechts", ""}) {
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, QString::fromLatin1(line));
  }
  ASSERT_TRUE(view->toPlainText().startsWith("Fett Kursiv Unterstrichen\nLinks\nMitte\nRechts\n"));
  Select(view, 0, 4);
  Click("TBBold");
  Select(view, 5, 11);
  Click("TBItalic");
  Select(view, 12, 25);
  Click("TBUnderline");
  // Alignment on a selection reaching into two paragraphs, then one back.
  Select(view, 26, 33);  // "Links" and "Mi"
  Click("TBCenter");
  Select(view, 27, 28);
  Click("TBLeftAlign");
  Select(view, 38, 40);
  Click("TBRightAlign");
  Click("TBMMGBSave");
  EXPECT_EQ(window_->Data().TableComponent("TblIndList").State(), dvx::dsBrowse);

  Restart();
  dvx::TDVXTable& table = window_->Data().TableComponent("TblIndList");
  SeekNearestText(table, "Indikationen", key);
  ASSERT_EQ(CurrentText(table, "Indikationen"), key);
  const TBlobRead stored = ReadBlobBytes(table.FieldByName("Detail"), 64 << 20);
  ASSERT_TRUE(RtfReader::IsRtf(stored.bytes));
  QTextDocument doc;
  ASSERT_EQ(RtfReader().Read(stored.bytes, &doc), RtfReader::TStatus::Ok);
  EXPECT_TRUE(doc.toPlainText().endsWith(before.right(40))) << "the entry's own text follows";
  const auto format = [&](int position) {
    QTextCursor c(&doc);
    c.setPosition(position + 1);  // the format of the character before
    return c.charFormat();
  };
  EXPECT_GE(format(0).fontWeight(), QFont::Bold);
  EXPECT_GE(format(3).fontWeight(), QFont::Bold);
  EXPECT_LT(format(4).fontWeight(), QFont::Bold);
  EXPECT_FALSE(format(3).fontItalic());
  EXPECT_TRUE(format(5).fontItalic());
  EXPECT_TRUE(format(10).fontItalic());
  EXPECT_FALSE(format(11).fontItalic());
  EXPECT_LT(format(5).fontWeight(), QFont::Bold);
  EXPECT_TRUE(format(12).fontUnderline());
  EXPECT_TRUE(format(24).fontUnderline());
  EXPECT_FALSE(format(10).fontUnderline());
  const auto alignment = [&](int block) {
    return doc.findBlockByNumber(block).blockFormat().alignment() & Qt::AlignHorizontal_Mask;
  };
  EXPECT_EQ(alignment(1), Qt::AlignLeft);    // "Links"
  EXPECT_EQ(alignment(2), Qt::AlignHCenter); // "Mitte"
  EXPECT_EQ(alignment(3), Qt::AlignRight);   // "Rechts"
  EXPECT_EQ(alignment(4), Qt::AlignLeft);
}

TEST_F(TextCommandsTest, StoreWithoutAChangeLeavesTheTableAsItWas) {
  PickTab("TsIndikAZ");
  dvx::TDVXTable& table = window_->Data().TableComponent("TblIndList");
  ASSERT_EQ(table.State(), dvx::dsBrowse);
  Click("TBMMGBSave");
  EXPECT_EQ(table.State(), dvx::dsBrowse);
  Stop();
  const TDatabaseBytes after = ReadAllTables(folder_);
  EXPECT_EQ(after, ReadAllTables(BuiltDatabases()));
}

TEST_F(TextCommandsTest, ClipboardCommandsActOnTheFocusedTextControl) {
  QClipboard* clipboard = QApplication::clipboard();
  // Copy works on the tree's text for reading and carries RTF, HTML and
  // plain text; cut and paste are not offered there.
  auto* tree = Find<TRichTextView>("DbReBaum");
  ASSERT_GT(tree->toPlainText().size(), 6);
  tree->setFocus(Qt::MouseFocusReason);
  Select(tree, 0, 6);
  clipboard->clear();
  Click("TBCopy");
  const QMimeData* copied = clipboard->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->text(), tree->toPlainText().left(6));
  EXPECT_TRUE(copied->hasHtml());
  EXPECT_TRUE(copied->hasFormat(TRichTextEdit::RtfMimeTypes().first()));
  const QString treeText = tree->toPlainText();
  // Cut has nothing to take from a text for reading.
  window_->TBCutClick();
  EXPECT_EQ(tree->toPlainText(), treeText);

  // The search line has the keyboard: the commands take its text.
  PickTab("TsAML");
  auto* search = Find<QLineEdit>("edAMEingabe");
  search->setFocus(Qt::MouseFocusReason);
  search->setText(QStringLiteral("Abs"));
  search->selectAll();
  Click("TBCut");
  EXPECT_EQ(clipboard->text(), "Abs");
  EXPECT_EQ(search->text(), "");

  // Pasted RTF keeps its bold in the A-Z text.
  PickTab("TsIndikAZ");
  auto* view = Find<TRichTextView>("DbReIndAZ");
  view->setFocus(Qt::MouseFocusReason);
  view->moveCursor(QTextCursor::Start);
  auto* rtf = new QMimeData;
  rtf->setData(TRichTextEdit::RtfMimeTypes().first(), QByteArray("{\\rtf1\\ansi {\\b Fettes} Wort }"));
  clipboard->setMimeData(rtf);
  Click("TBPaste");
  EXPECT_TRUE(view->toPlainText().startsWith("Fettes Wort")) << view->toPlainText().left(30).toStdString();
  QTextCursor c(view->document());
  c.setPosition(2);
  EXPECT_GE(c.charFormat().fontWeight(), QFont::Bold);
  EXPECT_EQ(window_->Data().TableComponent("TblIndList").State(), dvx::dsEdit);
}

// The font choice on the materia medica: the remedy's overall picture takes
// the chosen font on its selection; the other fields of its record, every
// other record of every table, every other view and the clipboard stay
// byte for byte as they were.
TEST_F(TextCommandsTest, FontChoiceChangesOnlyTheTextBeingEdited) {
  Stop();
  const TDatabaseBytes before = ReadAllTables(folder_);
  Start();
  PickTab("TsAML");
  Click("PaMMGesBild");
  auto* view = Find<TRichTextView>("DbReMMGesBild");
  ASSERT_EQ(ActiveName(), "DbReMMGesBild");
  ASSERT_GT(view->toPlainText().size(), 20);
  dvx::TDVXTable& remedies = window_->Data().TableComponent("TblAML");
  const QString remedy = CurrentText(remedies, "Hom Bezeichnung");

  QString family;
  for (const QString& f : QFontDatabase::families())
    if (f != view->currentCharFormat().font().family() && f != QFontInfo(window_->font()).family()) family = f;
  ASSERT_FALSE(family.isEmpty());
  QFont chosen(family);
  chosen.setPointSize(17);
  chosen.setItalic(true);
  int asked = 0;
  window_->SetFontChooser([&](const QFont&) -> std::optional<QFont> {
    ++asked;
    return chosen;
  });

  std::map<QString, QByteArray> views;
  for (TRichTextView* other : window_->findChildren<TRichTextView*>())
    if (other != view) views[other->objectName()] = other->Rtf();
  auto* held = new QMimeData;
  held->setText(QStringLiteral("Zwischenablage"));
  held->setHtml(QStringLiteral("<b>Zwischenablage</b>"));
  held->setData(TRichTextEdit::RtfMimeTypes().first(), QByteArray("{\\rtf1 Zwischenablage}"));
  QApplication::clipboard()->setMimeData(held);
  const QStringList heldFormats = QApplication::clipboard()->mimeData()->formats();

  view->setFocus(Qt::MouseFocusReason);
  Select(view, 3, 15);
  Find<TFontCombo>("CBFonts")->showPopup();
  EXPECT_EQ(asked, 1);
  QTextCursor at(view->document());
  at.setPosition(10);
  EXPECT_EQ(at.charFormat().font().family(), family);
  EXPECT_TRUE(at.charFormat().fontItalic());
  at.setPosition(2);
  EXPECT_NE(at.charFormat().font().family(), family) << "outside the selection";
  EXPECT_EQ(Find<QComboBox>("CBFonts")->currentText(), family);
  // The box follows the caret into text of another font.
  Select(view, 1, 1);
  EXPECT_NE(Find<QComboBox>("CBFonts")->currentText(), family);

  for (TRichTextView* other : window_->findChildren<TRichTextView*>())
    if (other != view) EXPECT_TRUE(other->Rtf() == views[other->objectName()]) << other->objectName().toStdString();
  const QMimeData* now = QApplication::clipboard()->mimeData();
  EXPECT_EQ(now->formats(), heldFormats);
  for (const QString& format : heldFormats) EXPECT_EQ(now->data(format), held->data(format)) << format.toStdString();

  Click("TBMMGBSave");
  Stop();
  const TDatabaseBytes after = ReadAllTables(folder_);
  ASSERT_EQ(after.size(), before.size());
  int changed = 0;
  for (const auto& [table, rows] : before) {
    const TTableBytes& now = after.at(table);
    ASSERT_EQ(now.size(), rows.size()) << table;
    for (size_t r = 0; r < rows.size(); ++r) {
      if (rows[r] == now[r]) continue;
      ++changed;
      EXPECT_EQ(table, "TblAML") << "record " << r;
      ASSERT_EQ(rows[r].size(), now[r].size());
      for (size_t f = 0; f < rows[r].size(); ++f) {
        if (rows[r][f] == now[r][f]) continue;
        EXPECT_TRUE(now[r][f].contains(family.toLatin1())) << "the changed field is the overall picture";
      }
    }
  }
  EXPECT_EQ(changed, 1);

  // The changed field is the remedy's overall picture.
  Start();
  dvx::TDVXTable& table = window_->Data().TableComponent("TblAML");
  SeekNearestText(table, "Hom Bezeichnung", remedy);
  EXPECT_TRUE(ReadBlobBytes(table.FieldByName("AMB"), 64 << 20).bytes.contains(family.toLatin1()));
  EXPECT_FALSE(ReadBlobBytes(table.FieldByName("Indikationen"), 64 << 20).bytes.contains(family.toLatin1()));
}

TEST_F(TextCommandsTest, CancelledFontDialogChangesNothing) {
  PickTab("TsIndikAZ");
  auto* view = Find<TRichTextView>("DbReIndAZ");
  const QByteArray rtf = view->Rtf();
  window_->SetFontChooser([](const QFont&) { return std::optional<QFont>(); });
  view->setFocus(Qt::MouseFocusReason);
  Find<TFontCombo>("CBFonts")->showPopup();
  EXPECT_EQ(view->Rtf(), rtf);
  EXPECT_EQ(window_->Data().TableComponent("TblIndList").State(), dvx::dsBrowse);
}

}  // namespace
}  // namespace fendra::testing
