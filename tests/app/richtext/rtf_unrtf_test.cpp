// Another RTF reader agrees with the writer: the command-line converter
// unrtf, asked for plain text, shows the document's paragraphs. unrtf renders
// neither \uN nor the typographic quotes, dashes and the euro sign of
// Windows-1252, so the documents here keep to ASCII and German letters;
// those characters are checked with our own reader.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/richtext/rtf_code_page.h"
#include "tests/app/richtext/rtf_test_support.h"

namespace fendra::testing {
namespace {

class RtfUnrtfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = QStandardPaths::findExecutable("unrtf");
    if (program_.isEmpty()) GTEST_SKIP() << "unrtf is not installed";
    ASSERT_TRUE(folder_.isValid());
  }

  // unrtf's text output: "###" header lines, an empty line and a dashed
  // line, then one line per paragraph in Windows-1252.
  QStringList UnrtfParagraphs(const QByteArray& rtf) {
    const QString path = folder_.filePath("text.rtf");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rtf);
    file.close();
    QProcess process;
    process.start(program_, {"--text", path});
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QByteArray output = process.readAllStandardOutput();
    TRtfCodePageDecoder decoder;
    QStringList lines = decoder.Decode(kRtfCodePage1252, output).split('\n');
    const qsizetype rule = lines.indexOf(QRegularExpression("^-{5,}$"));
    EXPECT_GE(rule, 0) << output.toStdString();
    lines = lines.mid(rule + 1);
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
  }

  QString program_;
  QTemporaryDir folder_;
};

TEST_F(RtfUnrtfTest, ShowsTheParagraphsOfFormattedGermanText) {
  TDocumentMaker maker;
  QTextBlockFormat centered;
  centered.setAlignment(Qt::AlignHCenter);
  maker.Paragraph(centered).Run(QString::fromUtf8("Grüße aus Köln"), Bold());
  maker.Paragraph().Run("Bei ").Run(QString::fromUtf8("plötzlichem"), Italic()).Run(QString::fromUtf8(" Fieber: Äußerst heiß, übel"));
  maker.Paragraph();
  maker.Paragraph().Run("Arnica", Font("Times New Roman", 18)).Run(QString::fromUtf8(" - ÄÖÜ äöü ß 5 Euro"));
  maker.Paragraph().Run("{Klammern} und \\Rueckstrich");
  EXPECT_EQ(UnrtfParagraphs(WriteRtf(maker.Document())), ParagraphTexts(maker.Document()));
}

TEST_F(RtfUnrtfTest, ShowsTextWrittenFromSourceMarkup) {
  TDocumentMaker maker;
  QTextBlockFormat heading;
  heading.setHeadingLevel(1);
  maker.Paragraph(heading).Run(QString::fromUtf8("Übelkeit"), Font("Arial", 18));
  maker.Paragraph().Run("Mittel: ").Run("Ipecacuanha", Bold()).Run(QString::fromUtf8(" bei ständiger Übelkeit"));
  EXPECT_EQ(UnrtfParagraphs(WriteRtf(maker.Document())), ParagraphTexts(maker.Document()));
}

}  // namespace
}  // namespace fendra::testing
