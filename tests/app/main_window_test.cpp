// The main window at start, its tool bar, menu and status bar, and the
// commands that move between the tabs.
#include <QDate>
#include <QEnterEvent>
#include <QFontInfo>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include "app/rich_text_view.h"
#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

class MainWindowStartTest : public MainWindowTest {};

TEST_F(MainWindowStartTest, OpensOnTheTreeTabWithItsCaptionAndFont) {
  EXPECT_EQ(window_->windowTitle(), "  Fendra");
  EXPECT_EQ(window_->objectName(), "frmMain");
  EXPECT_EQ(PageName(), "TsBaum");
  EXPECT_EQ(QFontInfo(window_->font()).pixelSize(), 15);
  EXPECT_EQ(window_->font().family(), "Arial");
  const QFont sheet = Find("TsNotfall")->font();
  EXPECT_EQ(sheet.pixelSize(), 13);
  EXPECT_TRUE(sheet.bold());
  EXPECT_EQ(Panel(0), "Indikationen als Baumstruktur");
}

TEST_F(MainWindowStartTest, SixTabsInOrderWithTheirCaptions) {
  const std::pair<const char*, const char*> tabs[] = {
      {"TsBaum", "Baumstruktur"}, {"TsIndikAZ", "Indikationen von A - Z"},
      {"TsKinder", "Kinder"},     {"TsNotfall", "Notfälle"},
      {"TsAML", "Materia Medica"}, {"TsGrundlage", "Grundlagen"}};
  QTabWidget* control = window_->PageControl();
  ASSERT_EQ(control->count(), 6);
  EXPECT_EQ(control->objectName(), "PageControl1");
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(control->widget(i)->objectName(), tabs[i].first);
    EXPECT_EQ(control->tabText(i), QString::fromUtf8(tabs[i].second));
  }
}

TEST_F(MainWindowStartTest, PanelsAndToolBarAsDesigned) {
  EXPECT_TRUE(Shown("PaKindKM"));
  EXPECT_FALSE(Shown("PaKindLagIndik"));
  EXPECT_TRUE(Shown("PaNotfIndLag"));
  EXPECT_FALSE(Shown("PaNotfModLag"));
  EXPECT_FALSE(Shown("SbMMBildLaden"));
  for (const char* name : {"SbPrgEnd", "SbSuchBaum", "SbSuchAbidZ", "SbSuchSymKind", "SbSuchIndKind",
                           "SbSuchIndNotf", "SbSuchModNotf", "SbSuchMM", "TBMMGBSave", "SbMMPrint",
                           "ToolBar3", "TBCut", "TBCopy", "TBPaste", "LaMMSchriftart", "CBFonts",
                           "ToolBar4", "TBBold", "TBItalic", "TBUnderline", "TBLeftAlign",
                           "TBCenter", "TBRightAlign"}) {
    EXPECT_TRUE(Shown(name)) << name;
  }
  // The tree's text is for reading: it may be stored, printed and copied
  // but not changed.
  for (const char* name : {"SbPrgEnd", "SbSuchBaum", "SbSuchAbidZ", "SbSuchSymKind", "SbSuchIndKind",
                           "SbSuchIndNotf", "SbSuchModNotf", "SbSuchMM", "TBMMGBSave", "SbMMPrint",
                           "ToolBar3", "TBCopy"})
    EXPECT_TRUE(Find(name)->isEnabled()) << name;
  for (const char* name : {"TBCut", "TBPaste", "LaMMSchriftart", "CBFonts", "ToolBar4"})
    EXPECT_FALSE(Find(name)->isEnabled()) << name;
  EXPECT_FALSE(Shown("lbFarbschalter"));
  auto* print = Find<TRichTextView>("rePrint");
  EXPECT_FALSE(Shown("rePrint"));
  EXPECT_EQ(print->toPlainText(), "reDruck");
}

