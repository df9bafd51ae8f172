// The main window's text commands: which text they address, store, print
// and PDF, the clipboard, character style, alignment and font.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>

#include "app/key_search.h"
#include "app/main_window.h"
#include "app/rich_text_view.h"
#include "app/text_formatting.h"
#include "app/text_printing.h"
#include "engine/components/dataset_types.h"
#include "engine/components/table.h"

namespace fendra {

namespace {
constexpr int kAdvicePanel = 1;

// A text control the clipboard commands take.
bool IsTextControl(const QWidget* w) {
  return qobject_cast<const QTextEdit*>(w) != nullptr || qobject_cast<const QLineEdit*>(w) != nullptr;
}

bool IsReadOnly(const QWidget* w) {
  if (const auto* edit = qobject_cast<const QTextEdit*>(w)) return edit->isReadOnly();
  if (const auto* line = qobject_cast<const QLineEdit*>(w)) return line->isReadOnly();
  return true;
}
}  // namespace

TActiveText TfrmMain::ActiveText(bool withHeading) const {
  TActiveText a;
  const QWidget* page = PageControl1_->currentWidget();
  const auto take = [&](TRichTextView* view, const char* table, const char* headingField,
                        const QString& suffix = QString()) {
    if (view->isHidden()) return;
    a.View = view;
    a.Table = table;
    if (withHeading) a.Heading = CurrentText(data_->TableComponent(table), headingField) + suffix;
    a.PrintBuffer = rePrint_;
  };
  if (page == tree_.TsBaum) {
    take(tree_.DbReBaum, "tblTree", "BezTree");
  } else if (page == atoz_.TsIndikAZ) {
    take(atoz_.DbReIndAZ, "TblIndList", "Indikationen");
  } else if (page == children_.TsKinder) {
    if (!children_.Finder.PaKindKM->isHidden()) {
      // The remedy's own text, not the notice shown when it has none.
      take(children_.Finder.reKindKM, "tbKIndKM", "Bez");
    } else if (!children_.PaKindLagIndik->isHidden()) {
      take(children_.DbReKindSuN, "tblKinderS", "Indikation");
    }
  } else if (page == emergency_.TsNotfall) {
    if (!emergency_.PaNotfIndLag->isHidden()) take(emergency_.DbReNotfInd, "TblNotfall", "Indikation");
  } else if (page == materiaMedica_.TsAML) {
    const TMateriaMedicaTab& m = materiaMedica_;
    if (!m.PaMMNaviHerk->isHidden()) {
      take(m.DbReMMHerk, "TblAML", "Hom Bezeichnung", QStringLiteral(" – Herkunft"));
    } else if (!m.PaMMweissRand->isHidden()) {
      if (!m.DbReMMGesBild->isHidden())
        take(m.DbReMMGesBild, "TblAML", "Hom Bezeichnung", QStringLiteral(" – Gesamtbild"));
      else
        take(m.DbReMMIndik, "TblAML", "Hom Bezeichnung", QStringLiteral(" – Indikationen"));
    }
    // The remedy texts print through the tab's own buffer.
    if (a.View) a.PrintBuffer = m.ReMMDruck;
  } else if (page == basics_.TsGrundlage) {
    take(basics_.DbReGrundl, "tbGrdlg", "Verzeichnis");
  }
  return a;
}

void TfrmMain::ConnectTextCommands() {
  connect(tb_.TBMMGBSave, &QToolButton::clicked, this, &TfrmMain::TBMMGBSaveClick);
  connect(tb_.SbMMPrint, &QToolButton::clicked, this, &TfrmMain::SbMMPrintClick);
  connect(menu_.MuPdf, &QAction::triggered, this, &TfrmMain::MuPdfClick);
  connect(tb_.TBCut, &QToolButton::clicked, this, &TfrmMain::TBCutClick);
  connect(tb_.TBCopy, &QToolButton::clicked, this, &TfrmMain::TBCopyClick);
  connect(tb_.TBPaste, &QToolButton::clicked, this, &TfrmMain::TBPasteClick);
  connect(tb_.TBBold, &QToolButton::clicked, this, &TfrmMain::TBBoldClick);
  connect(tb_.TBItalic, &QToolButton::clicked, this, &TfrmMain::TBItalicClick);
  connect(tb_.TBUnderline, &QToolButton::clicked, this, &TfrmMain::TBUnderlineClick);
  connect(tb_.TBLeftAlign, &QToolButton::clicked, this, &TfrmMain::TBLeftAlignClick);
  connect(tb_.TBCenter, &QToolButton::clicked, this, &TfrmMain::TBCenterClick);
  connect(tb_.TBRightAlign, &QToolButton::clicked, this, &TfrmMain::TBRightAlignClick);
  connect(tb_.CBFonts, &TFontCombo::DropDown, this, &TfrmMain::CBFontsDropDown);
  connect(tb_.CBFonts, &QComboBox::activated, this, &TfrmMain::CBFontsChange);

  // The text control last focused is what the commands act on; the tool
  // bar's buttons and font box taking the keyboard do not change it.
  focusConnection_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now != nullptr && IsTextControl(now) && isAncestorOf(now)) lastTextFocus_ = now;
    UpdateTextCommands();
  });
  for (TRichTextView* view : findChildren<TRichTextView*>()) {
    connect(view, &QTextEdit::cursorPositionChanged, this, &TfrmMain::UpdateTextCommands);
    connect(view, &QTextEdit::currentCharFormatChanged, this, &TfrmMain::UpdateTextCommands);
  }
  connect(PageControl1_, &QTabWidget::currentChanged, this, &TfrmMain::UpdateTextCommands);
}

