// The navigator: which buttons are enabled where, what they do, their
// hints and names.
#include "app/data_controls/db_navigator.h"

#include <QMessageBox>
#include <QTimer>

#include "tests/app/data_controls/data_controls_fixture.h"

namespace fendra::testing {
namespace {

using Nav = TDBNavigator;

class DBNavigatorTest : public DataControlsTest {
 protected:
  void SetUp() override {
    DataControlsTest::SetUp();
    navigator_ = std::make_unique<TDBNavigator>(nullptr, "DbNaMM");
    navigator_->SetVisibleButtons(Nav::kAllButtons);
    navigator_->SetDataSource(&source_);
  }
  void TearDown() override {
    navigator_.reset();
    DataControlsTest::TearDown();
  }
  // The enabled buttons as a string of their initials, in button order
  // (F P N L I D E S C R; S for post).
  std::string Enabled() const {
    static const char kInitials[] = "FPNLIDESCR";
    std::string result;
    for (int i = 0; i < Nav::kButtonCount; ++i)
      if (navigator_->Button(static_cast<Nav::TNavigateBtn>(i))->isEnabled()) result += kInitials[i];
    return result;
  }
  void Click(Nav::TNavigateBtn button) { navigator_->Button(button)->click(); }
  std::unique_ptr<TDBNavigator> navigator_;
};

TEST_F(DBNavigatorTest, ButtonsAreNamedAfterTheNavigator) {
  for (const char* suffix : {"First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel", "Refresh"})
    EXPECT_NE(navigator_->findChild<QToolButton*>(QStringLiteral("DbNaMM") + QLatin1String(suffix)), nullptr)
        << suffix;
}

TEST_F(DBNavigatorTest, WithoutAnOpenDatasetEveryButtonIsDisabled) {
  EXPECT_EQ(Enabled(), "");
  Open({"Aconitum"});
  dataSet_.Close();
  EXPECT_EQ(Enabled(), "");
}

TEST_F(DBNavigatorTest, AtTheFirstRecordOnlyForwardMovesAreEnabled) {
  Open({"Aconitum", "Belladonna", "Chamomilla"});
  EXPECT_EQ(Enabled(), "NLIDER");
}

TEST_F(DBNavigatorTest, InTheMiddleEveryMoveIsEnabled) {
  Open({"Aconitum", "Belladonna", "Chamomilla"});
  Click(Nav::nbNext);
  EXPECT_EQ(Name(), "Belladonna");
  EXPECT_EQ(Enabled(), "FPNLIDER");
}

TEST_F(DBNavigatorTest, AtTheLastRecordOnlyBackwardMovesAreEnabled) {
  Open({"Aconitum", "Belladonna", "Chamomilla"});
  Click(Nav::nbLast);
  EXPECT_EQ(Name(), "Chamomilla");
  EXPECT_EQ(Enabled(), "FPIDER");
  Click(Nav::nbPrior);
  EXPECT_EQ(Name(), "Belladonna");
  Click(Nav::nbFirst);
  EXPECT_EQ(Name(), "Aconitum");
  EXPECT_EQ(Enabled(), "NLIDER");
}

TEST_F(DBNavigatorTest, AnEmptyDatasetOffersOnlyInsertAndRefresh) {
  Open({});
  EXPECT_EQ(Enabled(), "IR");
}

TEST_F(DBNavigatorTest, EditingEnablesPostAndCancel) {
  Open({"Aconitum", "Belladonna"});
  Click(Nav::nbEdit);
  EXPECT_EQ(dataSet_.State(), dvx::dsEdit);
  EXPECT_EQ(Enabled(), "NLIDSC");
  Field("Name").SetAsString("Arnica");
  Click(Nav::nbPost);
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  EXPECT_EQ(Name(), "Arnica");
  Click(Nav::nbInsert);
  EXPECT_EQ(dataSet_.State(), dvx::dsInsert);
  Click(Nav::nbCancel);
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  EXPECT_EQ(dataSet_.RecordCount(), 2);
}

TEST_F(DBNavigatorTest, AReadOnlyDatasetOnlyMoves) {
  dataSet_.SetReadOnly(true);
  Open({"Aconitum", "Belladonna"});
  EXPECT_EQ(Enabled(), "NLR");
}

TEST_F(DBNavigatorTest, DeleteAsksFirstAndNoKeepsTheRecord) {
  Open({"Aconitum", "Belladonna"});
  QString question;
  auto answer = [&](QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [&question, button] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        question = box->text();
        box->button(button)->click();
      }
    });
  };
  answer(QMessageBox::No);
  Click(Nav::nbDelete);
  EXPECT_EQ(question, "Datensatz löschen?");
  EXPECT_EQ(dataSet_.RecordCount(), 2);
  answer(QMessageBox::Yes);
  Click(Nav::nbDelete);
  EXPECT_EQ(dataSet_.RecordCount(), 1);
  EXPECT_EQ(Name(), "Belladonna");
}

TEST_F(DBNavigatorTest, ClickedIsSignalledAfterTheMove) {
  Open({"Aconitum", "Belladonna"});
  std::string seen;
  QObject::connect(navigator_.get(), &TDBNavigator::Clicked, [&](Nav::TNavigateBtn button) {
    EXPECT_EQ(button, Nav::nbLast);
    seen = Name();
  });
  Click(Nav::nbLast);
  EXPECT_EQ(seen, "Belladonna");
}

TEST_F(DBNavigatorTest, OnlyTheMovingButtonsAreShownUnlessAsked) {
  TDBNavigator plain(nullptr, "NaIndAZ");
  for (int i = 0; i < Nav::kButtonCount; ++i)
    EXPECT_EQ(!plain.Button(static_cast<Nav::TNavigateBtn>(i))->isHidden(), i <= Nav::nbLast) << i;
  plain.SetVisibleButtons(Nav::Bit(Nav::nbFirst) | Nav::Bit(Nav::nbLast));
  EXPECT_FALSE(plain.First()->isHidden());
  EXPECT_TRUE(plain.Prior()->isHidden());
  EXPECT_TRUE(plain.Next()->isHidden());
  EXPECT_FALSE(plain.Last()->isHidden());
}

TEST_F(DBNavigatorTest, HintsAreToolTipsAndStatusTips) {
  navigator_->SetHints({"erstes Mittel", "rückwärts blättern", "vorwärts blättern", "letztes Mittel"});
  EXPECT_EQ(navigator_->First()->toolTip(), "erstes Mittel");
  EXPECT_EQ(navigator_->Prior()->statusTip(), "rückwärts blättern");
  EXPECT_EQ(navigator_->Next()->toolTip(), "vorwärts blättern");
  EXPECT_EQ(navigator_->Last()->statusTip(), "letztes Mittel");
  // Buttons without a given hint keep their own.
  EXPECT_EQ(navigator_->Button(Nav::nbPost)->toolTip(), Nav::DefaultHint(Nav::nbPost));
  // A tool tip set directly is the status tip as well.
  navigator_->Next()->setToolTip("weiter");
  EXPECT_EQ(navigator_->Next()->statusTip(), "weiter");
}

}  // namespace
}  // namespace fendra::testing
