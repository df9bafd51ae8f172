// Documents written as RTF and read back keep their text and formatting.
#include <gtest/gtest.h>

#include <QImage>
#include <QTextBlock>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>

#include "tests/app/richtext/rtf_test_support.h"

namespace fendra::testing {
namespace {

class RtfRoundTripTest : public ::testing::Test {
 protected:
  // Writes, reads back and compares paragraph by paragraph, run by run.
  void ExpectSurvives(const QTextDocument& document) {
    const QByteArray rtf = WriteRtf(document);
    const std::unique_ptr<QTextDocument> back = ReadRtf(rtf);
    EXPECT_EQ(DescribeDocument(*back), DescribeDocument(document)) << rtf.toStdString();
    EXPECT_EQ(back->toPlainText(), document.toPlainText());
  }

  static QTextCharFormat With(void (*set)(QTextCharFormat&)) {
    QTextCharFormat format;
    set(format);
    return format;
  }
};

TEST_F(RtfRoundTripTest, EveryCharacterFormatSurvives) {
  TDocumentMaker maker;
  maker.Paragraph().Run("plain ").Run("fett ", Bold()).Run("kursiv ", Italic());
  QTextCharFormat both = Bold();
  both.setFontItalic(true);
  maker.Run("beides ", both);
  maker.Paragraph();
  for (auto style : {QTextCharFormat::SingleUnderline, QTextCharFormat::DashUnderline, QTextCharFormat::DotLine,
                     QTextCharFormat::DashDotLine, QTextCharFormat::DashDotDotLine, QTextCharFormat::WaveUnderline}) {
    QTextCharFormat format;
    format.setUnderlineStyle(style);
    maker.Run(QStringLiteral("u%1 ").arg(int(style)), format).Run("-");
  }
  maker.Paragraph()
      .Run("durch ", With([](QTextCharFormat& f) { f.setFontStrikeOut(true); }))
      .Run("hoch", With([](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); }))
      .Run("tief", With([](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); }))
      .Run(" gross", With([](QTextCharFormat& f) { f.setFontCapitalization(QFont::AllUppercase); }))
      .Run(" kapitaelchen", With([](QTextCharFormat& f) { f.setFontCapitalization(QFont::SmallCaps); }));
  maker.Paragraph()
      .Run("klein ", Font("Times New Roman", 8))
      .Run("halb ", Font("Courier New", 10.5))
      .Run("gross ", Font("Arial", 20))
      .Run("rot ", With([](QTextCharFormat& f) { f.setForeground(QColor(200, 10, 20)); }))
      .Run("markiert ", With([](QTextCharFormat& f) { f.setBackground(QColor(Qt::yellow)); }))
      .Run("beides", With([](QTextCharFormat& f) {
        f.setForeground(QColor(Qt::blue));
        f.setBackground(QColor(200, 10, 20));
      }));
  maker.Paragraph().Run("siehe ").Run("Verweis", With([](QTextCharFormat& f) {
    f.setAnchor(true);
    f.setAnchorHref("https://example.org/a?b=1");
  }));
  ExpectSurvives(maker.Document());
}

TEST_F(RtfRoundTripTest, EveryParagraphFormatSurvives) {
  TDocumentMaker maker;
  const auto format = [](void (*set)(QTextBlockFormat&)) {
    QTextBlockFormat block;
    set(block);
    return block;
  };
  maker.Paragraph().Run("links");
  maker.Paragraph(format([](QTextBlockFormat& f) { f.setAlignment(Qt::AlignHCenter); })).Run("mitte");
  maker.Paragraph(format([](QTextBlockFormat& f) { f.setAlignment(Qt::AlignRight); })).Run("rechts");
  maker.Paragraph(format([](QTextBlockFormat& f) { f.setAlignment(Qt::AlignJustify); })).Run("block");
  maker.Paragraph(format([](QTextBlockFormat& f) {
    f.setLeftMargin(40);
    f.setRightMargin(20);
    f.setTextIndent(-12);
  })).Run("haengend");
  maker.Paragraph(format([](QTextBlockFormat& f) {
    f.setTextIndent(24);
    f.setTopMargin(6);
    f.setBottomMargin(13.5);
  })).Run("eingerueckt");
  maker.Paragraph(format([](QTextBlockFormat& f) { f.setHeadingLevel(1); })).Run("Titel", Bold());
  maker.Paragraph(format([](QTextBlockFormat& f) { f.setHeadingLevel(3); })).Run("Unterpunkt");
  maker.Paragraph(format([](QTextBlockFormat& f) { f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore); }))
      .Run("neue Seite");
  ExpectSurvives(maker.Document());
}

TEST_F(RtfRoundTripTest, IndentLevelsBecomeLeftMargins) {
  TDocumentMaker maker;
  QTextBlockFormat indented;
  indented.setIndent(2);
  indented.setLeftMargin(10);
  maker.Paragraph(indented).Run("eingerueckt");
  const std::unique_ptr<QTextDocument> back = RoundTrip(maker.Document());
  EXPECT_EQ(DescribeDocument(*back).at(0).left, 10 + 2 * maker.Document().indentWidth());
}

