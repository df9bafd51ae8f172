// Character style, alignment and font on a rich-text edit: what the
// selection takes, what lies outside it keeps, and a chosen font replacing
// a size in pixels that parts of the text carry.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include "app/text_formatting.h"

namespace fendra::testing {
namespace {

class TextFormattingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QTextCursor c(edit_.document());
    QTextCharFormat pixels;
    pixels.setProperty(QTextFormat::FontPixelSize, 15);
    c.insertText(QStringLiteral("Erste Zeile"), pixels);
    c.insertBlock();
    c.insertText(QStringLiteral("Zweite Zeile"), QTextCharFormat());
  }
  QTextCharFormat At(int position) {
    QTextCursor c(edit_.document());
    c.setPosition(position + 1);
    return c.charFormat();
  }
  void Select(int from, int to) {
    QTextCursor c(edit_.document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    edit_.setTextCursor(c);
  }
  QTextEdit edit_;
};

TEST_F(TextFormattingTest, StyleGoesToTheSelectionOnly) {
  Select(6, 11);
  SetCharStyle(edit_, TCharStyle::Bold, true);
  SetCharStyle(edit_, TCharStyle::Underline, true);
  EXPECT_GE(At(6).fontWeight(), QFont::Bold);
  EXPECT_TRUE(At(10).fontUnderline());
  EXPECT_LT(At(5).fontWeight(), QFont::Bold);
  EXPECT_FALSE(At(12).fontUnderline());
  EXPECT_TRUE(HasCharStyle(edit_, TCharStyle::Bold));
  SetCharStyle(edit_, TCharStyle::Bold, false);
  EXPECT_LT(At(6).fontWeight(), QFont::Bold);
  EXPECT_TRUE(At(6).fontUnderline());
}

TEST_F(TextFormattingTest, AlignmentTakesEveryParagraphTheSelectionTouches) {
  Select(3, 14);
  SetParagraphAlignment(edit_, Qt::AlignRight);
  EXPECT_EQ(edit_.document()->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(edit_.document()->lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(ParagraphAlignment(edit_), Qt::AlignRight);
  Select(1, 1);
  SetParagraphAlignment(edit_, Qt::AlignHCenter);
  EXPECT_EQ(ParagraphAlignment(edit_), Qt::AlignHCenter);
  EXPECT_EQ(edit_.document()->lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST_F(TextFormattingTest, FontWithoutASelectionTakesTheWholeTextAndReplacesPixelSizes) {
  Select(4, 4);
  QFont font(QStringLiteral("Serif"));
  font.setPointSize(20);
  font.setItalic(true);
  ApplyFont(edit_, font);
  for (int position : {0, 5, 10, 12, 22}) {
    const QTextCharFormat f = At(position);
    EXPECT_EQ(f.fontFamilies().toStringList(), QStringList{"Serif"}) << position;
    EXPECT_FALSE(f.hasProperty(QTextFormat::FontPixelSize)) << position;
    EXPECT_EQ(f.fontPointSize(), 20) << position;
    EXPECT_TRUE(f.fontItalic()) << position;
  }
  // The caret stays where it was, without a selection.
  EXPECT_EQ(edit_.textCursor().position(), 4);
  EXPECT_FALSE(edit_.textCursor().hasSelection());
}

TEST_F(TextFormattingTest, FontOnASelectionLeavesTheRestAlone) {
  Select(2, 8);
  ApplyFontFamily(edit_, QStringLiteral("Serif"));
  EXPECT_EQ(At(2).fontFamilies().toStringList(), QStringList{"Serif"});
  EXPECT_EQ(At(7).fontFamilies().toStringList(), QStringList{"Serif"});
  EXPECT_FALSE(At(1).hasProperty(QTextFormat::FontFamilies));
  EXPECT_FALSE(At(8).hasProperty(QTextFormat::FontFamilies));
  // The pixel size of the first line is kept where only the family changed.
  EXPECT_EQ(At(3).intProperty(QTextFormat::FontPixelSize), 15);
}

}  // namespace
}  // namespace fendra::testing
