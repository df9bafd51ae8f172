// Damaged and hostile RTF: the reader says what was wrong, keeps the text it
// could read, and never crashes, hangs or grows without bound.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextList>
#include <map>

#include "tests/app/richtext/rtf_test_support.h"

namespace fendra::testing {
namespace {

class RtfHostileInputTest : public ::testing::Test {
 protected:
  RtfReader::TStatus Read(const QByteArray& rtf, RtfReader::TLimits limits = {}) {
    RtfReader reader(limits);
    const RtfReader::TStatus status = reader.Read(rtf, &document_);
    message_ = reader.Message();
    // Every character of the result stands for at least one input byte.
    EXPECT_LE(document_.characterCount(), rtf.size() + 1);
    return status;
  }

  QString Text() const { return document_.toPlainText(); }

  QTextDocument document_;
  QString message_;
};

TEST_F(RtfHostileInputTest, DeepNestingIsReadFlatBeyondTheLimit) {
  const int depth = 100000;
  const QByteArray rtf = "{\\rtf1 vorher " + QByteArray(depth, '{') + "\\b tief" + QByteArray(depth, '}') + " nachher}";
  EXPECT_EQ(Read(rtf), RtfReader::TStatus::Repaired);
  EXPECT_EQ(Text(), "vorher tief nachher");
  EXPECT_TRUE(message_.contains("200")) << message_.toStdString();
}

TEST_F(RtfHostileInputTest, NestingWithinTheLimitIsFine) {
  const QByteArray rtf = "{\\rtf1 " + QByteArray(150, '{') + "tief" + QByteArray(150, '}') + "}";
  EXPECT_EQ(Read(rtf), RtfReader::TStatus::Ok);
  EXPECT_EQ(Text(), "tief");
  EXPECT_TRUE(message_.isEmpty());
}

TEST_F(RtfHostileInputTest, HugeNumbersAreClamped) {
  EXPECT_EQ(Read("{\\rtf1\\fs99999999999999999999 gross\\par\\li-99999999999\\fi2147483648 weit\\par"
                 "\\u99999999?x\\u-99999?y\\uc2147483647 z {\\f99999999999 w} \\cf4294967296 v}"),
            RtfReader::TStatus::Ok);
  EXPECT_EQ(Text(), "gross\nweit\nxyz w v") << "out-of-range \\u values are dropped, their fallback too";
  const std::vector<TParagraphShape> paragraphs = DescribeDocument(document_);
  EXPECT_LE(paragraphs[0].runs[0].points, 1638.0);
  EXPECT_GE(paragraphs[1].left, -5000.0);
}

TEST_F(RtfHostileInputTest, TruncatedEscapesKeepTheTextBeforeThem) {
  for (const char* rtf : {"{\\rtf1 abc\\'4", "{\\rtf1 abc\\'", "{\\rtf1 abc\\", "{\\rtf1 abc\\'zz}", "{\\rtf1 abc\\u"}) {
    Read(rtf);
    EXPECT_TRUE(Text().startsWith("abc")) << rtf;
  }
  EXPECT_EQ(Read("{\\rtf1 abc\\'4"), RtfReader::TStatus::Repaired);
  EXPECT_EQ(Read("{\\rtf1 abc\\'zz}"), RtfReader::TStatus::Repaired);
  EXPECT_EQ(Text(), "abczz");
}

TEST_F(RtfHostileInputTest, BinLongerThanTheInputEndsTheText) {
  EXPECT_EQ(Read("{\\rtf1 vorher{\\pict\\pngblip\\bin999999999999 \x89PNG}} nachher}"), RtfReader::TStatus::Repaired);
  EXPECT_EQ(Text(), "vorher");
  EXPECT_FALSE(message_.isEmpty());
  EXPECT_EQ(Read("{\\rtf1 a{\\pict\\pngblip\\bin4 {}\\}} b}"), RtfReader::TStatus::Ok) << "binary data may hold braces";
  EXPECT_EQ(Text(), "a b");
}

TEST_F(RtfHostileInputTest, MissingClosingBracesAreReported) {
  EXPECT_EQ(Read("{\\rtf1 {\\b fett {\\i kursiv"), RtfReader::TStatus::Repaired);
  EXPECT_EQ(Text(), "fett kursiv");
  EXPECT_TRUE(DescribeDocument(document_)[0].runs.back().italic);
}

TEST_F(RtfHostileInputTest, TextAfterTheDocumentGroupIsIgnored) {
  EXPECT_EQ(Read("{\\rtf1 innen}} danach {\\b mehr}"), RtfReader::TStatus::Ok);
  EXPECT_EQ(Text(), "innen");
}

// Qt's lists grow in quadratic time, so the reader bounds them.
TEST_F(RtfHostileInputTest, LongListsAreSplitAndEndlessOnesBecomeParagraphs) {
  QByteArray rtf = "{\\rtf1{\\*\\pn\\pnlvlblt}";
  const int items = 5200;
  for (int i = 0; i < items; ++i) rtf += "{\\pntext *}" + QByteArray::number(i) + "\\par ";
  rtf += "}";
  EXPECT_EQ(Read(rtf), RtfReader::TStatus::Repaired);
  EXPECT_TRUE(message_.contains("5000")) << message_.toStdString();
  std::map<const QTextList*, int> sizes;
  int plain = 0;
  for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
    if (block.textList()) ++sizes[block.textList()];
    else ++plain;
  }
  EXPECT_EQ(sizes.size(), 10u) << "lists of 500 items each";
  for (const auto& [list, size] : sizes) EXPECT_EQ(size, 500);
  EXPECT_EQ(plain, items - 5000);
  EXPECT_EQ(document_.lastBlock().text(), "*5199") << "beyond the limit the written marker stays";
}

TEST_F(RtfHostileInputTest, DestinationWordsInsideAGroupTakeNothing) {
  EXPECT_EQ(Read("{\\rtf1 Anfang \\info Mitte {\\b fett \\fonttbl x;}\\*\\unbekannt Ende}"), RtfReader::TStatus::Ok);
  EXPECT_EQ(Text(), "Anfang Mitte fett x;Ende");
}

TEST_F(RtfHostileInputTest, BrokenPicturesAreLeftOut) {
  EXPECT_EQ(Read("{\\rtf1 a{\\pict\\pngblip 89504e470d0a1a0a0000}b{\\pict\\wmetafile8 0100}c{\\pict 0g0g}d}"),
            RtfReader::TStatus::Ok);
  EXPECT_EQ(Text(), "abcd");
}

TEST_F(RtfHostileInputTest, InputOverTheSizeLimitIsRejectedAndLeavesTheDocument) {
  document_.setPlainText("bisher");
  RtfReader::TLimits limits;
  limits.maxInputBytes = 64;
  EXPECT_EQ(Read("{\\rtf1 " + QByteArray(100, 'x') + "}", limits), RtfReader::TStatus::Rejected);
  EXPECT_EQ(Text(), "bisher");
  EXPECT_TRUE(message_.contains("64")) << message_.toStdString();
}

// Mutations of a sample that uses most of the syntax: each result must come
// out without a crash, and every character must stand for input bytes.
TEST_F(RtfHostileInputTest, MutatedSamplesNeverBreakTheReader) {
  TDocumentMaker maker;
  maker.Paragraph().Run(QString::fromUtf8("Grüße „x“ € ≠ ")).Run("fett", Bold());
  maker.ListItem(QTextListFormat::ListDisc).Run("eins");
  maker.ListItem(QTextListFormat::ListDecimal, 2).Run("zwei", Italic());
  const QByteArray sample = WriteRtf(maker.Document()) +
                            "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt y}}\\trowd\\cellx9 a\\cell\\row}";
  QRandomGenerator random(20240301);
  const char pieces[] = "{}\\'0123456789abcdefu-*; ";
  for (int round = 0; round < 400; ++round) {
    QByteArray mutated = sample;
    for (int edits = 1 + int(random.bounded(8)); edits > 0; --edits) {
      const qsizetype at = random.bounded(int(mutated.size()));
      switch (random.bounded(3)) {
        case 0: mutated[at] = pieces[random.bounded(int(sizeof(pieces)) - 1)]; break;
        case 1: mutated.remove(at, 1 + random.bounded(20)); break;
        default: mutated.truncate(at); break;
      }
    }
    Read(mutated);
  }
}

}  // namespace
}  // namespace fendra::testing
