// Printing: the page rectangle from the printer's resolution and paper, a
// text with German letters, bold and a list written to PDF and read back
// with the PDF tools, pages that lose no line, failures that leave no file,
// and the window's print preview and PDF command on the active text.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>

#include "app/rich_text_edit.h"
#include "app/text_printing.h"
#include "tests/app/text_commands_fixture.h"

namespace fendra::testing {
namespace {

// Runs a PDF tool; its standard output, or a null string when it fails.
QString Tool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
    return QString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfText(const QString& pdf) { return Tool("pdftotext", {"-layout", pdf, "-"}); }

struct TWordBox {
  QString word;
  double xMin, yMin, xMax, yMax;
};
struct TPdfPage {
  double width = 0, height = 0;
  std::vector<TWordBox> words;
};

// The words of each page with their boxes in points, from pdftotext -bbox.
std::vector<TPdfPage> PdfWords(const QString& pdf) {
  const QString html = Tool("pdftotext", {"-bbox", pdf, "-"});
  std::vector<TPdfPage> pages;
  static const QRegularExpression page(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
  static const QRegularExpression word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  for (const QString& part : html.split(QStringLiteral("</page>"))) {
    const QRegularExpressionMatch p = page.match(part);
    if (!p.hasMatch()) continue;
    TPdfPage result;
    result.width = p.captured(1).toDouble();
    result.height = p.captured(2).toDouble();
    for (auto it = word.globalMatch(part); it.hasNext();) {
      const QRegularExpressionMatch w = it.next();
      result.words.push_back({w.captured(5), w.captured(1).toDouble(), w.captured(2).toDouble(),
                              w.captured(3).toDouble(), w.captured(4).toDouble()});
    }
    pages.push_back(result);
  }
  return pages;
}

constexpr double kPointsPerInch = 72.0;
constexpr double kA4Width = 595.28, kA4Height = 841.89;  // points

void ExpectInsideMargins(const TPdfPage& page, bool firstPage) {
  EXPECT_NEAR(page.width, kA4Width, 0.5);
  EXPECT_NEAR(page.height, kA4Height, 0.5);
  ASSERT_FALSE(page.words.empty());
  double left = 1e9, top = 1e9;
  for (const TWordBox& w : page.words) {
    left = std::min(left, w.xMin);
    top = std::min(top, w.yMin);
    EXPECT_GE(w.xMin, 0.5 * kPointsPerInch - 0.5) << w.word.toStdString();
    EXPECT_GE(w.yMin, 1.0 * kPointsPerInch - 0.5) << w.word.toStdString();
    EXPECT_LE(w.xMax, page.width - 0.75 * kPointsPerInch + 0.5) << w.word.toStdString();
    EXPECT_LE(w.yMax, page.height - 1.0 * kPointsPerInch + 0.5) << w.word.toStdString();
  }
  // The text starts at the margins, not somewhere inside them.
  EXPECT_NEAR(left, 0.5 * kPointsPerInch, 3.0);
  if (firstPage) EXPECT_NEAR(top, 1.0 * kPointsPerInch, 6.0);
}

QPrinter* PdfPrinter(QPrinter& printer, int resolution, const QString& file) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(resolution);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setOutputFileName(file);
  return &printer;
}

TEST(PrintPageRectTest, MarginsInMillimetresAtTwoResolutions) {
  for (int resolution : {300, 600}) {
    QPrinter printer(QPrinter::HighResolution);
    PdfPrinter(printer, resolution, QString());
    printer.setFullPage(true);
    const QSize paper = printer.paperRect(QPrinter::DevicePixel).toRect().size();
    const QRect area = PrintPageRect(printer.logicalDpiX(), printer.logicalDpiY(), paper);
    const auto mm = [&](int dots) { return dots * 25.4 / resolution; };
    EXPECT_NEAR(mm(paper.width()), 210.0, 0.2) << resolution;
    EXPECT_NEAR(mm(paper.height()), 297.0, 0.2) << resolution;
    EXPECT_NEAR(mm(area.left()), 12.7, 0.05) << resolution;
    EXPECT_NEAR(mm(area.top()), 25.4, 0.05) << resolution;
    EXPECT_NEAR(mm(paper.width() - area.left() - area.width()), 19.05, 0.05) << resolution;
    EXPECT_NEAR(mm(paper.height() - area.top() - area.height()), 25.4, 0.05) << resolution;
  }
}

TEST(PrintPageRectTest, DotsFromTheResolutionRoundTowardZero) {
  // 600 dpi: 300 left, 450 right, 600 top and bottom.
  const QRect at600 = PrintPageRect(600, 600, QSize(4960, 7016));
  EXPECT_EQ(at600.left(), 300);
  EXPECT_EQ(at600.top(), 600);
  EXPECT_EQ(4960 - (at600.left() + at600.width()), 450);
  EXPECT_EQ(7016 - (at600.top() + at600.height()), 600);
  // 75 x 150 dpi: 75/2 = 37 and 3*75/4 = 56 dots, an inch is 150 dots down.
  const QRect odd = PrintPageRect(75, 150, QSize(620, 1754));
  EXPECT_EQ(odd.left(), 37);
  EXPECT_EQ(620 - (odd.left() + odd.width()), 56);
  EXPECT_EQ(odd.top(), 150);
  EXPECT_EQ(1754 - (odd.top() + odd.height()), 150);
}

class PdfTest : public ::testing::Test {
 protected:
  QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
  QTemporaryDir dir_;
};

TEST_F(PdfTest, GermanLettersBoldAndAListReadBackFromThePdfWithinTheMargins) {
  QTextDocument text;
  text.setHtml(QStringLiteral("<p>Größere Übelkeit bei <b>Hitze</b> und Äußerem: heiß.</p>"
                              "<ul><li>Erstes Mittel</li><li>Zweites Mittel</li></ul>"));
  TRichTextEdit buffer;
  FillPrintBuffer(buffer, QStringLiteral("Überschrift Kopfschmerz"), text);
  for (int resolution : {300, 1200}) {
    const QString pdf = Path(resolution == 300 ? "a300.pdf" : "a1200.pdf");
    QString error;
    ASSERT_TRUE(SaveTextAsPdf(*buffer.document(), pdf, &error, QPageSize(QPageSize::A4), resolution))
        << error.toStdString();
    const QString read = PdfText(pdf);
    for (const char* words : {"Überschrift Kopfschmerz", "Größere Übelkeit bei Hitze und Äußerem: heiß.",
                              "Erstes Mittel", "Zweites Mittel"})
      EXPECT_TRUE(read.contains(QString::fromUtf8(words))) << words << " in\n" << read.toStdString();
    const QString fonts = Tool("pdffonts", {pdf});
    EXPECT_TRUE(fonts.contains("Bold")) << fonts.toStdString();
    const std::vector<TPdfPage> pages = PdfWords(pdf);
    ASSERT_EQ(pages.size(), 1u);
    ExpectInsideMargins(pages[0], true);
    // The list's items stand indented from the text, behind their bullets.
    for (const TWordBox& w : pages[0].words) {
      if (w.word == "Erstes" || w.word == "Zweites") EXPECT_GT(w.xMin, 0.5 * kPointsPerInch + 12) << resolution;
      if (w.word == "Größere") EXPECT_LT(w.xMin, 0.5 * kPointsPerInch + 1) << resolution;
    }
  }
}

TEST_F(PdfTest, ALongTextRunsOverPagesWithoutLosingOrRepeatingALine) {
  QString html;
  for (int line = 1; line <= 150; ++line) html += QStringLiteral("<p>Zeile%1 Ende</p>").arg(line, 3, 10, QLatin1Char('0'));
  QTextDocument text;
  text.setHtml(html);
  const QString pdf = Path("long.pdf");
  QString error;
  ASSERT_TRUE(SaveTextAsPdf(text, pdf, &error, QPageSize(QPageSize::A4), 600)) << error.toStdString();
  const std::vector<TPdfPage> pages = PdfWords(pdf);
  ASSERT_GE(pages.size(), 3u);
  std::map<QString, int> seen;
  for (size_t p = 0; p < pages.size(); ++p) {
    ExpectInsideMargins(pages[p], p == 0);
    for (const TWordBox& w : pages[p].words) ++seen[w.word];
  }
  for (int line = 1; line <= 150; ++line)
    EXPECT_EQ(seen[QStringLiteral("Zeile%1").arg(line, 3, 10, QLatin1Char('0'))], 1) << line;
}

TEST_F(PdfTest, AFileThatCannotBeWrittenLeavesNothingBehindAndSaysSoInGerman) {
  QTextDocument text;
  text.setPlainText(QStringLiteral("Inhalt"));
  QString error;
  // No such folder.
  EXPECT_FALSE(SaveTextAsPdf(text, Path("fehlt/x.pdf"), &error));
  EXPECT_TRUE(error.contains("konnte nicht gespeichert werden")) << error.toStdString();
  // The name is a folder's: nothing is written beside it.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("ordner"));
  const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  error.clear();
  EXPECT_FALSE(SaveTextAsPdf(text, Path("ordner"), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
  // A file already there is replaced whole.
  QFile old(Path("alt.pdf"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("alter Inhalt");
  old.close();
  ASSERT_TRUE(SaveTextAsPdf(text, Path("alt.pdf"), &error)) << error.toStdString();
  EXPECT_TRUE(PdfText(Path("alt.pdf")).contains("Inhalt"));
}

TEST_F(PdfTest, APrinterThatCannotBeOpenedIsReportedAndNothingPrinted) {
  QTextDocument text;
  text.setPlainText(QStringLiteral("Inhalt"));
  QPrinter printer(QPrinter::HighResolution);
  PdfPrinter(printer, 300, Path("fehlt/x.pdf"));
  QString error;
  EXPECT_FALSE(formatDrucken(text, printer, &error));
  EXPECT_TRUE(error.contains("konnte nicht geöffnet werden")) << error.toStdString();
  EXPECT_EQ(printer.docName(), "Fendra");
}

class PrintCommandTest : public OwnDatabasesTest {
 protected:
  QTemporaryDir dir_;
};

TEST_F(PrintCommandTest, DruckenPreviewsTheActiveTextUnderItsHeading) {
  PickTab("TsIndikAZ");
  auto* view = Find<TRichTextView>("DbReIndAZ");
  const QString heading = window_->ActiveText(true).Heading;
  ASSERT_FALSE(heading.isEmpty());
  int previewPages = 0;
  QString title;
  window_->SetPreviewRunner([&](QDialog& dialog) {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
    EXPECT_NE(preview, nullptr);
    auto* widget = dialog.findChild<QPrintPreviewWidget*>();
    EXPECT_NE(widget, nullptr);
    if (widget) {
      widget->updatePreview();
      previewPages = widget->pageCount();
    }
    title = preview ? preview->printer()->docName() : QString();
    return int(QDialog::Rejected);
  });
  QString message;
  window_->SetMessagePresenter([&](const QString& m) { message = m; });
  Click("SbMMPrint");
  EXPECT_GE(previewPages, 1);
  EXPECT_EQ(title, "Fendra");
  EXPECT_TRUE(message.isEmpty()) << message.toStdString();
  // The buffer holds the heading, then the text.
  EXPECT_EQ(window_->PrintBuffer()->toPlainText(), heading + "\n" + view->toPlainText());
  EXPECT_FALSE(window_->StatusPanels()->PanelText(1).contains("gedruckt")) << "cancelled, so nothing printed";
}

TEST_F(PrintCommandTest, PdfOfTheRemedysOverallPictureAndAFailureReported) {
  PickTab("TsAML");
  Click("PaMMGesBild");
  auto* view = Find<TRichTextView>("DbReMMGesBild");
  const QString heading = window_->ActiveText(true).Heading;
  const QString pdf = dir_.filePath("mittel.pdf");
  window_->SetPdfFileChooser([&] { return pdf; });
  QString message;
  window_->SetMessagePresenter([&](const QString& m) { message = m; });
  window_->findChild<QAction*>("MuPdf")->trigger();
  EXPECT_TRUE(message.isEmpty()) << message.toStdString();
  const QString read = PdfText(pdf).simplified();
  EXPECT_TRUE(read.startsWith(heading.simplified())) << read.left(80).toStdString();
  const QString firstWords = view->toPlainText().simplified().left(30);
  EXPECT_TRUE(read.contains(firstWords.section(' ', 0, 3))) << firstWords.toStdString();
  EXPECT_EQ(Find<TRichTextView>("ReMMDruck")->toPlainText().section('\n', 0, 0), heading.trimmed());
  EXPECT_TRUE(window_->StatusPanels()->PanelText(1).contains("mittel.pdf"));

  const QString unwritable = dir_.filePath("fehlt/mittel.pdf");
  window_->SetPdfFileChooser([&] { return unwritable; });
  window_->findChild<QAction*>("MuPdf")->trigger();
  EXPECT_TRUE(message.contains("konnte nicht gespeichert werden")) << message.toStdString();
  EXPECT_FALSE(QFile::exists(unwritable));
  EXPECT_FALSE(window_->StatusPanels()->PanelText(1).contains("fehlt"));
}

TEST_F(PrintCommandTest, NoPrintOrPdfWhereTheToolBarOffersNone) {
  PickTab("TsAML");  // the remedy origin page: print is disabled
  ASSERT_FALSE(Find("SbMMPrint")->isEnabled());
  EXPECT_FALSE(window_->findChild<QAction*>("MuPdf")->isEnabled());
  bool asked = false;
  window_->SetPdfFileChooser([&] { asked = true; return dir_.filePath("x.pdf"); });
  window_->MuPdfClick();
  EXPECT_FALSE(asked);
}

}  // namespace
}  // namespace fendra::testing
