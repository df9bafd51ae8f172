#pragma once
// The main tool bar TbHaupt: navigation commands, text commands, the two
// formatting sub-bars and the hidden active-text marker.
#include <QColor>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include "app/font_combo.h"

namespace fendra {

// Colours of the active-text marker: which text was brought up last.
namespace marker {
inline const QColor kTreeText(0xFF, 0xFF, 0x00);        // yellow
inline const QColor kAtoZText(0x00, 0x80, 0x00);        // green
inline const QColor kBasicsPage(0xFF, 0x00, 0x00);      // red
inline const QColor kBasicsMethod(0x00, 0x80, 0x80);    // teal
inline const QColor kBasicsHumanImage(0x00, 0xFF, 0xFF); // aqua
inline const QColor kRemedyPicture(0x80, 0x80, 0x80);   // grey
inline const QColor kRemedyIndications(0x00, 0x00, 0xFF); // blue
}  // namespace marker

struct TMainToolBar {
  QFrame* TbHaupt = nullptr;
  QToolButton* SbPrgEnd = nullptr;
  QToolButton* SbSuchBaum = nullptr;
  QToolButton* SbSuchAbidZ = nullptr;
  QToolButton* SbSuchSymKind = nullptr;
  QToolButton* SbSuchIndKind = nullptr;
  QToolButton* SbSuchIndNotf = nullptr;
  QToolButton* SbSuchModNotf = nullptr;
  QToolButton* SbSuchMM = nullptr;
  QToolButton* TBMMGBSave = nullptr;
  QToolButton* SbMMPrint = nullptr;
  QToolButton* SbMMBildLaden = nullptr;
  QFrame* ToolBar3 = nullptr;
  QToolButton* TBCut = nullptr;
  QToolButton* TBCopy = nullptr;
  QToolButton* TBPaste = nullptr;
  QLabel* LaMMSchriftart = nullptr;
  TFontCombo* CBFonts = nullptr;
  QFrame* ToolBar4 = nullptr;
  QToolButton* TBBold = nullptr;
  QToolButton* TBItalic = nullptr;
  QToolButton* TBUnderline = nullptr;
  QToolButton* TBLeftAlign = nullptr;
  QToolButton* TBCenter = nullptr;
  QToolButton* TBRightAlign = nullptr;
  QLabel* lbFarbschalter = nullptr;
};

// Builds the tool bar as designed: every control visible and enabled except
// the picture command, which is hidden.
TMainToolBar BuildMainToolBar(QWidget* parent);

void SetMarkerColor(QLabel* marker, const QColor& color);
QColor MarkerColor(const QLabel* marker);

}  // namespace fendra