QWidget* TfrmMain::ClipboardTarget() const {
  // The window's focus is kept while the window itself is not active; a
  // tool bar control holding it leaves the text control focused before.
  QWidget* focused = focusWidget();
  if (focused == nullptr || !IsTextControl(focused)) focused = lastTextFocus_.data();
  const QWidget* page = PageControl1_->currentWidget();
  if (focused != nullptr && page->isAncestorOf(focused) && focused->isVisibleTo(page)) return focused;
  return ActiveText().View;
}

TRichTextView* TfrmMain::FormatTarget() const {
  TRichTextView* view = nullptr;
  if (auto* focused = qobject_cast<TRichTextView*>(ClipboardTarget())) view = focused;
  if (view == nullptr) view = ActiveText().View;
  return view != nullptr && !view->isReadOnly() ? view : nullptr;
}

void TfrmMain::UpdateTextCommands() {
  if (destroying_) return;
  const QWidget* clip = ClipboardTarget();
  const bool editable = clip != nullptr && !IsReadOnly(clip);
  tb_.TBCopy->setEnabled(clip != nullptr);
  tb_.TBCut->setEnabled(editable);
  tb_.TBPaste->setEnabled(editable);
  TRichTextView* view = FormatTarget();
  tb_.CBFonts->setEnabled(view != nullptr);
  tb_.LaMMSchriftart->setEnabled(view != nullptr);
  tb_.ToolBar4->setEnabled(view != nullptr);
  // The PDF copy goes with the print command.
  menu_.MuPdf->setEnabled(tb_.SbMMPrint->isEnabled() && ActiveText().View != nullptr);
  if (view == nullptr) return;
  tb_.TBBold->setChecked(HasCharStyle(*view, TCharStyle::Bold));
  tb_.TBItalic->setChecked(HasCharStyle(*view, TCharStyle::Italic));
  tb_.TBUnderline->setChecked(HasCharStyle(*view, TCharStyle::Underline));
  const Qt::Alignment alignment = ParagraphAlignment(*view);
  tb_.TBLeftAlign->setChecked(alignment == Qt::AlignLeft);
  tb_.TBCenter->setChecked(alignment == Qt::AlignHCenter);
  tb_.TBRightAlign->setChecked(alignment == Qt::AlignRight);
  // The font box names the font at the caret, as the system resolves it.
  const QFont atCaret = view->currentCharFormat().font().resolve(view->document()->defaultFont());
  const int family = tb_.CBFonts->findText(QFontInfo(atCaret).family());
  if (family >= 0) tb_.CBFonts->setCurrentIndex(family);
}

void TfrmMain::ShowMessage(const QString& message) {
  if (messagePresenter_)
    messagePresenter_(message);
  else
    QMessageBox::warning(this, QStringLiteral("Fendra"), message);
}

// --- Store -------------------------------------------------------------------

void TfrmMain::TBMMGBSaveClick() {
  const TActiveText a = ActiveText();
  if (a.Table == nullptr) return;
  // A table that is not being edited has nothing to store.
  dvx::TDVXTable& table = data_->TableComponent(a.Table);
  if (table.State() == dvx::dsEdit || table.State() == dvx::dsInsert) table.Post();
}

// --- Clipboard ---------------------------------------------------------------

void TfrmMain::TBCutClick() {
  QWidget* target = ClipboardTarget();
  if (target == nullptr || IsReadOnly(target)) return;
  if (auto* edit = qobject_cast<QTextEdit*>(target)) edit->cut();
  if (auto* line = qobject_cast<QLineEdit*>(target)) line->cut();
}

void TfrmMain::TBCopyClick() {
  QWidget* target = ClipboardTarget();
  if (auto* edit = qobject_cast<QTextEdit*>(target)) edit->copy();
  if (auto* line = qobject_cast<QLineEdit*>(target)) line->copy();
}

void TfrmMain::TBPasteClick() {
  QWidget* target = ClipboardTarget();
  if (target == nullptr || IsReadOnly(target)) return;
  if (auto* edit = qobject_cast<QTextEdit*>(target)) edit->paste();
  if (auto* line = qobject_cast<QLineEdit*>(target)) line->paste();
}

