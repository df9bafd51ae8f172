#include "app/db_navigator.h"

#include <QHBoxLayout>
#include <QStyle>

namespace fendra {

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
