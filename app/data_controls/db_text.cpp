#include "app/data_controls/db_text.h"

#include "engine/components/field.h"

namespace fendra {

TDBText::TDBText(QWidget* parent, const char* name) : QLabel(parent) {
  if (name != nullptr) setObjectName(name);
  setTextFormat(Qt::PlainText);
  link_.SetReadOnly(true);
  link_.OnDataChange = [this] { ShowField(); };
}

void TDBText::ShowField() {
  dvx::TField* field = link_.Field();
  const QString shown = field != nullptr ? QString::fromStdString(field->DisplayText()) : QString();
  if (shown != text()) setText(shown);
}

}  // namespace fendra
