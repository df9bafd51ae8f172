#include "app/text_printing.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <memory>

#include "app/rich_text_edit.h"

namespace fendra {

QRect PrintPageRect(int dpiX, int dpiY, const QSize& paperDots) {
  const int left = dpiX / 2;
  const int top = dpiY;
  const int right = paperDots.width() - (3 * dpiX) / 4;
  const int bottom = paperDots.height() - dpiY;
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

namespace {

// The resolution a text without a paint device of its own is laid out in:
// the screen's, rounded as the text layout rounds it, so the printed lines
// break where the reader's would; the painter scales it to the printer.
double LayoutDpiX() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) return qRound(screen->logicalDotsPerInchX());
  return 100.0;
}
double LayoutDpiY() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) return qRound(screen->logicalDotsPerInchY());
  return 100.0;
}

}  // namespace

bool formatDrucken(const QTextDocument& text, QPrinter& printer, QString* error) {
  printer.setDocName(QString::fromLatin1(kPrintJobTitle));
  // Coordinates from the paper's corner, so the margins are the ones given
  // here and not added to the printer's own.
  printer.setFullPage(true);
  const int dpiX = printer.logicalDpiX();
  const int dpiY = printer.logicalDpiY();
  const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
  const QRect area = PrintPageRect(dpiX, dpiY, paper.size());
  if (area.width() <= 0 || area.height() <= 0) {
    if (error) *error = QStringLiteral("Das Papier des Druckers ist zu klein für die Seitenränder.");
    return false;
  }

  const double scaleX = dpiX / LayoutDpiX();
  const double scaleY = dpiY / LayoutDpiY();
  std::unique_ptr<QTextDocument> copy(text.clone());
  copy->setDocumentMargin(0);
  const QSizeF pageSize(area.width() / scaleX, area.height() / scaleY);
  copy->setPageSize(pageSize);
  const int pages = std::max(1, copy->pageCount());

  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error) {
      const QString name = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName()
                                                                          : printer.printerName();
      *error = QStringLiteral("Der Drucker „%1“ konnte nicht geöffnet werden.").arg(name);
    }
    return false;
  }
  for (int page = 0; page < pages; ++page) {
    if (page > 0 && !printer.newPage()) {
      painter.end();
      if (error) *error = QStringLiteral("Der Drucker konnte keine neue Seite beginnen.");
      return false;
    }
    painter.save();
    painter.translate(area.topLeft());
    painter.scale(scaleX, scaleY);
    const QRectF view(0, page * pageSize.height(), pageSize.width(), pageSize.height());
    painter.setClipRect(QRectF(QPointF(0, 0), pageSize));
    painter.translate(0, -view.top());
    QAbstractTextDocumentLayout::PaintContext context;
    // The lines are chosen by the clip, which takes a line touching its
    // edge: the last line of the page before or the first of the next one
    // would be drawn here too, outside the page. Hidden by the painter's
    // clip, it would still be in the PDF's text, searched and copied twice.
    context.clip = view.adjusted(0, 0.1, 0, -0.1);
    context.palette.setColor(QPalette::Text, Qt::black);
    copy->documentLayout()->draw(&painter, context);
    painter.restore();
  }
  if (!painter.end()) {
    if (error) *error = QStringLiteral("Der Druckauftrag konnte nicht abgeschlossen werden.");
    return false;
  }
  return true;
}

void FillPrintBuffer(TRichTextEdit& buffer, const QString& heading, const QTextDocument& text) {
  buffer.clear();
  QTextCursor cursor(buffer.document());
  if (!heading.trimmed().isEmpty()) {
    QTextCharFormat headingFormat;
    headingFormat.setFontWeight(QFont::Bold);
    headingFormat.setFontPointSize(16);
    QTextBlockFormat headingBlock;
    headingBlock.setBottomMargin(12);
    cursor.setBlockFormat(headingBlock);
    cursor.insertText(heading.trimmed(), headingFormat);
    cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
  }
  cursor.insertFragment(QTextDocumentFragment(&text));
}

bool SaveTextAsPdf(const QTextDocument& text, const QString& path, QString* error, const QPageSize& paper,
                   int resolution) {
  const auto fail = [&](const QString& why) {
    if (error) *error = QStringLiteral("Die PDF-Datei „%1“ konnte nicht gespeichert werden: %2").arg(path, why);
    return false;
  };
  // The target's folder is checked first, so nothing is laid out for a
  // file that could not be placed.
  const QFileInfo target(path);
  if (!target.absoluteDir().exists()) return fail(QStringLiteral("Den Ordner gibt es nicht."));

  QTemporaryDir scratch;
  if (!scratch.isValid()) return fail(QStringLiteral("Kein Platz für eine Zwischendatei."));
  const QString pages = scratch.filePath(QStringLiteral("seiten.pdf"));
  {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(resolution);
    printer.setPageSize(paper);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setOutputFileName(pages);
    QString why;
    if (!formatDrucken(text, printer, &why)) return fail(why);
  }
  QFile written(pages);
  if (!written.open(QIODevice::ReadOnly)) return fail(written.errorString());
  const QByteArray bytes = written.readAll();
  // A file the PDF writer could not finish (a full disk) lacks its end.
  if (bytes.isEmpty() || !bytes.trimmed().endsWith("%%EOF"))
    return fail(QStringLiteral("Die Seiten wurden nicht vollständig geschrieben."));

  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly)) return fail(out.errorString());
  if (out.write(bytes) != bytes.size()) {
    out.cancelWriting();
    return fail(out.errorString());
  }
  if (!out.commit()) return fail(out.errorString());
  return true;
}

}  // namespace fendra
