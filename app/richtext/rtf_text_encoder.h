#pragma once
// Text as the writer puts it into RTF, one UTF-16 unit at a time:
//
//   \ { }                       escaped with a backslash
//   tab, line separator         \tab, \line
//   no-break space, soft hyphen, no-break hyphen   \~  \-  \_
//   printable ASCII             as is
//   other Windows-1252          \'hh
//   everything else             \uN? (N signed 16-bit, '?' the fallback for
//                               readers without Unicode; a character above
//                               U+FFFF is its two surrogates)
//   other control characters    left out
//
// The output is pure ASCII, so the document's code page never matters to it.
#include <QByteArray>
#include <QStringView>

namespace fendra {

void AppendRtfText(QByteArray& out, QStringView text);

}  // namespace fendra
