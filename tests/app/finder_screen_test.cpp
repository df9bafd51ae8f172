// The emergency finder on small screens: everything in view at 1024 x 640,
// everything reachable at 800 x 600, and no stretched boxes on large ones.
#include <QGroupBox>
#include <QHelpEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <random>

#include "app/emergency_incidence.h"
#include "app/finder_layout.h"
#include "emergency_model.h"
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

class FinderExplanationTest : public FinderScreenTest {
 protected:
  QLabel* Cell(const char* kind, int row) const {
    return Find<QLabel>(qPrintable(QStringLiteral("%1%2").arg(QLatin1String(kind)).arg(row)));
  }
  static QString Joined(const std::vector<std::string>& lines) {
    QStringList joined;
    for (const std::string& line : lines) joined << QString::fromStdString(line);
    return joined.join(QLatin1Char('\n'));
  }
  EmergencyTicks TickAtRandom(std::mt19937& random) {
    std::bernoulli_distribution coin(0.3);
    EmergencyTicks ticks{};
    for (int box = 0; box < kEmergencyModalityCount; ++box) {
      ticks[box] = coin(random);
      Find<QCheckBox>(std::string(EmergencyModalities()[box].CheckBoxName).c_str())
          ->setChecked(ticks[box]);
    }
    return ticks;
  }
};

// After each evaluation every row explains exactly its remedy's points: one
// line for each ticked box whose incidence row names the remedy.
TEST_F(FinderExplanationTest, EachRowExplainsExactlyTheTickedFeaturesOfItsRemedy) {
  ShowFinderAt(1024, 640);
  std::mt19937 random(640);
  for (int round = 0; round < 40; ++round) {
    const EmergencyTicks ticks = TickAtRandom(random);
    Click("paNFStart");
    for (int row = 1; row <= 5; ++row) {
      const std::string remedy = Cell("lbAM", row)->text().toStdString();
      const std::vector<std::string> expected = ModelExplanation(remedy, ticks);
      const QString why = Joined(expected);
      for (const char* kind : {"lbRang", "lbAM", "lbPunkt"}) {
        ASSERT_EQ(Cell(kind, row)->toolTip(), why) << "round " << round << " " << kind << row;
        ASSERT_EQ(Cell(kind, row)->accessibleDescription(), why) << "round " << round << " " << kind << row;
      }
      const int points = Cell("lbPunkt", row)->text().toInt();
      ASSERT_EQ(points == 0 ? 0 : int(expected.size()), points) << "round " << round << " row " << row;
    }
  }
}

TEST_F(FinderExplanationTest, HoveringOrClickingARowShowsItsExplanation) {
  ShowFinderAt(1024, 640);  // ticks Wärme, Ruhe, Liegen, frische Luft
  const QString first =
      "Besser durch: Wärme\nBesser durch: Ruhe\nBesser durch: Liegen\nBesser durch: frische Luft";
  EXPECT_EQ(Cell("lbAM", 1)->text(), "Calcium bromatum");
  QLabel* name = Cell("lbAM", 1);
  QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), name->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(name, &hover);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), first);
  QToolTip::hideText();
  QLabel* points = Cell("lbPunkt", 2);
  QTest::mouseClick(points, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), points->toolTip());
  EXPECT_EQ(points->toolTip().count('\n') + 1, points->text().toInt());
  QToolTip::hideText();
}

TEST_F(FinderExplanationTest, ExplanationsFollowTheEvaluationNotLaterTicks) {
  ShowFinderAt(1024, 640);
  const QString before = Cell("lbAM", 1)->toolTip();
  Find<QCheckBox>("cb2BeWa")->setChecked(false);
  EXPECT_EQ(Cell("lbAM", 1)->toolTip(), before) << "the row still shows the points of then";
  for (QCheckBox* box : Find("PaNotfModLag")->findChildren<QCheckBox*>()) box->setChecked(false);
  Click("paNFStart");
  for (int row = 1; row <= 5; ++row) EXPECT_EQ(Cell("lbAM", row)->toolTip(), "keine Punkte") << row;
}

}  // namespace
}  // namespace fendra::testing
