// Source markup: Markdown with {{remedy}} and [[indication]] references.
#include <gtest/gtest.h>

#include <QTextBlock>

#include "app/richtext/source_markup.h"
#include "tests/app/richtext/rtf_test_support.h"

namespace fendra::testing {
namespace {

class RtfSourceMarkupTest : public ::testing::Test {
 protected:
  std::vector<TParagraphShape> Read(const char* source) {
    ReadSourceMarkup(QString::fromUtf8(source), &document_);
    return DescribeDocument(document_);
  }

  QTextDocument document_;
};

TEST_F(RtfSourceMarkupTest, ReferencesBecomeBoldNames) {
  const std::vector<TParagraphShape> paragraphs = Read("Bei Fieber {{Belladonna}}, siehe [[Fieber, hohes]].");
  EXPECT_EQ(document_.toPlainText(), "Bei Fieber Belladonna, siehe Fieber, hohes.");
  ASSERT_EQ(paragraphs.size(), 1u);
  const std::vector<TRunShape>& runs = paragraphs[0].runs;
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_FALSE(runs[0].bold);
  EXPECT_EQ(runs[1].text, "Belladonna");
  EXPECT_TRUE(runs[1].bold);
  EXPECT_FALSE(runs[2].bold);
  EXPECT_EQ(runs[3].text, "Fieber, hohes");
  EXPECT_TRUE(runs[3].bold);
}

TEST_F(RtfSourceMarkupTest, ReferencesKeepTheFormatAroundThem) {
  const std::vector<TParagraphShape> paragraphs = Read("*kursiv {{Rhus toxicodendron}} kursiv*");
  ASSERT_EQ(paragraphs[0].runs.size(), 3u);
  EXPECT_TRUE(paragraphs[0].runs[1].bold);
  EXPECT_TRUE(paragraphs[0].runs[1].italic);
}

TEST_F(RtfSourceMarkupTest, NamesStayLiteralAndUnclosedBracesStayText) {
  Read("{{Mittel *mit* _Zeichen_}} und {{offen und [[auch");
  EXPECT_EQ(document_.toPlainText(), "Mittel *mit* _Zeichen_ und {{offen und [[auch");
}

TEST_F(RtfSourceMarkupTest, MarkdownStructureIsKept) {
  const std::vector<TParagraphShape> paragraphs =
      Read("# Arnica\n\nText mit **fett**.\n\n- {{Arnica montana}}\n- [[Prellung]]\n\n1. erstens\n");
  EXPECT_EQ(ParagraphTexts(document_),
            (QStringList{"Arnica", "Text mit fett.", "Arnica montana", "Prellung", "erstens"}));
  EXPECT_EQ(paragraphs[0].heading, 1);
  EXPECT_EQ(paragraphs[2].listStyle, QTextListFormat::ListDisc);
  EXPECT_TRUE(paragraphs[2].runs[0].bold);
  EXPECT_EQ(paragraphs[2].list, paragraphs[3].list);
  EXPECT_EQ(paragraphs[4].listStyle, QTextListFormat::ListDecimal);
}

TEST_F(RtfSourceMarkupTest, SourceTextSurvivesTheWayToRtf) {
  Read("# Übelkeit\n\nBei „Erbrechen“ {{Ipecacuanha}} – 5 € ≠ [[Reisekrankheit]].\n\n- eins\n  - zwei\n");
  const std::unique_ptr<QTextDocument> back = RoundTrip(document_);
  EXPECT_EQ(DescribeDocument(*back), DescribeDocument(document_));
}

}  // namespace
}  // namespace fendra::testing
