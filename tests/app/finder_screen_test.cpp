// The emergency finder on small screens: everything in view at 1024 x 640,
// everything reachable at 800 x 600, and no stretched boxes on large ones.
#include <QGroupBox>
#include <QScrollArea>
#include <QScrollBar>

#include "app/emergency_incidence.h"
#include "app/finder_layout.h"
#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

class FinderScreenTest : public MainWindowTest {
 protected:
  void ShowFinderAt(int width, int height) {
    window_->resize(width, height);
    QApplication::processEvents();
    PickTab("TsNotfall");
    Click("PaBtNotfNaviMod");
    // Calcium bromatum, the longest name the finder ranks, comes first.
    for (const char* box : {"cb2BeWa", "cb3BeRu", "cb4BeLi", "cb8BeLu"})
      Find<QCheckBox>(box)->setChecked(true);
    Click("paNFStart");
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_EQ(window_->size(), QSize(width, height)) << "the window must fit the screen";
  }
  QScrollArea* Scroller() const { return Find<QScrollArea>("PaNotfModScroll"); }
  TFinderLayout* Arrangement() const {
    return static_cast<TFinderLayout*>(Find("PaNotfModSheet")->layout());
  }
  // Whether all of `widget` shows in the finder's scroll area as it stands.
  bool WhollyInView(QWidget* widget) const {
    QWidget* viewport = Scroller()->viewport();
    const QRect rect(widget->mapTo(viewport, QPoint(0, 0)), widget->size());
    return widget->isVisible() && viewport->rect().contains(rect);
  }
  std::vector<QWidget*> Results() const {
    std::vector<QWidget*> results{Find("LaNotfModAuswPkte"), Find("paNFStart")};
    for (int n = 1; n <= 5; ++n) {
      results.push_back(Find(qPrintable(QStringLiteral("lbAM%1").arg(n))));
      results.push_back(Find(qPrintable(QStringLiteral("lbPunkt%1").arg(n))));
    }
    return results;
  }
  std::vector<QCheckBox*> CheckBoxes() const {
    std::vector<QCheckBox*> boxes;
    for (const EmergencyModality& m : EmergencyModalities())
      boxes.push_back(Find<QCheckBox>(std::string(m.CheckBoxName).c_str()));
    return boxes;
  }
  static bool TextFits(QLabel* label) {
    return label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text());
  }
};

TEST_F(FinderScreenTest, At1024x640EverythingIsInViewWithoutScrolling) {
  ShowFinderAt(1024, 640);
  EXPECT_EQ(Arrangement()->Arrangement(), TFinderLayout::TArrangement::TwoRows);
  EXPECT_FALSE(Scroller()->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(Scroller()->verticalScrollBar()->isVisible());
  for (QCheckBox* box : CheckBoxes()) EXPECT_TRUE(WhollyInView(box)) << qPrintable(box->objectName());
  for (QWidget* result : Results())
    EXPECT_TRUE(WhollyInView(result)) << qPrintable(result->objectName());
  auto* first = Find<QLabel>("lbAM1");
  EXPECT_EQ(first->text(), "Calcium bromatum");
  for (int n = 1; n <= 5; ++n)
    EXPECT_TRUE(TextFits(Find<QLabel>(qPrintable(QStringLiteral("lbAM%1").arg(n))))) << n;
  EXPECT_TRUE(TextFits(Find<QLabel>("LaNotfModAuswPkte")));
}

TEST_F(FinderScreenTest, At800x600EverythingIsReachableByScrollingDownOnly) {
  ShowFinderAt(800, 600);
  EXPECT_EQ(Arrangement()->Arrangement(), TFinderLayout::TArrangement::Grid);
  EXPECT_FALSE(Scroller()->horizontalScrollBar()->isVisible());
  for (QCheckBox* box : CheckBoxes()) {
    Scroller()->ensureWidgetVisible(box);
    EXPECT_TRUE(WhollyInView(box)) << qPrintable(box->objectName());
  }
  // Scrolled down to "Start", the results and their points are in view too.
  Scroller()->ensureWidgetVisible(Find("paNFStart"));
  for (QWidget* result : Results())
    EXPECT_TRUE(WhollyInView(result)) << qPrintable(result->objectName());
  EXPECT_TRUE(TextFits(Find<QLabel>("lbAM1")));
}

TEST_F(FinderScreenTest, At800x600TabFromTheLastFeatureBringsStartAndTheResultsIntoView) {
  ShowFinderAt(800, 600);
  Scroller()->verticalScrollBar()->setValue(0);
  auto* last = Find<QCheckBox>("cb31ZuSD");
  last->setFocus();
  QTest::keyClick(last, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Find("paNFStart"));
  for (QWidget* result : Results())
    EXPECT_TRUE(WhollyInView(result)) << qPrintable(result->objectName());
}

TEST_F(FinderScreenTest, OnALargeScreenBoxesTakeTheHeightTheyNeedAndStartFollowsTheResults) {
  ShowFinderAt(1366, 768);
  EXPECT_EQ(Arrangement()->Arrangement(), TFinderLayout::TArrangement::Row);
  int tallest = 0;
  for (const char* group : {"GbNotfMod1", "GbNotfMod2", "GbNotfMod3"})
    tallest = std::max(tallest, Find(group)->sizeHint().height());
  for (const char* group : {"GbNotfMod1", "GbNotfMod2", "GbNotfMod3"})
    EXPECT_EQ(Find(group)->height(), tallest) << group;
  EXPECT_LT(tallest, Scroller()->viewport()->height() / 2) << "boxes are not stretched";
  const int lastRowBottom = Find("lbPunkt5")->mapTo(Scroller()->viewport(), QPoint(0, 0)).y() +
                            Find("lbPunkt5")->height();
  const int startTop = Find("paNFStart")->mapTo(Scroller()->viewport(), QPoint(0, 0)).y();
  EXPECT_GE(startTop, lastRowBottom);
  EXPECT_LE(startTop - lastRowBottom, 24) << "\"Start\" sits right under the results";
}

// The state group's check boxes keep number order in reading order whatever
// the arrangement: down the first column, then down the second.
TEST_F(FinderScreenTest, StateGroupReadsInNumberOrderInTwoColumns) {
  ShowFinderAt(1024, 640);
  std::vector<QCheckBox*> state;
  for (QCheckBox* box : CheckBoxes())
    if (box->parentWidget()->objectName() == "GbNotfMod3") state.push_back(box);
  ASSERT_EQ(state.size(), 9u);
  for (size_t i = 1; i < state.size(); ++i) {
    const QPoint a = state[i - 1]->pos(), b = state[i]->pos();
    EXPECT_TRUE(b.x() > a.x() || (b.x() == a.x() && b.y() > a.y())) << i;
  }
  EXPECT_GT(state[8]->x(), state[0]->x()) << "two columns";
}

}  // namespace
}  // namespace fendra::testing
