// The children's finder on small screens: at 1024 x 640 every check box is
// reached by scrolling its box down only and the five results with their
// points and "Auswerten" are in view; at 800 x 600 the same holds.
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>

#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

class ChildrenScreenTest : public MainWindowTest {
 protected:
  void ShowFinderAt(int width, int height) {
    window_->resize(width, height);
    QApplication::processEvents();
    PickTab("TsKinder");
    // The longest name the finder ranks comes first.
    Find<QCheckBox>("clbSchlaf3")->setChecked(true);
    Click("PaBtKindAusw");
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_EQ(window_->size(), QSize(width, height)) << "the window must fit the screen";
    ASSERT_EQ(Find<QLabel>("LaKMBezLb17")->text(), "Phosphoricum acid");
  }
  QScrollArea* Box() const { return Find<QScrollArea>("ScrollBox1"); }
  // All of `widget` shows inside `area` (a viewport or the window).
  static bool WhollyIn(QWidget* widget, QWidget* area) {
    const QRect rect(widget->mapTo(area, QPoint(0, 0)), widget->size());
    return widget->isVisible() && area->rect().contains(rect);
  }
  // Whether each of the widget's ancestors up to the window shows all of it.
  bool Unclipped(QWidget* widget) const {
    for (QWidget* area = widget->parentWidget(); area; area = area->parentWidget()) {
      if (!WhollyIn(widget, area)) return false;
      if (area == window_.get()) break;
    }
    return true;
  }
  std::vector<QWidget*> Results() const {
    std::vector<QWidget*> results{Find("PaBtKindAusw")};
    for (const char* name : {"LaKMLbNr48", "LaKMBezLb17", "LaKMPktLb30", "LaKMLbNr16", "LaKMBezLb49",
                             "LaKMPktLb50", "LaKMLbNr52", "LaKMBezLb53", "LaKMPktLb54", "LaKMLbNr56",
                             "LaKMBezLb57", "LaKMPktLb58", "LaKMLbNr32", "LaKMBezLb33", "LaKMPktLb34"})
      results.push_back(Find(name));
    return results;
  }
  static bool TextFits(QLabel* label) {
    return label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text());
  }
  void ExpectEverythingReachable() {
    EXPECT_FALSE(Box()->horizontalScrollBar()->isVisible());
    const QList<QCheckBox*> boxes = Box()->widget()->findChildren<QCheckBox*>();
    ASSERT_EQ(boxes.size(), 111);
    for (QCheckBox* box : boxes) {
      Box()->ensureWidgetVisible(box, 0, 0);
      EXPECT_TRUE(WhollyIn(box, Box()->viewport())) << qPrintable(box->objectName());
      EXPECT_GE(box->width(), box->sizeHint().width()) << qPrintable(box->objectName()) << " is cut";
    }
    for (QWidget* result : Results()) EXPECT_TRUE(Unclipped(result)) << qPrintable(result->objectName());
    EXPECT_TRUE(TextFits(Find<QLabel>("LaKMBezLb17")));
    // The text is there too, scrolled to where the screen is short.
    // (A text edit would only have its cursor brought into view.)
    Find<QScrollArea>("PaKindKMErgebnis")->ensureWidgetVisible(Find("PaKindKMLayer2"), 0, 0);
    EXPECT_TRUE(Unclipped(Find("reKindKM")));
    EXPECT_GE(Find("reKindKM")->width(), 200);
    EXPECT_GE(Find("reKindKM")->height(), 100);
  }
};

TEST_F(ChildrenScreenTest, At1024x640ResultsAreInViewAndEveryCheckBoxIsReachedDownwards) {
  ShowFinderAt(1024, 640);
  ExpectEverythingReachable();
}

TEST_F(ChildrenScreenTest, At800x600EverythingIsStillReachable) {
  ShowFinderAt(800, 600);
  ExpectEverythingReachable();
}

TEST_F(ChildrenScreenTest, PartsStandSideBySideOnALargeScreenAndStackOnANarrowOne) {
  auto rect = [this](const char* name) {
    return QRect(Find(name)->mapTo(window_.get(), QPoint(0, 0)), Find(name)->size());
  };
  ShowFinderAt(1366, 768);
  EXPECT_LT(rect("LaKindAuswGrp1").right(), rect("GbKindAuswGrp2").left());
  EXPECT_LT(rect("Panel9").right(), rect("PaKindKMLayer2").left());
  EXPECT_LT(rect("LaKindAuswGrp1").bottom(), rect("PaKindKMLayer2").top());
  window_->resize(800, 600);
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_LT(rect("LaKindAuswGrp1").bottom(), rect("GbKindAuswGrp2").top()) << "the list under the results";
  EXPECT_LT(rect("PaKindKMLayer2").bottom(), rect("Panel9").top()) << "the text above the overview";
  EXPECT_FALSE(Find<QScrollArea>("PaKindKMErgebnis")->horizontalScrollBar()->isVisible());
}

// Up and Down go from item to item, across the lists, and the box follows.
TEST_F(ChildrenScreenTest, ArrowKeysMoveThroughTheItemsAndTheBoxFollows) {
  ShowFinderAt(1024, 640);
  Box()->verticalScrollBar()->setValue(0);
  auto* last = Find<QCheckBox>("clbKonst35");
  last->setFocus();
  QTest::keyClick(last, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), Find("clbFolg0"));
  EXPECT_TRUE(WhollyIn(Find("clbFolg0"), Box()->viewport()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), last);
  QTest::keyClick(last, Qt::Key_Space);
  EXPECT_TRUE(last->isChecked());
  auto* first = Find<QCheckBox>("clbKonst0");
  first->setFocus();
  QTest::keyClick(first, Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), first) << "nothing before the first item";
}

// The text of the first remedy was loaded while its tab was hidden and its
// view small; shown, it starts at its beginning, not scrolled to its end.
TEST_F(ChildrenScreenTest, TheRemedyTextShowsFromItsStartWhenTheTabIsFirstShown) {
  auto* text = Find<QTextEdit>("reKindKM");
  PickTab("TsKinder");
  QApplication::processEvents();
  ASSERT_GT(text->verticalScrollBar()->maximum(), 0) << "the text must be longer than its view";
  EXPECT_EQ(text->verticalScrollBar()->value(), 0);
  EXPECT_EQ(text->textCursor().position(), 0);
}

}  // namespace
}  // namespace fendra::testing
