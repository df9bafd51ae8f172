#pragma once
// The control words the reader acts on. Every other word is ignored, and a
// group opened by an unknown word after \* is skipped whole.
#include <string_view>

namespace fendra {

enum class TRtfWord {
  Unknown,
  // Destinations whose text is not document text.
  SkipDestination,  // info, header, footer, footnote, annotation, objdata, ...
  FontTable, ColorTable, StyleSheet,
  Picture, ShapePicture, NonShapePicture,
  PnText, ListText, Pn, PnTextAfter, PnTextBefore,
  ListTable, List, ListLevel, ListOverrideTable, ListOverride, LevelText, LevelNumbers, ListName,
  Field, FieldInstruction, FieldResult,
  // Document.
  Rtf, Ansi, Mac, Pc, Pca, AnsiCodePage, DefaultFont,
  // Font and colour tables.
  FontCharset, FontCodePage, Red, Green, Blue,
  // Character formats.
  Plain, Bold, Italic, Strike, Underline, UnderlineDotted, UnderlineDash, UnderlineDashDot,
  UnderlineDashDotDot, UnderlineWave, UnderlineNone, Font, FontSize, ForeColor, Highlight,
  BackColor, Super, Sub, NoSuperSub, Hidden, Caps, SmallCaps, UnicodeSkip, Unicode,
  // Paragraph formats.
  Pard, AlignLeft, AlignCenter, AlignRight, AlignJustify, LeftIndent, RightIndent,
  FirstIndent, SpaceBefore, SpaceAfter, Style, OutlineLevel, ListOverrideIndex, ListLevelIndex,
  InTable, PageBreakBefore,
  // Characters and breaks.
  Par, Line, Tab, Page, Cell, Row, EmDash, EnDash, EmSpace, EnSpace, QmSpace, Bullet, LQuote,
  RQuote, LDblQuote, RDblQuote, Zwj, Zwnj,
  // Old-style paragraph numbering (\pn).
  PnLevelBullet, PnLevelBody, PnLevel, PnDecimal, PnUpperLetter, PnLowerLetter, PnUpperRoman,
  PnLowerRoman, PnStart,
  // List table.
  ListId, LevelNfc, LevelStartAt,
  // Picture.
  PngBlip, JpegBlip, OtherBlip, PicWidth, PicHeight, PicGoalWidth, PicGoalHeight, PicScaleX,
  PicScaleY,
};

TRtfWord LookUpRtfWord(std::string_view word);

}  // namespace fendra