TEST_F(MainWindowStartTest, ToolBarCommandsCarryTheirHintsInOrder) {
  const std::pair<const char*, const char*> hints[] = {
      {"SbPrgEnd", "Programm beenden"},   {"SbSuchBaum", "Baumstrukur"},
      {"SbSuchAbidZ", "Indikationen von A bis Z"}, {"SbSuchSymKind", "Symptomverzeichnis Kind "},
      {"SbSuchIndKind", "Indikationen Kind"}, {"SbSuchIndNotf", "Indikationen Notfall"},
      {"SbSuchModNotf", "Modalitäten Notfall"}, {"SbSuchMM", "Materia Medica"},
      {"TBMMGBSave", "Speichern"},        {"SbMMPrint", "Drucken"},
      {"SbMMBildLaden", "Bilden laden"},  {"TBCut", "Ausschneiden"},
      {"TBCopy", "Kopieren"},             {"TBPaste", "Einfügen"},
      {"CBFonts", "Schriftart"},          {"TBBold", "Fett"},
      {"TBItalic", "Kursiv"},             {"TBUnderline", "Unterstrichen"},
      {"TBLeftAlign", "Links ausrichten"}, {"TBCenter", "Zentrieren"},
      {"TBRightAlign", "Rechts ausrichten"}};
  QWidget* bar = Find("TbHaupt");
  int previousX = -1;
  for (const auto& [name, hint] : hints) {
    QWidget* control = Find(name);
    EXPECT_EQ(control->toolTip(), QString::fromUtf8(hint)) << name;
    EXPECT_EQ(control->statusTip(), QString::fromUtf8(hint)) << name;
    if (control->isHidden()) continue;
    const int x = control->mapTo(bar, QPoint(0, 0)).x();
    EXPECT_GT(x, previousX) << name << " out of left-to-right order";
    previousX = x;
  }
  EXPECT_EQ(Find<QLabel>("LaMMSchriftart")->text(), "Schriftart und Farbe");
  EXPECT_GT(Find<QComboBox>("CBFonts")->count(), 0);
  for (const char* name : {"TBBold", "TBItalic", "TBUnderline", "TBLeftAlign", "TBCenter", "TBRightAlign"})
    EXPECT_TRUE(Find<QToolButton>(name)->isCheckable()) << name;
}

TEST_F(MainWindowStartTest, AlignmentButtonsAreOneGroupThatMayBeAllUp) {
  auto* left = Find<QToolButton>("TBLeftAlign");
  auto* centre = Find<QToolButton>("TBCenter");
  left->setChecked(true);
  centre->setChecked(true);
  EXPECT_FALSE(left->isChecked());
  centre->setChecked(false);
  EXPECT_FALSE(left->isChecked() || centre->isChecked() || Find<QToolButton>("TBRightAlign")->isChecked());
}

TEST_F(MainWindowStartTest, MenuCaptionsAreExact) {
  const std::pair<const char*, const char*> items[] = {
      {"MuPdf", "Als PDF speichern…"},
      {"MuEnd", "Beenden"},
      {"MuIndBaum", "Indikation als Baumstruktur"}, {"MuIndAZ", "Indikationen von A bis Z"},
      {"MuIndKind", "Indikationen bei Kindern"},   {"MuIndNotf", "Indikation in Notfällen"},
      {"MuMatMed", "Arzneimittellehre"},           {"MuGrdlg", "Grundlagen"},
      {"MuSuchBaum", "in Verzeichnisbaum"},        {"MuSuchAZ", "nach Indikationen von A bis Z"},
      {"MuSuchSymKind", "nach Symptomenliste bei Kindern"},
      {"MuSuchIndKind", "nach Indikationen bei Kindern"},
      {"MuSuchIndNotf", "nach Indikationen in Notfällen"},
      {"MuSuchModNotf", "nach Modalitäten im Notfall"},
      {"MuSuchMatMed", "Nach einzelnen Arzneimitteln"}, {"MuImpress", "Impressum"}};
  for (const auto& [name, caption] : items)
    EXPECT_EQ(Action(name)->text(), QString::fromUtf8(caption)) << name;
  const std::pair<const char*, const char*> menus[] = {
      {"MuPrg", "Programm"}, {"MuInhalt", "Inhalte"}, {"MuSuche", "Suche"}, {"MuHilfe", "Hilfe"}};
  // The captions read as written; the mark before the first letter makes it
  // the menu's Alt key.
  for (const auto& [name, caption] : menus) {
    const QString title = Find<QMenu>(name)->title();
    EXPECT_EQ(title, QStringLiteral("&") + QString::fromUtf8(caption)) << name;
  }
}

