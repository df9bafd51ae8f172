#include "app/ui_widgets.h"

#include <QHBoxLayout>
#include <QStyle>

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

TRichTextView::TRichTextView(QWidget* parent, const char* name, TAccess access)
    : QTextEdit(parent), access_(access) {
  setObjectName(name);
  setReadOnly(access != TAccess::Editable);
  setProperty("richView", true);
  setAcceptRichText(true);
  // Texts keep the window's body font, not the bold captions of the tab pages.
  QFont body(QStringLiteral("Arial"));
  body.setPixelSize(15);
  setFont(body);
}

void TRichTextView::SetFieldBound(bool bound) {
  if (access_ == TAccess::EditableWhenBound) setReadOnly(!bound);
}

void TRichTextView::NarrowTextArea(int left, int right) {
  insetLeft_ += left;
  insetRight_ += right;
  setViewportMargins(insetLeft_, 0, insetRight_, 0);
}

TDbNavigator::TDbNavigator(QWidget* parent, const char* name) : QFrame(parent) {
  setObjectName(name);
  setProperty("navigator", true);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  auto make = [&](QStyle::StandardPixmap glyph, const char* suffix) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name) + QLatin1String(suffix));
    button->setIcon(style()->standardIcon(glyph));
    button->setAutoRaise(true);
    button->setEnabled(false);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    row->addWidget(button);
    return button;
  };
  first_ = make(QStyle::SP_MediaSkipBackward, "First");
  prior_ = make(QStyle::SP_MediaSeekBackward, "Prior");
  next_ = make(QStyle::SP_MediaSeekForward, "Next");
  last_ = make(QStyle::SP_MediaSkipForward, "Last");
}

}  // namespace fendra
