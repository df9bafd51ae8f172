#pragma once
// The tables at the head of the writer's RTF, built from what the document
// uses, and the effective formats of a run that the tables and the runs
// share.
//
//   {\fonttbl{\f0\fnil\fcharset0 Name;}...}   f0 is the document's default
//                                             font; the others in order of use
//   {\colortbl;\redR\greenG\blueB;...}        entry 0 is "automatic"
//   {\*\listtable{\list ...\listidN}...}      one list per QTextList, its
//   {\*\listoverridetable{\listoverride       levels up to its own in its style,
//       \listidN\listoverridecount0\lsK}...}  \lsK = K-th list in use
//   {\stylesheet{\s0 Normal;}{\sN\outlinelevelN-1 heading N;}...}
//                                             only when headings are used
#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextCharFormat>
#include <vector>

class QTextDocument;
class QTextList;

namespace fendra {

// The family, size in points and colours a run shows with, the document's
// defaults filled in.
QString RunFamily(const QTextCharFormat& format);
double RunPoints(const QTextCharFormat& format);
QColor RunForeground(const QTextCharFormat& format);  // invalid: automatic
QColor RunBackground(const QTextCharFormat& format);  // invalid: none

class TRtfWriterTables {
 public:
  explicit TRtfWriterTables(const QTextDocument& document);

  int FontIndex(const QString& family) const;
  int ColorIndex(const QColor& color) const;  // 0 for an invalid colour
  int ListOverride(const QTextList* list) const;  // \ls number, 0 for none
  bool UsesHeadings() const { return usesHeadings_; }

  void Append(QByteArray& out) const;

 private:
  void AddFont(const QString& family);
  void AddColor(const QColor& color);

  QStringList fonts_;
  QHash<QString, int> fontIndex_;
  std::vector<QColor> colors_;
  QHash<QRgb, int> colorIndex_;
  std::vector<const QTextList*> lists_;
  QHash<const QTextList*, int> listOverride_;
  bool usesHeadings_ = false;
};

}  // namespace fendra