TEST_F(RtfRoundTripTest, GermanTextAndCharactersBeyondWindows1252Survive) {
  TDocumentMaker maker;
  maker.Paragraph().Run(QString::fromUtf8("Grüße aus Köln: „Äpfel“ ‚Öl‘ – ÄÖÜ äöü ß … 5 € «»"));
  maker.Paragraph().Run(QString::fromUtf8("Ω ≠ → ∞ 漢字 ğ ł 😀"), Bold());
  maker.Paragraph().Run(QString::fromUtf8("Tab\tZeile\u2028neu, fest\u00A0Raum, wei\u00ADche, fest\u2011Strich"));
  maker.Paragraph().Run(QStringLiteral("{Klammern} und \\Rueckstrich\\ -1 \\par"));
  const QByteArray rtf = WriteRtf(maker.Document());
  for (char byte : rtf) ASSERT_LT(static_cast<unsigned char>(byte), 0x80) << "RTF output is ASCII";
  EXPECT_TRUE(rtf.contains("Gr\\'fc\\'dfe")) << "Windows-1252 letters are written as \\'hh";
  EXPECT_TRUE(rtf.contains("\\'80")) << "the euro sign is in Windows-1252";
  EXPECT_TRUE(rtf.contains("\\u8800?")) << "characters beyond Windows-1252 are written as \\uN?";
  EXPECT_TRUE(rtf.contains("\\u-10179?")) << "astral characters are two signed surrogates";
  ExpectSurvives(maker.Document());
}

TEST_F(RtfRoundTripTest, ListsKeepStyleLevelAndMembership) {
  TDocumentMaker maker;
  maker.Paragraph().Run("Einleitung");
  maker.ListItem(QTextListFormat::ListDisc).Run("eins");
  maker.ListItem(QTextListFormat::ListCircle, 2).Run("eins a");
  maker.ListItem(QTextListFormat::ListSquare, 3).Run("eins a i");
  maker.ListItem(QTextListFormat::ListDisc).Run("zwei");
  maker.Paragraph().Run("dazwischen");
  maker.ListItem(QTextListFormat::ListDecimal).Run("erstens");
  maker.ListItem(QTextListFormat::ListLowerAlpha, 2).Run("a");
  maker.ListItem(QTextListFormat::ListDecimal).Run("zweitens");
  maker.ListItem(QTextListFormat::ListDecimal, 1, true).Run("neue Liste");
  maker.ListItem(QTextListFormat::ListUpperAlpha).Run("A");
  maker.ListItem(QTextListFormat::ListLowerRoman).Run("i");
  maker.ListItem(QTextListFormat::ListUpperRoman).Run("I");
  ExpectSurvives(maker.Document());
}

TEST_F(RtfRoundTripTest, PictureSurvivesWithItsSizeAndPixels) {
  TDocumentMaker maker;
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(QColor(10, 200, 30));
  image.setPixelColor(2, 1, QColor(250, 0, 0));
  maker.Document().addResource(QTextDocument::ImageResource, QUrl("bild"), image);
  QTextImageFormat picture;
  picture.setName("bild");
  picture.setWidth(30);
  picture.setHeight(20);
  maker.Paragraph().Run("vor ");
  QTextCursor cursor(&maker.Document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertImage(picture);
  cursor.insertText(" nach");
  const std::unique_ptr<QTextDocument> back = RoundTrip(maker.Document());
  EXPECT_EQ(DescribeDocument(*back), DescribeDocument(maker.Document()));
  const QTextFragment fragment = (++back->begin().begin()).fragment();
  ASSERT_TRUE(fragment.charFormat().isImageFormat());
  const QVariant resource =
      back->resource(QTextDocument::ImageResource, QUrl(fragment.charFormat().toImageFormat().name()));
  const QImage read = resource.value<QImage>();
  ASSERT_EQ(read.size(), image.size());
  EXPECT_EQ(read.pixelColor(0, 0), QColor(10, 200, 30));
  EXPECT_EQ(read.pixelColor(2, 1), QColor(250, 0, 0));
}

TEST_F(RtfRoundTripTest, EmptyParagraphsSurviveAtEveryPlace) {
  for (const QStringList& paragraphs : {QStringList{""}, QStringList{"A", ""}, QStringList{"", "A"},
                                        QStringList{"A", "", "", "B"}, QStringList{"", ""}}) {
    TDocumentMaker maker;
    for (const QString& text : paragraphs) maker.Paragraph().Run(text);
    const std::unique_ptr<QTextDocument> back = RoundTrip(maker.Document());
    EXPECT_EQ(ParagraphTexts(*back), paragraphs);
  }
}

TEST_F(RtfRoundTripTest, TablesComeBackAsTheirTextInReadingOrder) {
  TDocumentMaker maker;
  maker.Paragraph().Run("vorher");
  QTextCursor cursor(&maker.Document());
  cursor.movePosition(QTextCursor::End);
  QTextTable* table = cursor.insertTable(2, 3);
  const char* cells[2][3] = {{"Mittel", "Potenz", ""}, {"Arnica", "C30", "3x"}};
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 3; ++column) table->cellAt(row, column).firstCursorPosition().insertText(cells[row][column]);
  }
  const std::unique_ptr<QTextDocument> back = RoundTrip(maker.Document());
  EXPECT_EQ(ParagraphTexts(*back), (QStringList{"vorher", "Mittel\tPotenz\t", "Arnica\tC30\t3x", ""}));
}

}  // namespace
}  // namespace fendra::testing
