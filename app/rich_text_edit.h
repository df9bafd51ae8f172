#pragma once
// A text edit whose content is RTF: it is set and read as RTF, and the
// clipboard carries RTF both ways (besides HTML and plain text), so texts
// copied from or into word processors keep their formatting.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextEdit>

#include "app/richtext/rtf_reader.h"

namespace fendra {

class TRichTextEdit : public QTextEdit {
  Q_OBJECT
 public:
  explicit TRichTextEdit(QWidget* parent = nullptr);

  // Replaces the content. Damaged RTF is shown as far as it could be read;
  // RTF over the size limit leaves the content as it was. RtfMessage() says
  // why in both cases.
  RtfReader::TStatus SetRtf(const QByteArray& rtf);
  QByteArray Rtf() const;
  const QString& RtfMessage() const { return rtfMessage_; }

  // The clipboard formats that carry RTF, the preferred one first.
  static const QStringList& RtfMimeTypes();

 protected:
  QMimeData* createMimeDataFromSelection() const override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  QString rtfMessage_;
};

}  // namespace fendra
