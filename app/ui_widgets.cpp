#include "app/ui_widgets.h"

#include <algorithm>

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

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

// Asks for at least its design width, so the sheet's layout gives it that
// much while there is room and takes from it evenly with the other areas
// when there is not.
class TSizedPanel : public QFrame {
 public:
  TSizedPanel(QWidget* parent, int width) : QFrame(parent), width_(width) {}
  QSize sizeHint() const override {
    const QSize own = QFrame::sizeHint();
    return QSize(std::max(width_, own.width()), own.height());
  }

 private:
  int width_;
};

// A navigation command answers Return and Enter as well as Space: outside a
// dialog a push button takes only Space, and a keyboard user expects Return.
// Its caption keeps its blanks but is drawn without them, centred, so
// captions padded differently still line up.
class TNaviButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = text().trimmed();
    painter.drawControl(QStyle::CE_PushButton, option);
  }

  void keyPressEvent(QKeyEvent* event) override {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
      click();
      return;
    }
    QPushButton::keyPressEvent(event);
  }
};

}  // namespace

QFrame* MakeSidePanel(QWidget* parent, const char* name, int width, int minimumWidth) {
  auto* panel = new TSizedPanel(parent, width);
  panel->setObjectName(name);
  panel->setProperty("panelRole", RoleName(TPanelRole::Side));
  panel->setMinimumWidth(minimumWidth);
  panel->setMaximumWidth(width);
  return panel;
}

QFrame* MakeContentPanel(QWidget* parent, const char* name, int width) {
  auto* panel = new TSizedPanel(parent, width);
  panel->setObjectName(name);
  panel->setProperty("panelRole", RoleName(TPanelRole::Content));
  return panel;
}

QFrame* MakePanel(QWidget* parent, const char* name, TPanelRole role) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setProperty("panelRole", RoleName(role));
  return panel;
}

QPushButton* MakeNaviButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new TNaviButton(caption, parent);
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
