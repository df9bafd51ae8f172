#include "app/impressum_dialog.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/toolbar_glyphs.h"

namespace fendra {

namespace {

// A read-only, borderless, disabled text block.
QTextEdit* Block(QWidget* parent, const char* name, const QString& text) {
  auto* block = new QTextEdit(parent);
  block->setObjectName(name);
  block->setPlainText(text);
  block->setReadOnly(true);
  block->setFrameShape(QFrame::NoFrame);
  block->setEnabled(false);
  block->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  block->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  block->setProperty("imprintBlock", true);
  block->document()->setDocumentMargin(0);
  const int lines = int(text.count(QLatin1Char('\n'))) + 1;
  block->setFixedHeight(block->fontMetrics().lineSpacing() * lines + 4);
  return block;
}

}  // namespace

TfrmImpressum::TfrmImpressum(QWidget* parent) : QDialog(parent) {
  setObjectName("frmImpressum");
  setWindowTitle(QStringLiteral("frmImpressum"));
  setModal(true);
  // The design's 434 x 291 pixels; its fonts are given in pixels too, like
  // every font of the window: Tahoma 11, the title Arial 24 bold.
  QFont base(QStringLiteral("Tahoma"));
  base.setPixelSize(11);
  setFont(base);
  setFixedSize(434, 291);

  auto* rows = new QVBoxLayout(this);
  rows->setContentsMargins(16, 12, 16, 12);
  rows->setSpacing(6);

  auto* head = new QHBoxLayout();
  auto* picture = new QLabel(this);
  picture->setObjectName("ImImpressum");
  picture->setPixmap(ToolbarGlyph(TToolbarGlyph::MateriaMedica).pixmap(48, 48));
  head->addWidget(picture);
  auto* title = new QLabel(QStringLiteral("Fendra"), this);
  title->setObjectName("LaImpressTitel");
  QFont titleFont(QStringLiteral("Arial"));
  titleFont.setPixelSize(24);
  titleFont.setBold(true);
  title->setFont(titleFont);
  auto* titles = new QVBoxLayout();
  titles->setSpacing(0);
  titles->addWidget(title);
  auto* edition = new QLabel(QStringLiteral("Homöopathie für Kinder und Notfälle · Ausgabe 2026"), this);
  edition->setObjectName("LaImpressAusgabe");
  edition->setWordWrap(true);
  titles->addWidget(edition);
  head->addLayout(titles, 1);
  head->setSpacing(14);
  rows->addLayout(head);
  rows->addSpacing(4);

  // The publisher's data are not settled yet; the block says so instead of
  // inventing an address.
  auto* publisher = new QLabel(QStringLiteral("Herausgeber: noch nicht festgelegt (Platzhalter)"), this);
  publisher->setObjectName("LaImpressVerlag");
  publisher->setProperty("imprintPublisher", true);
  publisher->setWordWrap(true);
  rows->addWidget(publisher);
  rows->addWidget(Block(this, "ReImpressAdresse",
                        QStringLiteral("Platzhalter für die Postanschrift des Herausgebers.\n"
                                       "Die endgültigen Angaben folgen.")));
  rows->addWidget(Block(this, "ReImpressKontakt",
                        QStringLiteral("Platzhalter für Telefon, E-Mail und Internetadresse.\n"
                                       "Die endgültigen Angaben folgen.")));
  auto* rights = new QLabel(
      QStringLiteral("© %1 Fendra. Alle Rechte vorbehalten.").arg(QDate::currentDate().year()), this);
  rights->setObjectName("LaImpressRechte");
  rights->setWordWrap(true);
  rows->addWidget(rights);
  rows->addStretch(1);

  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  BtImpressum_ = new QPushButton(QStringLiteral("  Schließen  "), this);
  BtImpressum_->setObjectName("BtImpressum");
  BtImpressum_->setDefault(true);
  buttons->addWidget(BtImpressum_);
  rows->addLayout(buttons);

  connect(BtImpressum_, &QPushButton::clicked, this, &TfrmImpressum::BtImpressumClick);
}

void TfrmImpressum::BtImpressumClick() { accept(); }

}  // namespace fendra
