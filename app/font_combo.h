#pragma once
// The tool bar's font box CBFonts: a list of the screen's font names whose
// opening (a click or the drop-down key) offers the font dialog instead of
// the bare list; the keys and the wheel still step through the names.
#include <QComboBox>

namespace fendra {

class TFontCombo : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  void showPopup() override { emit DropDown(); }

 signals:
  void DropDown();
};

}  // namespace fendra
