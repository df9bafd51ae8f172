#include "app/ui_widgets.h"

namespace fendra {

namespace {

const char* RoleName(TPanelRole role) {
  switch (role) {
    case TPanelRole::Side: return "side";
    case TPanelRole::Content: return "content";
    case TPanelRole::Group: return "group";
    case TPanelRole::Plain: break;
  }
  return "plain";
}

}  // namespace

QFrame* MakePanel(QWidget* parent, const char* name, TPanelRole role) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setProperty("panelRole", RoleName(role));
  return panel;
}

QPushButton* MakeNaviButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setProperty("navi", true);
  button->setCursor(Qt::PointingHandCursor);
  button->setMinimumHeight(32);
  return button;
}

QLabel* MakeHeading(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setProperty("heading", true);
  label->setAlignment(Qt::AlignCenter);
  label->setMinimumHeight(26);
  return label;
}

QFrame* MakeDecorBar(QWidget* parent, const char* name) {
  auto* bar = new QFrame(parent);
  bar->setObjectName(name);
  bar->setProperty("decor", true);
  bar->setFixedHeight(6);
  return bar;
}

}  // namespace fendra
