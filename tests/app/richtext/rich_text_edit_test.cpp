// The RTF text edit: content in and out as RTF, and RTF on the clipboard in
// both directions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextBlock>

#include "app/rich_text_edit.h"
#include "tests/app/richtext/rtf_test_support.h"

namespace fendra::testing {
namespace {

class RichTextEditTest : public ::testing::Test {
 protected:
  void SetUp() override { QApplication::clipboard()->clear(); }

  void PutOnClipboard(const QString& type, const QByteArray& data, const QString& plain = {}) {
    auto* mime = new QMimeData;
    mime->setData(type, data);
    if (!plain.isEmpty()) mime->setText(plain);
    QApplication::clipboard()->setMimeData(mime);
  }

  void PlaceCursor(int position) {
    QTextCursor cursor = edit_.textCursor();
    cursor.setPosition(position);
    edit_.setTextCursor(cursor);
  }

  TRichTextEdit edit_;
};

TEST_F(RichTextEditTest, SetRtfAndRtfRoundTrip) {
  ASSERT_EQ(edit_.SetRtf(R"({\rtf1{\fonttbl{\f0 Arial;}}\f0 normal {\b fett} {\i kursiv}\par zwei})"),
            RtfReader::TStatus::Ok);
  EXPECT_EQ(edit_.toPlainText(), "normal fett kursiv\nzwei");
  const std::unique_ptr<QTextDocument> back = ReadRtf(edit_.Rtf());
  EXPECT_EQ(DescribeDocument(*back), DescribeDocument(*edit_.document()));
}

TEST_F(RichTextEditTest, SetRtfReportsDamage) {
  EXPECT_EQ(edit_.SetRtf("{\\rtf1 halb {\\b fett"), RtfReader::TStatus::Repaired);
  EXPECT_EQ(edit_.toPlainText(), "halb fett");
  EXPECT_FALSE(edit_.RtfMessage().isEmpty());
}

TEST_F(RichTextEditTest, CopyPutsRtfHtmlAndPlainTextOnTheClipboard) {
  edit_.SetRtf(R"({\rtf1 vorne {\b fett} {\i kursiv} hinten})");
  QTextCursor cursor = edit_.textCursor();
  cursor.setPosition(6);
  cursor.setPosition(17, QTextCursor::KeepAnchor);
  edit_.setTextCursor(cursor);
  edit_.copy();
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  for (const QString& type : TRichTextEdit::RtfMimeTypes()) EXPECT_TRUE(mime->hasFormat(type)) << type.toStdString();
  EXPECT_EQ(mime->text(), "fett kursiv");
  EXPECT_TRUE(mime->hasHtml());
  const QByteArray rtf = mime->data("text/rtf");
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
  const std::vector<TParagraphShape> copied = DescribeDocument(*ReadRtf(rtf));
  ASSERT_EQ(copied.size(), 1u);
  ASSERT_EQ(copied[0].runs.size(), 3u);
  EXPECT_EQ(copied[0].runs[0].text, "fett");
  EXPECT_TRUE(copied[0].runs[0].bold);
  EXPECT_EQ(copied[0].runs[2].text, "kursiv");
  EXPECT_TRUE(copied[0].runs[2].italic);
}

TEST_F(RichTextEditTest, PastingRtfKeepsBoldAndItalic) {
  edit_.setPlainText("AB");
  PlaceCursor(1);
  PutOnClipboard("text/rtf", R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 {\b fett}{\i kursiv}\par})", "fettkursiv");
  edit_.paste();
  EXPECT_EQ(edit_.toPlainText(), "AfettkursivB");
  const std::vector<TParagraphShape> paragraphs = DescribeDocument(*edit_.document());
  ASSERT_EQ(paragraphs.size(), 1u);
  ASSERT_EQ(paragraphs[0].runs.size(), 4u);
  EXPECT_TRUE(paragraphs[0].runs[1].bold);
  EXPECT_FALSE(paragraphs[0].runs[1].italic);
  EXPECT_TRUE(paragraphs[0].runs[2].italic);
  EXPECT_FALSE(paragraphs[0].runs[2].bold);
  EXPECT_FALSE(paragraphs[0].runs[3].bold);
}

TEST_F(RichTextEditTest, PastingTakesEveryRtfClipboardName) {
  for (const QString& type : TRichTextEdit::RtfMimeTypes()) {
    edit_.clear();
    PutOnClipboard(type, R"({\rtf1 {\b Fett}})", "falsch");
    edit_.paste();
    EXPECT_EQ(edit_.toPlainText(), "Fett") << type.toStdString();
    EXPECT_TRUE(DescribeDocument(*edit_.document())[0].runs[0].bold) << type.toStdString();
  }
}

TEST_F(RichTextEditTest, PastingWithoutRtfTakesPlainText) {
  edit_.clear();
  PutOnClipboard("text/plain", "nur Text");
  edit_.paste();
  EXPECT_EQ(edit_.toPlainText(), "nur Text");
}

TEST_F(RichTextEditTest, CopyThenPasteCarriesPictures) {
  QImage image(2, 2, QImage::Format_RGB32);
  image.fill(QColor(0, 0, 255));
  edit_.document()->addResource(QTextDocument::ImageResource, QUrl("bild"), image);
  edit_.clear();
  edit_.document()->addResource(QTextDocument::ImageResource, QUrl("bild"), image);
  QTextImageFormat picture;
  picture.setName("bild");
  edit_.textCursor().insertImage(picture);
  edit_.selectAll();
  edit_.copy();

  TRichTextEdit other;
  other.paste();
  const QTextFragment fragment = other.document()->begin().begin().fragment();
  ASSERT_TRUE(fragment.charFormat().isImageFormat());
  const QImage pasted =
      other.document()->resource(QTextDocument::ImageResource, QUrl(fragment.charFormat().toImageFormat().name()))
          .value<QImage>();
  EXPECT_EQ(pasted.pixelColor(1, 1), QColor(0, 0, 255));
}

}  // namespace
}  // namespace fendra::testing
