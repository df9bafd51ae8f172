#pragma once
// The window's nearest-key searches on a table's name field, and the check
// that a remedy's record was really found.
//
// A stored name has at most its field's size in Windows-1252 characters, so
// a search text is cut to that size before it is handed on (the field
// refuses longer text) and a search line takes no more, nor any character
// the code page cannot hold (TKeyTextValidator).
#include <QString>
#include <QValidator>

class QLineEdit;

namespace dvx {
class TDVXTable;
}

namespace fendra {

// `text` cut to `fieldSize` characters.
QString KeyText(const QString& text, int fieldSize);

// SeekNearest on `table` with `text` cut to the size of its field `field`
// (UTF-8 name), the first field of the table's active index.
void SeekNearestText(dvx::TDVXTable& table, const char* field, const QString& text);

// The current record's `field` as text, blanks at the end dropped.
QString CurrentText(const dvx::TDVXTable& table, const char* field);

// Whether the record found for a finder's remedy name holds that remedy:
// the name, without a trailing ".", is a prefix of the record's name,
// ignoring case. Both are first cut to the field's size, since the search
// key was: a remedy whose name is longer than the field is stored under its
// first `fieldSize` characters.
bool IsRemedysRecord(const QString& remedy, const QString& recordName, int fieldSize);

// Refuses characters Windows-1252 cannot hold; the length is the edit's
// maxLength.
class TKeyTextValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

// Makes `edit` a search line for a name field of `fieldSize` characters.
void MakeKeySearchLine(QLineEdit* edit, int fieldSize);

}  // namespace fendra
