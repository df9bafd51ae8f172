#pragma once
// Writes a QTextDocument as RTF that word processors and rich-edit controls
// read back with the same formatting, and that RtfReader reads back to the
// same text and formats (tables excepted: they come back as their text).
//
// Layout of the output:
//
//   {\rtf1\ansi\ansicpg1252\deff0\deflang1031
//   font table, colour table, style sheet, list tables (rtf_writer_tables.h)
//   \viewkind4\uc1
//   per paragraph:  \pard <paragraph format> [list marker] <runs> \par
//   per run:        {<character format> text}
//   per picture:    {\pict\pngblip\picwW\pichH\picwgoalW\pichgoalH <hex>}
//   per link:       {\field{\*\fldinst{HYPERLINK "url"}}{\fldrslt <run>}}
//   per table row:  \trowd\cellx...  \pard\intbl <cell> \cell ... \row
//   }
//
// Every paragraph ends with \par, the last one too; the reader drops the
// empty paragraph after the final mark, so a trailing empty paragraph of the
// document survives as "\par\par".
#include <QByteArray>

class QTextDocument;

namespace fendra {

class RtfWriter {
 public:
  QByteArray Write(const QTextDocument& document);
};

}  // namespace fendra
