#include "app/impressum_dialog.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/imprint_content.h"
#include "app/toolbar_glyphs.h"

namespace fendra {

namespace {

// A read-only, borderless text block. Unlike a disabled one it scrolls, so
// a text longer than the dialog's design leaves room for stays readable;
// it takes no part in the keyboard's round.
QTextEdit* Block(QWidget* parent, const char* name, const QString& markdown) {
  auto* block = new QTextEdit(parent);
  block->setObjectName(name);
  block->setReadOnly(true);
  block->setFrameShape(QFrame::NoFrame);
  block->setFocusPolicy(Qt::NoFocus);
  block->setTextInteractionFlags(Qt::NoTextInteraction);
  block->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  block->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  block->setProperty("imprintBlock", true);
  block->document()->setDocumentMargin(0);
  block->setMarkdown(markdown);
  block->setMinimumHeight(block->fontMetrics().lineSpacing() * 2 + 4);
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
  const TImprintContent content = ParseImprint(ImprintSource(), QDate::currentDate().year());
  auto* title = new QLabel(content.Title, this);
  title->setObjectName("LaImpressTitel");
  QFont titleFont(QStringLiteral("Arial"));
  titleFont.setPixelSize(24);
  titleFont.setBold(true);
  title->setFont(titleFont);
  auto* titles = new QVBoxLayout();
  titles->setSpacing(0);
  titles->addWidget(title);
  auto* edition = new QLabel(content.Edition, this);
  edition->setObjectName("LaImpressAusgabe");
  edition->setWordWrap(true);
  titles->addWidget(edition);
  head->addLayout(titles, 1);
  head->setSpacing(14);
  rows->addLayout(head);
  rows->addSpacing(4);

  auto* publisher = new QLabel(content.Publisher, this);
  publisher->setObjectName("LaImpressVerlag");
  publisher->setProperty("imprintPublisher", true);
  publisher->setWordWrap(true);
  rows->addWidget(publisher);
  const char* blocks[] = {"ReImpressText1", "ReImpressText2"};
  for (int i = 0; i < 2; ++i) {
    QTextEdit* block = Block(this, blocks[i], i < content.Blocks.size() ? content.Blocks[i] : QString());
    block->setVisible(i < content.Blocks.size());
    rows->addWidget(block, 1);
  }
  auto* rights = new QLabel(content.Rights, this);
  rights->setObjectName("LaImpressRechte");
  rights->setWordWrap(true);
  rows->addWidget(rights);

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
