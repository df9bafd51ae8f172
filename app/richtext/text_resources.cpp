#include "app/richtext/text_resources.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <QVariant>

namespace fendra {

void CopyImageResources(const QTextDocument& from, QTextDocument* to) {
  for (QTextBlock block = to->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      if (!format.isImageFormat()) continue;
      const QUrl name(format.toImageFormat().name());
      const QVariant image = from.resource(QTextDocument::ImageResource, name);
      if (image.isValid()) to->addResource(QTextDocument::ImageResource, name, image);
    }
  }
}

}  // namespace fendra