// --- Character style and alignment -------------------------------------------

void TfrmMain::TBBoldClick() {
  if (TRichTextView* view = FormatTarget()) SetCharStyle(*view, TCharStyle::Bold, tb_.TBBold->isChecked());
  UpdateTextCommands();
}

void TfrmMain::TBItalicClick() {
  if (TRichTextView* view = FormatTarget()) SetCharStyle(*view, TCharStyle::Italic, tb_.TBItalic->isChecked());
  UpdateTextCommands();
}

void TfrmMain::TBUnderlineClick() {
  if (TRichTextView* view = FormatTarget())
    SetCharStyle(*view, TCharStyle::Underline, tb_.TBUnderline->isChecked());
  UpdateTextCommands();
}

// Releasing an alignment button leaves the paragraphs left aligned, the
// alignment they have when none is chosen.
void TfrmMain::TBLeftAlignClick() {
  if (TRichTextView* view = FormatTarget()) SetParagraphAlignment(*view, Qt::AlignLeft);
  UpdateTextCommands();
}

void TfrmMain::TBCenterClick() {
  if (TRichTextView* view = FormatTarget())
    SetParagraphAlignment(*view, tb_.TBCenter->isChecked() ? Qt::AlignHCenter : Qt::AlignLeft);
  UpdateTextCommands();
}

void TfrmMain::TBRightAlignClick() {
  if (TRichTextView* view = FormatTarget())
    SetParagraphAlignment(*view, tb_.TBRightAlign->isChecked() ? Qt::AlignRight : Qt::AlignLeft);
  UpdateTextCommands();
}

// --- Font --------------------------------------------------------------------

// The chosen font goes only to the text being edited: the focused editable
// view of the active page, its selection or, with nothing selected, its
// whole text. No other view, table or the clipboard is touched; the change
// is stored like any other edit of the text.
void TfrmMain::CBFontsDropDown() {
  TRichTextView* view = FormatTarget();
  if (view == nullptr) return;
  std::optional<QFont> chosen;
  if (fontChooser_) {
    chosen = fontChooser_(font());
  } else {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, this->font(), this, QStringLiteral("Schriftart"));
    if (ok) chosen = font;
  }
  if (!chosen) return;
  ApplyFont(*view, *chosen);
  const int index = tb_.CBFonts->findText(chosen->family());
  if (index >= 0) tb_.CBFonts->setCurrentIndex(index);
  view->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::CBFontsChange() {
  TRichTextView* view = FormatTarget();
  if (view == nullptr) return;
  ApplyFontFamily(*view, tb_.CBFonts->currentText());
}

// --- Printing ----------------------------------------------------------------

void TfrmMain::SbMMPrintClick() {
  const TActiveText a = ActiveText(true);
  if (a.View == nullptr || !tb_.SbMMPrint->isEnabled()) return;
  FillPrintBuffer(*a.PrintBuffer, a.Heading, *a.View->document());
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog preview(&printer, this);
  preview.setObjectName("PrintPreview");
  preview.setWindowTitle(QStringLiteral("Druckvorschau – %1").arg(a.Heading));
  QString failure;
  connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* target) {
    QString error;
    if (!formatDrucken(*a.PrintBuffer->document(), *target, &error)) failure = error;
  });
  const int result = previewRunner_ ? previewRunner_(preview) : preview.exec();
  if (!failure.isEmpty()) {
    SetPanel(kAdvicePanel, QString());
    ShowMessage(failure);
  } else if (result == QDialog::Accepted) {
    // The preview closes accepted only once the pages went to the printer.
    SetPanel(kAdvicePanel, QStringLiteral("„%1“ wurde gedruckt.").arg(a.Heading));
  }
}

void TfrmMain::MuPdfClick() {
  const TActiveText a = ActiveText(true);
  if (a.View == nullptr || !tb_.SbMMPrint->isEnabled()) return;
  QString path;
  if (pdfFileChooser_) {
    path = pdfFileChooser_();
  } else {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString name = a.Heading.trimmed();
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    path = QFileDialog::getSaveFileName(this, QStringLiteral("Als PDF speichern"),
                                        folder + QLatin1Char('/') + name + QStringLiteral(".pdf"),
                                        QStringLiteral("PDF-Dateien (*.pdf)"));
  }
  if (path.isEmpty()) return;
  FillPrintBuffer(*a.PrintBuffer, a.Heading, *a.View->document());
  // The same pages as on the printer: its paper size, portrait.
  const QPageSize paper = QPrinter().pageLayout().pageSize();
  QString error;
  if (!SaveTextAsPdf(*a.PrintBuffer->document(), path, &error, paper)) {
    ShowMessage(error);
    return;
  }
  SetPanel(kAdvicePanel, QStringLiteral("Gespeichert als %1").arg(QDir::toNativeSeparators(path)));
}

}  // namespace fendra
