// The main window on small screens: at 1024 x 640 and at 800 x 600 the
// window is no larger than the screen on any tab, and every command it shows
// lies inside it.
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>

#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

class SmallScreenTest : public MainWindowTest {
 protected:
  // Names of the shown buttons, combo boxes and edits that reach outside the
  // window or are squeezed below their minimum size. Those in a scroll area
  // are reached by scrolling it; the finders' screen tests see to them.
  QStringList Outside() const {
    QStringList outside;
    const QRect window = window_->rect();
    for (QWidget* w : window_->findChildren<QWidget*>()) {
      if (!w->isVisible() || w->window() != window_.get()) continue;
      if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QComboBox*>(w) &&
          !qobject_cast<QLineEdit*>(w))
        continue;
      if (InScrollArea(w)) continue;
      const QRect rect(w->mapTo(window_.get(), QPoint(0, 0)), w->size());
      if (!window.contains(rect) || w->width() < w->minimumWidth()) outside << w->objectName();
    }
    return outside;
  }
  static bool InScrollArea(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
      if (qobject_cast<QScrollArea*>(p)) return true;
    return false;
  }
  void ExpectEveryTabFits(QSize screen) {
    window_->resize(screen);
    const char* sheets[] = {"TsBaum", "TsIndikAZ", "TsKinder", "TsNotfall", "TsAML", "TsGrundlage"};
    for (const char* sheet : sheets) {
      PickTab(sheet);
      QApplication::processEvents();
      EXPECT_EQ(window_->size(), screen) << sheet;
      EXPECT_EQ(Outside(), QStringList()) << sheet;
      EXPECT_TRUE(window_->rect().contains(
          QRect(Find("SbHaupt")->mapTo(window_.get(), QPoint(0, 0)), Find("SbHaupt")->size())))
          << sheet;
    }
  }
};

TEST_F(SmallScreenTest, EveryTabFitsA1024x640Screen) { ExpectEveryTabFits(QSize(1024, 640)); }

TEST_F(SmallScreenTest, EveryTabFitsAn800x600Screen) { ExpectEveryTabFits(QSize(800, 600)); }

TEST_F(SmallScreenTest, ToolBarContinuesOnASecondLineRatherThanWideningTheWindow) {
  window_->resize(800, 600);
  QApplication::processEvents();
  window_->SetToolbarMode(1);
  QApplication::processEvents();
  QApplication::processEvents();
  const int firstLine = Find("SbPrgEnd")->mapTo(window_.get(), QPoint(0, 0)).y();
  EXPECT_GT(Find("TBBold")->mapTo(window_.get(), QPoint(0, 0)).y(), firstLine);
  EXPECT_EQ(Outside(), QStringList());
  // Without the formatting commands one line holds the rest, and the bar
  // gives the second line back.
  const int twoLines = Find("TbHaupt")->height();
  window_->SetToolbarMode(3);
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_LT(Find("TbHaupt")->height(), twoLines);
  EXPECT_EQ(Find("SbMMPrint")->mapTo(window_.get(), QPoint(0, 0)).y(), firstLine);
}

TEST_F(SmallScreenTest, SideColumnsKeepTheirDesignWidthWhereThereIsRoom) {
  for (int width : {1366, 1024}) {
    window_->resize(width, 640);
    QApplication::processEvents();
    EXPECT_EQ(Find("PaBaumTreeLi")->width(), 280) << width;
    EXPECT_EQ(Find("PaBaumNavi")->width(), 210) << width;
  }
}

// Where the screen is too narrow for every area's width, the side columns
// give up room along with the text instead of leaving the text a sliver.
TEST_F(SmallScreenTest, OnAnEightHundredPixelScreenTheSidesNarrowAlongWithTheText) {
  window_->resize(800, 600);
  QApplication::processEvents();
  const int tree = Find("PaBaumTreeLi")->width();
  const int text = Find("PaBaumLage1")->width();
  const int commands = Find("PaBaumNavi")->width();
  EXPECT_LT(tree, 280);
  EXPECT_LT(commands, 210);
  EXPECT_GT(text, tree + 100);
  PickTab("TsAML");
  EXPECT_LT(Find("PaMMNavi")->width(), 280);
  EXPECT_LE(Find("PaMMrechts")->width(), 210);
}

}  // namespace
}  // namespace fendra::testing
