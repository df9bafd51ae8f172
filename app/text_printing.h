#pragma once
// Printing of a rich text: the page rectangle taken from the printer's
// resolution, the print routine formatDrucken, the print buffer's filling
// and the PDF copy of the same pages.
#include <QPageSize>
#include <QPrinter>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTextDocument>

namespace fendra {

class TRichTextEdit;

// The print job's title.
inline constexpr const char* kPrintJobTitle = "Fendra";

// The printed area in printer dots on a page of paperDots: half an inch
// left, an inch top and bottom, three quarters of an inch right, from the
// printer's dots per inch dpiX and dpiY (integer division toward zero).
QRect PrintPageRect(int dpiX, int dpiY, const QSize& paperDots);

// Prints text into that rectangle on as many pages as it needs, as one job
// titled kPrintJobTitle. False, with a German message in *error, when the
// printer cannot be opened or a page cannot be started; nothing is then
// reported as printed.
bool formatDrucken(const QTextDocument& text, QPrinter& printer, QString* error);

// Puts the heading (bold, larger) above a copy of text into the buffer.
void FillPrintBuffer(TRichTextEdit& buffer, const QString& heading, const QTextDocument& text);

// Writes the pages formatDrucken prints to a PDF file at path, on paper of
// the given size, portrait, at the given resolution. The file appears whole
// or not at all: the pages go to a temporary file first and reach path
// through a save that replaces it in one step; a file already there stays
// as it was on failure. False, with a German message in *error, on any
// failure.
bool SaveTextAsPdf(const QTextDocument& text, const QString& path, QString* error,
                   const QPageSize& paper = QPageSize(QPageSize::A4), int resolution = 1200);

}  // namespace fendra
