// The data-aware edit and label: what they show, when typing starts the
// edit, where the typed text goes, and Escape.
#include "app/data_controls/db_edit.h"

#include <QKeyEvent>
#include <QTest>

#include "app/data_controls/db_text.h"
#include "tests/app/data_controls/data_controls_fixture.h"

namespace fendra::testing {
namespace {

class DBEditTest : public DataControlsTest {
 protected:
  void SetUp() override {
    DataControlsTest::SetUp();
    Open({"Aconitum", "Belladonna", "Chamomilla"});
    edit_ = std::make_unique<TDBEdit>(nullptr, "DBEdMMBez");
    edit_->SetDataSource(&source_);
    edit_->SetDataField("Name");
    edit_->show();
    edit_->setFocus();
    QApplication::processEvents();
  }
  void TearDown() override {
    edit_.reset();
    DataControlsTest::TearDown();
  }
  std::unique_ptr<TDBEdit> edit_;
};

TEST_F(DBEditTest, ShowsTheCurrentRecordsFieldAndFollowsTheDataset) {
  EXPECT_EQ(edit_->text(), "Aconitum");
  dataSet_.Next();
  EXPECT_EQ(edit_->text(), "Belladonna");
  dataSet_.Last();
  EXPECT_EQ(edit_->text(), "Chamomilla");
}

TEST_F(DBEditTest, TheFirstKeystrokeStartsEditState) {
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  edit_->end(false);
  QTest::keyClick(edit_.get(), Qt::Key_X);
  EXPECT_EQ(dataSet_.State(), dvx::dsEdit);
  EXPECT_EQ(edit_->text(), "Aconitumx");
}

TEST_F(DBEditTest, EscapeRevertsTheTypedText) {
  edit_->end(false);
  QTest::keyClicks(edit_.get(), "abc");
  ASSERT_EQ(edit_->text(), "Aconitumabc");
  QTest::keyClick(edit_.get(), Qt::Key_Escape);
  EXPECT_EQ(edit_->text(), "Aconitum");
  dataSet_.Post();
  EXPECT_EQ(Name(), "Aconitum");
}

TEST_F(DBEditTest, PostStoresTheTypedText) {
  edit_->selectAll();
  QTest::keyClicks(edit_.get(), "Arnica");
  dataSet_.Post();
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  dataSet_.Next();
  dataSet_.Prior();
  EXPECT_EQ(Name(), "Arnica");
  EXPECT_EQ(edit_->text(), "Arnica");
}

TEST_F(DBEditTest, MovingToAnotherRecordStoresTheTypedTextFirst) {
  edit_->selectAll();
  QTest::keyClicks(edit_.get(), "Arnica");
  dataSet_.Next();
  EXPECT_EQ(edit_->text(), "Belladonna");
  dataSet_.First();
  EXPECT_EQ(Name(), "Arnica");
}

TEST_F(DBEditTest, WithoutAutoEditKeystrokesAreDropped) {
  source_.SetAutoEdit(false);
  QTest::keyClicks(edit_.get(), "zz");
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  EXPECT_EQ(edit_->text(), "Aconitum");
}

TEST_F(DBEditTest, AReadOnlyFieldOrLinkMakesTheEditReadOnly) {
  EXPECT_FALSE(edit_->isReadOnly());
  edit_->SetDataReadOnly(true);
  EXPECT_TRUE(edit_->isReadOnly());
  QTest::keyClicks(edit_.get(), "zz");
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  edit_->SetDataReadOnly(false);
  Field("Name").SetReadOnly(true);
  dataSet_.Next();
  EXPECT_TRUE(edit_->isReadOnly());
}

TEST_F(DBEditTest, AReadOnlyDatasetMakesTheEditReadOnly) {
  dataSet_.Close();
  dataSet_.SetReadOnly(true);
  dataSet_.Open();
  EXPECT_TRUE(edit_->isReadOnly());
  EXPECT_EQ(edit_->text(), "Aconitum");
}

TEST_F(DBEditTest, TheFieldsSizeLimitsTheText) {
  EXPECT_EQ(edit_->maxLength(), dvx::testing::TMemoryDataSet::kNameSize);
}

TEST_F(DBEditTest, AClosedDatasetLeavesTheEditEmptyAndReadOnly) {
  dataSet_.Close();
  EXPECT_EQ(edit_->text(), "");
  EXPECT_TRUE(edit_->isReadOnly());
}

TEST_F(DBEditTest, TextTheFieldCannotHoldKeepsTheEditAndTheRecordEditing) {
  edit_->selectAll();
  // A character outside the field's 8-bit character set.
  QKeyEvent omega(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("Ω"));
  QApplication::sendEvent(edit_.get(), &omega);
  QTest::keyClicks(edit_.get(), "mega");
  EXPECT_THROW(dataSet_.Post(), std::exception);
  EXPECT_EQ(dataSet_.State(), dvx::dsEdit);
  EXPECT_EQ(edit_->text(), QString::fromUtf8("Ωmega"));
}

class DBTextTest : public DataControlsTest {};

TEST_F(DBTextTest, ShowsTheDisplayTextAsPlainText) {
  Open({"<b>Fett</b>", "Belladonna"});
  TDBText label(nullptr, "DBTxMMHeadl");
  label.SetDataSource(&source_);
  label.SetDataField("Name");
  EXPECT_EQ(label.text(), "<b>Fett</b>");
  EXPECT_EQ(label.textFormat(), Qt::PlainText);
  dataSet_.Next();
  EXPECT_EQ(label.text(), "Belladonna");
  dataSet_.Close();
  EXPECT_EQ(label.text(), "");
}

}  // namespace
}  // namespace fendra::testing
