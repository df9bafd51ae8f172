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
  QFont base(QStringLiteral("Tahoma"));
  base.setPointSize(11);
  setFont(base);
  setMinimumSize(434, 291);

  auto* rows = new QVBoxLayout(this);
  rows->setContentsMargins(18, 14, 18, 14);
  rows->setSpacing(8);

  auto* head = new QHBoxLayout();
  auto* picture = new QLabel(this);
  picture->setObjectName("ImImpressum");
  picture->setPixmap(ToolbarGlyph(TToolbarGlyph::MateriaMedica).pixmap(48, 48));
  head->addWidget(picture);
  auto* title = new QLabel(QStringLiteral("Fendra"), this);
  title->setObjectName("LaImpressTitel");
  QFont titleFont(QStringLiteral("Arial"));
  titleFont.setPointSize(24);
  titleFont.setBold(true);
  title->setFont(titleFont);
  auto* titles = new QVBoxLayout();
  titles->setSpacing(0);
  titles->addWidget(title);
  auto* edition = new QLabel(QStringLiteral("Homöopathie für Kinder und Notfälle · Ausgabe 2026"), this);
  edition->setObjectName("LaImpressAusgabe");
  titles->addWidget(edition);
  head->addLayout(titles, 1);
  head->setSpacing(14);
  rows->addLayout(head);
  rows->addSpacing(6);

  // The publisher's data are not settled yet; the block says so instead of
  // inventing an address.
  auto* publisher = new QLabel(QStringLiteral("Herausgeber: noch nicht festgelegt (Platzhalter)"), this);
  publisher->setObjectName("LaImpressVerlag");
  publisher->setProperty("imprintPublisher", true);
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
