#pragma once
// What the reader keeps per RTF group, and the document tables it collects
// (fonts, colours, styles, lists). RTF scopes character and paragraph
// properties to groups: a closing brace restores the state its opening brace
// saved, so the reader keeps one TRtfGroupState per open group.
#include <QColor>
#include <QFont>
#include <QString>
#include <QTextCharFormat>
#include <QTextListFormat>
#include <array>
#include <map>
#include <vector>

#include "app/richtext/rtf_keywords.h"

namespace fendra {

// Where the text of a group goes.
enum class TRtfDestination {
  Text,              // the document
  Skip,              // nowhere: unknown \* groups, info, headers, footnotes, ...
  FontTable,         // font names, entries ended by ';'
  ColorTable,        // \red\green\blue entries ended by ';'
  StyleSheet,        // style names, entries ended by ';'
  Picture,           // hex digits or \bin data of a picture
  ListMarker,        // \pntext, \listtext: the marker a list-unaware reader shows
  NumberingOld,      // \pn: old-style paragraph numbering
  ListTable,         // \listtable and its \list groups
  ListLevel,         // one \listlevel of a \list
  LevelText,         // \leveltext of a level
  ListOverrideTable, // \listoverridetable and its \listoverride groups
  FieldInstruction,  // \fldinst
};

struct TRtfCharState {
  bool bold = false;
  bool italic = false;
  bool strike = false;
  bool hidden = false;
  QTextCharFormat::UnderlineStyle underline = QTextCharFormat::NoUnderline;
  QFont::Capitalization caps = QFont::MixedCase;
  QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;
  int font = -1;         // -1: the document's default font (\deff)
  int halfPoints = 24;   // \fs, in half points; RTF's default is 12 pt
  int foreColor = 0;     // colour table index; 0 is "automatic"
  int backColor = 0;
  int field = -1;        // the field whose result this text is, for links
};

// Old-style numbering of one paragraph (\pn...).
struct TRtfOldNumbering {
  bool active = false;
  int level = 1;  // 1..9
  QTextListFormat::Style style = QTextListFormat::ListDisc;
};

// Lengths in twips, as written.
struct TRtfParaState {
  Qt::Alignment alignment = Qt::AlignLeft;
  int leftIndent = 0;
  int rightIndent = 0;
  int firstIndent = 0;
  int spaceBefore = 0;
  int spaceAfter = 0;
  int style = 0;
  int outlineLevel = -1;  // 0..8 for headings
  int listOverride = 0;   // \ls; 0 is "not in a list"
  int listLevel = 0;      // \ilvl, 0..8
  bool inTable = false;
  bool pageBreakBefore = false;
  TRtfOldNumbering numbering;
};

struct TRtfGroupState {
  TRtfDestination destination = TRtfDestination::Text;
  TRtfWord openedBy = TRtfWord::Unknown;  // the destination word of this group
  int unicodeSkip = 1;                    // \uc
  int openField = -1;                     // the \field this group is part of
  TRtfCharState chr;
  TRtfParaState para;
};

struct TRtfFont {
  QString name;
  int codePage = 0;  // 0: the document's
};

// One list of the list table: the numbering style of each of its levels.
struct TRtfListDefinition {
  static constexpr int kLevels = 9;
  std::array<QTextListFormat::Style, kLevels> styles;
  TRtfListDefinition() { styles.fill(QTextListFormat::ListDisc); }
};

struct TRtfTables {
  std::map<int, TRtfFont> fonts;
  std::vector<QColor> colors;              // index 0 first; invalid = automatic
  std::map<int, int> styleOutlineLevels;   // \sN -> outline level, headings only
  std::map<int, TRtfListDefinition> lists; // \listid -> definition
  std::map<int, int> overrides;            // \ls -> \listid
};

}  // namespace fendra