class StatusBarTest : public MainWindowTest {};

TEST_F(StatusBarTest, ThreePanelsWithTheirWidthsAndTodaysDate) {
  TStatusPanels* bar = window_->StatusPanels();
  EXPECT_EQ(bar->objectName(), "SbHaupt");
  EXPECT_EQ(bar->PanelWidth(0), 250);
  EXPECT_EQ(bar->PanelWidth(2), 75);
  EXPECT_EQ(bar->PanelWidth(1), bar->width() - 325);
  EXPECT_TRUE(bar->Panel(2)->alignment() & Qt::AlignHCenter);
  EXPECT_EQ(Panel(2), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
  auto* timer = window_->findChild<QTimer*>("Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 1000);
}

TEST_F(StatusBarTest, ClockTickRewritesTheDate) {
  window_->StatusPanels()->SetPanelText(2, "x");
  window_->Timer1Timer();
  EXPECT_EQ(Panel(2), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
}

TEST_F(StatusBarTest, AdvicePanelFollowsTheWidthAndNeverGoesNegative) {
  TStatusPanels* bar = window_->StatusPanels();
  window_->resize(1000, 700);
  QApplication::processEvents();
  EXPECT_EQ(bar->PanelWidth(1), bar->width() - 325);
  for (const auto& [width, expected] : {std::pair{326, 1}, {325, 0}, {324, 0}, {300, 0}, {10, 0}}) {
    bar->resize(width, bar->height());
    EXPECT_EQ(bar->PanelWidth(1), expected) << "status bar width " << width;
  }
  bar->SetPanelWidth(1, -5);
  EXPECT_EQ(bar->PanelWidth(1), 0);
}

TEST_F(StatusBarTest, HintOfTheControlUnderThePointerStaysAfterItLeaves) {
  QWidget* mm = Find("SbSuchMM");
  QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
  QApplication::sendEvent(mm, &enter);
  EXPECT_EQ(Panel(0), "Materia Medica");
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(mm, &leave);
  EXPECT_EQ(Panel(0), "Materia Medica");
  QApplication::sendEvent(Find("CBFonts"), &enter);
  EXPECT_EQ(Panel(0), "Schriftart");
  window_->ShowApplicationHint("Programm beenden");
  EXPECT_EQ(Panel(0), "Programm beenden");
}

TEST_F(StatusBarTest, ShowingNarrowsEachOfTheSixTextViewsOnceByFifteenPixels) {
  window_->hide();
  window_->show();  // a second show must not narrow again
  QApplication::processEvents();
  for (const char* name : {"DbReBaum", "reKindKM", "DbReKindSuN", "DbReGrundl", "DbReNotfInd", "DbReIndAZ"}) {
    auto* view = Find<TRichTextView>(name);
    EXPECT_EQ(view->TextAreaLeftInset(), 15) << name;
    EXPECT_EQ(view->TextAreaRightInset(), 15) << name;
    EXPECT_EQ(view->viewport()->geometry().left(), view->frameWidth() + 15) << name;
    EXPECT_EQ(view->viewport()->geometry().right(),
              view->width() - 1 - view->frameWidth() - 15 -
                  (view->verticalScrollBar()->isVisible() ? view->verticalScrollBar()->width() : 0))
        << name;
  }
  for (const char* name : {"DbReMMGesBild", "DbReMMIndik", "rePrint"})
    EXPECT_EQ(Find<TRichTextView>(name)->TextAreaLeftInset(), 0) << name;
}

TEST_F(StatusBarTest, NarrowingSurvivesNewContent) {
  auto* view = Find<TRichTextView>("DbReIndAZ");
  view->setHtml("<p>Fieber</p>");
  view->clear();
  EXPECT_EQ(view->viewport()->geometry().left(), view->frameWidth() + 15);
  ASSERT_EQ(view->SetRtf("{\\rtf1\\ansi {\\b Fieber}\\par}"), RtfReader::TStatus::Ok);
  EXPECT_EQ(view->toPlainText(), "Fieber");
  EXPECT_EQ(view->viewport()->geometry().left(), view->frameWidth() + 15);
}

}  // namespace
}  // namespace fendra::testing
