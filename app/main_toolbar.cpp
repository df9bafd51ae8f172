#include "app/main_toolbar.h"

#include <array>

#include <QHBoxLayout>

#include "app/font_combo.h"
#include "app/tool_bar_layout.h"
#include "app/toolbar_glyphs.h"

namespace fendra {

namespace {

QToolButton* Command(QWidget* parent, QLayout* row, const char* name, const QString& hint,
                     TToolbarGlyph glyph) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setToolTip(hint);
  // The status tip carries the hint to the status bar's first panel.
  button->setStatusTip(hint);
  button->setIcon(ToolbarGlyph(glyph));
  button->setIconSize(QSize(20, 20));
  button->setFixedSize(30, 30);
  button->setAutoRaise(true);
  row->addWidget(button);
  return button;
}

void Separator(QWidget* parent, QLayout* row) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::VLine);
  line->setProperty("toolSeparator", true);
  line->setFixedWidth(9);
  row->addWidget(line);
}

// A group of commands shown and hidden as one; it opens with its separator,
// so a hidden group leaves no stray line behind.
QFrame* SubBar(QWidget* parent, QLayout* row, const char* name) {
  auto* bar = new QFrame(parent);
  bar->setObjectName(name);
  bar->setProperty("subBar", true);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(2, 0, 2, 0);
  layout->setSpacing(1);
  row->addWidget(bar);
  Separator(bar, layout);
  return bar;
}

}  // namespace

TMainToolBar BuildMainToolBar(QWidget* parent) {
  TMainToolBar tb;
  tb.TbHaupt = new QFrame(parent);
  tb.TbHaupt->setObjectName("TbHaupt");
  auto* row = new TToolBarLayout(tb.TbHaupt);
  row->setContentsMargins(6, 3, 6, 3);
  row->setSpacing(1);
  QWidget* p = tb.TbHaupt;

  tb.SbPrgEnd = Command(p, row, "SbPrgEnd", "Programm beenden", TToolbarGlyph::Exit);
  Separator(p, row);
  tb.SbSuchBaum = Command(p, row, "SbSuchBaum", "Baumstrukur", TToolbarGlyph::Tree);
  tb.SbSuchAbidZ = Command(p, row, "SbSuchAbidZ", "Indikationen von A bis Z", TToolbarGlyph::AtoZ);
  tb.SbSuchSymKind = Command(p, row, "SbSuchSymKind", "Symptomverzeichnis Kind ",
                             TToolbarGlyph::ChildSymptoms);
  tb.SbSuchIndKind = Command(p, row, "SbSuchIndKind", "Indikationen Kind",
                             TToolbarGlyph::ChildIndications);
  tb.SbSuchIndNotf = Command(p, row, "SbSuchIndNotf", "Indikationen Notfall",
                             TToolbarGlyph::EmergencyIndications);
  tb.SbSuchModNotf = Command(p, row, "SbSuchModNotf", "Modalitäten Notfall",
                             TToolbarGlyph::EmergencyModalities);
  tb.SbSuchMM = Command(p, row, "SbSuchMM", "Materia Medica", TToolbarGlyph::MateriaMedica);
  Separator(p, row);
  tb.TBMMGBSave = Command(p, row, "TBMMGBSave", "Speichern", TToolbarGlyph::Save);
  tb.SbMMPrint = Command(p, row, "SbMMPrint", "Drucken", TToolbarGlyph::Print);
  tb.SbMMBildLaden = Command(p, row, "SbMMBildLaden", "Bilden laden", TToolbarGlyph::Picture);
  tb.SbMMBildLaden->setVisible(false);

  tb.ToolBar3 = SubBar(p, row, "ToolBar3");
  QLayout* bar3 = tb.ToolBar3->layout();
  tb.TBCut = Command(tb.ToolBar3, bar3, "TBCut", "Ausschneiden", TToolbarGlyph::Cut);
  tb.TBCopy = Command(tb.ToolBar3, bar3, "TBCopy", "Kopieren", TToolbarGlyph::Copy);
  tb.TBPaste = Command(tb.ToolBar3, bar3, "TBPaste", "Einfügen", TToolbarGlyph::Paste);
  Separator(tb.ToolBar3, bar3);
  tb.LaMMSchriftart = new QLabel(QStringLiteral("Schriftart und Farbe"), tb.ToolBar3);
  tb.LaMMSchriftart->setObjectName("LaMMSchriftart");
  tb.LaMMSchriftart->setContentsMargins(4, 0, 6, 0);
  bar3->addWidget(tb.LaMMSchriftart);
  tb.CBFonts = new TFontCombo(tb.ToolBar3);
  tb.CBFonts->setObjectName("CBFonts");
  tb.CBFonts->setToolTip(QStringLiteral("Schriftart"));
  tb.CBFonts->setStatusTip(QStringLiteral("Schriftart"));
  tb.CBFonts->setMinimumWidth(150);
  tb.CBFonts->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  tb.CBFonts->setMinimumContentsLength(14);
  tb.CBFonts->setMaxVisibleItems(20);
  bar3->addWidget(tb.CBFonts);

  tb.ToolBar4 = SubBar(p, row, "ToolBar4");
  QLayout* bar4 = tb.ToolBar4->layout();
  tb.TBBold = Command(tb.ToolBar4, bar4, "TBBold", "Fett", TToolbarGlyph::Bold);
  tb.TBItalic = Command(tb.ToolBar4, bar4, "TBItalic", "Kursiv", TToolbarGlyph::Italic);
  tb.TBUnderline = Command(tb.ToolBar4, bar4, "TBUnderline", "Unterstrichen", TToolbarGlyph::Underline);
  Separator(tb.ToolBar4, bar4);
  tb.TBLeftAlign = Command(tb.ToolBar4, bar4, "TBLeftAlign", "Links ausrichten", TToolbarGlyph::AlignLeft);
  tb.TBCenter = Command(tb.ToolBar4, bar4, "TBCenter", "Zentrieren", TToolbarGlyph::AlignCenter);
  tb.TBRightAlign = Command(tb.ToolBar4, bar4, "TBRightAlign", "Rechts ausrichten", TToolbarGlyph::AlignRight);
  for (QToolButton* b : {tb.TBBold, tb.TBItalic, tb.TBUnderline, tb.TBLeftAlign, tb.TBCenter,
                         tb.TBRightAlign})
    b->setCheckable(true);
  // The alignments form one group with at most one button down, but all may
  // be up. Pressing one releases the others by hand: in a QButtonGroup Tab
  // would reach only one of the three.
  const std::array<QToolButton*, 3> alignments{tb.TBLeftAlign, tb.TBCenter, tb.TBRightAlign};
  for (QToolButton* button : alignments) {
    QObject::connect(button, &QToolButton::toggled, button, [alignments, button](bool down) {
      if (!down) return;
      for (QToolButton* other : alignments)
        if (other != button) other->setChecked(false);
    });
  }

  tb.lbFarbschalter = new QLabel(tb.TbHaupt);
  tb.lbFarbschalter->setObjectName("lbFarbschalter");
  tb.lbFarbschalter->setVisible(false);
  row->addWidget(tb.lbFarbschalter);
  return tb;
}

void SetMarkerColor(QLabel* marker, const QColor& color) {
  QPalette palette = marker->palette();
  palette.setColor(QPalette::Window, color);
  marker->setPalette(palette);
  marker->setProperty("markerColor", color);
}

QColor MarkerColor(const QLabel* marker) {
  return marker->property("markerColor").value<QColor>();
}

}  // namespace fendra
