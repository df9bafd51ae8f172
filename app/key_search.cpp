#include "app/key_search.h"

#include <QLineEdit>

#include "engine/components/field.h"
#include "engine/components/table.h"
#include "engine/core/locale.h"
#include "app/engine_names.h"

namespace fendra {

QString KeyText(const QString& text, int fieldSize) { return text.left(std::max(0, fieldSize)); }

void SeekNearestText(dvx::TDVXTable& table, const char* field, const QString& text) {
  const int size = table.FieldByName(EngineName(field)).Size();
  table.SeekNearest(KeyText(text, size).toStdString());
}

QString CurrentText(const dvx::TDVXTable& table, const char* field) {
  QString text = QString::fromStdString(table.FieldByName(EngineName(field)).AsString());
  while (text.endsWith(QLatin1Char(' '))) text.chop(1);
  return text;
}

bool IsRemedysRecord(const QString& remedy, const QString& recordName, int fieldSize) {
  QString name = remedy;
  if (name.endsWith(QLatin1Char('.'))) name.chop(1);
  name = KeyText(name, fieldSize);
  if (name.isEmpty()) return false;
  return KeyText(recordName, fieldSize).startsWith(name, Qt::CaseInsensitive);
}

QValidator::State TKeyTextValidator::validate(QString& input, int&) const {
  uint8_t ansi = 0;
  for (QChar c : input)
    if (!dvx::WideCharToAnsi(c.unicode(), ansi)) return Invalid;
  return Acceptable;
}

void MakeKeySearchLine(QLineEdit* edit, int fieldSize) {
  edit->setMaxLength(fieldSize);
  edit->setValidator(new TKeyTextValidator(edit));
}

}  // namespace fendra
