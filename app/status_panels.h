#pragma once
// The status bar SbHaupt: three panels side by side, left to right, each as
// wide as its own width says. Panel 1's width follows the window (see the
// main window's resize handling); panel 2 centres its text.
#include <QFrame>
#include <QLabel>
#include <array>

namespace fendra {

class TStatusPanels : public QFrame {
  Q_OBJECT
 public:
  static constexpr int kPanelCount = 3;

  TStatusPanels(QWidget* parent, const char* name);

  QString PanelText(int panel) const;
  void SetPanelText(int panel, const QString& text);
  int PanelWidth(int panel) const;
  // Widths are never negative; a negative request is taken as 0.
  void SetPanelWidth(int panel, int width);
  QLabel* Panel(int panel) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void Resized();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Arrange();

  std::array<QLabel*, kPanelCount> panels_{};
  std::array<int, kPanelCount> widths_{250, 800, 75};
};

}  // namespace fendra
