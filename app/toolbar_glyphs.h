#pragma once
// Glyphs of the main tool bar, drawn rather than loaded so they stay sharp
// and share one line weight and palette.
#include <QIcon>

namespace fendra {

enum class TToolbarGlyph {
  Exit, Tree, AtoZ, ChildSymptoms, ChildIndications, EmergencyIndications,
  EmergencyModalities, MateriaMedica, Save, Print, Picture, Cut, Copy, Paste,
  Bold, Italic, Underline, AlignLeft, AlignCenter, AlignRight, Magnifier,
};

QIcon ToolbarGlyph(TToolbarGlyph glyph);

}  // namespace fendra
