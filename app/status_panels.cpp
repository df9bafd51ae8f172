#include "app/status_panels.h"

#include <algorithm>
#include <stdexcept>

namespace fendra {

namespace {
constexpr int kHeight = 26;
}

TStatusPanels::TStatusPanels(QWidget* parent, const char* name) : QFrame(parent) {
  setObjectName(name);
  setFixedHeight(kHeight);
  for (int i = 0; i < kPanelCount; ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("%1Panel%2").arg(QLatin1String(name)).arg(i));
    label->setProperty("statusPanel", true);
    label->setAlignment((i == 2 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    panels_[i] = label;
  }
  Arrange();
}

QLabel* TStatusPanels::Panel(int panel) const {
  if (panel < 0 || panel >= kPanelCount) throw std::out_of_range("status panel index");
  return panels_[panel];
}

QString TStatusPanels::PanelText(int panel) const { return Panel(panel)->text(); }

void TStatusPanels::SetPanelText(int panel, const QString& text) { Panel(panel)->setText(text); }

int TStatusPanels::PanelWidth(int panel) const {
  Panel(panel);
  return widths_[panel];
}

void TStatusPanels::SetPanelWidth(int panel, int width) {
  Panel(panel);
  widths_[panel] = std::max(0, width);
  Arrange();
}

// Panels never dictate the window's size: the bar takes whatever width the
// window gives it and clips the panels that do not fit.
QSize TStatusPanels::sizeHint() const { return QSize(widths_[0] + widths_[2], kHeight); }
QSize TStatusPanels::minimumSizeHint() const { return QSize(0, kHeight); }

void TStatusPanels::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  emit Resized();
  Arrange();
}

void TStatusPanels::Arrange() {
  int x = 0;
  for (int i = 0; i < kPanelCount; ++i) {
    panels_[i]->setGeometry(x, 2, widths_[i], height() - 4);
    panels_[i]->setVisible(widths_[i] > 0);
    x += widths_[i];
  }
}

}  // namespace fendra
