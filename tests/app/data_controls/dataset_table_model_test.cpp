// The grid and its model: rows fetched in batches, the current record and
// the selected row following each other, edits posted through the dataset,
// and the model's consistency while the dataset changes under it.
#include "app/data_controls/dataset_table_model.h"

#include <QAbstractItemModelTester>
#include <QTest>
#include <QLineEdit>
#include <random>

#include "app/data_controls/db_grid.h"
#include "tests/app/data_controls/data_controls_fixture.h"

namespace fendra::testing {
namespace {

class DataSetTableModelTest : public DataControlsTest {
 protected:
  void SetUp() override {
    DataControlsTest::SetUp();
    model_ = std::make_unique<TDataSetTableModel>();
    model_->SetBatchSize(25);
    model_->SetDataSource(&source_);
  }
  void TearDown() override {
    model_.reset();
    DataControlsTest::TearDown();
  }
  // What the model shows in a column of a row.
  QString Cell(int row, int column = 1) const { return model_->index(row, column).data().toString(); }
  // Lets the model follow the dataset (it does after the dataset's events).
  static void Settle() { QApplication::processEvents(); }
  std::unique_ptr<TDataSetTableModel> model_;
};

TEST_F(DataSetTableModelTest, ColumnsAreTheVisibleFieldsCaptionedByTheirDisplayLabels) {
  OpenNumbered(3);
  dataSet_.Close();
  dataSet_.Open();
  Field("Amount").SetVisible(false);
  Field("Name").SetDisplayLabel("Bezeichnung");
  model_->SetColumns({});
  ASSERT_EQ(model_->columnCount(), 5);
  EXPECT_EQ(model_->headerData(0, Qt::Horizontal).toString(), "Key");
  EXPECT_EQ(model_->headerData(1, Qt::Horizontal).toString(), "Bezeichnung");
  EXPECT_EQ(model_->headerData(2, Qt::Horizontal).toString(), "Day");
}

TEST_F(DataSetTableModelTest, AGivenListOfFieldsMakesTheColumns) {
  OpenNumbered(3);
  model_->SetColumns({"Name"});
  ASSERT_EQ(model_->columnCount(), 1);
  model_->fetchMore({});
  EXPECT_EQ(Cell(2, 0), "Mittel 100003");
}

TEST_F(DataSetTableModelTest, RowsArriveInBatchesNotAllAtOnce) {
  OpenNumbered(60);
  EXPECT_EQ(model_->rowCount(), 0);
  ASSERT_TRUE(model_->canFetchMore({}));
  model_->fetchMore({});
  EXPECT_EQ(model_->rowCount(), 25);
  model_->fetchMore({});
  EXPECT_EQ(model_->rowCount(), 50);
  model_->fetchMore({});
  EXPECT_EQ(model_->rowCount(), 60);
  EXPECT_FALSE(model_->canFetchMore({}));
  for (int row = 0; row < 60; ++row) ASSERT_EQ(Cell(row), QString("Mittel %1").arg(100001 + row)) << row;
}

TEST_F(DataSetTableModelTest, FetchingLeavesTheDatasetWhereItWas) {
  OpenNumbered(60);
  dataSet_.MoveBy(3);
  model_->fetchMore({});
  model_->fetchMore({});
  EXPECT_EQ(Key(), 4);
  EXPECT_FALSE(dataSet_.Bof());
  dataSet_.First();
  model_->fetchMore({});
  EXPECT_TRUE(dataSet_.Bof());
  EXPECT_EQ(Key(), 1);
  dataSet_.Last();
  dataSet_.Next();
  Settle();
  EXPECT_TRUE(dataSet_.Eof());
  EXPECT_EQ(Key(), 60);
}

TEST_F(DataSetTableModelTest, NothingIsFetchedWhileARecordIsBeingChanged) {
  OpenNumbered(60);
  model_->fetchMore({});
  dataSet_.Edit();
  Field("Name").SetAsString("geändert");
  EXPECT_FALSE(model_->canFetchMore({}));
  model_->fetchMore({});
  EXPECT_EQ(model_->rowCount(), 25);
  EXPECT_EQ(dataSet_.State(), dvx::dsEdit);
  EXPECT_EQ(Name(), "geändert");
}

TEST_F(DataSetTableModelTest, TheCurrentRowFollowsTheDataset) {
  OpenNumbered(100);
  model_->fetchMore({});
  Settle();
  EXPECT_EQ(model_->CurrentRow(), 0);
  dataSet_.MoveBy(5);
  EXPECT_EQ(model_->CurrentRow(), 5);
  // A record not fetched yet is fetched up to, after the event.
  dataSet_.MoveBy(50);
  Settle();
  EXPECT_EQ(model_->CurrentRow(), 55);
  EXPECT_GE(model_->rowCount(), 56);
  EXPECT_LT(model_->rowCount(), 100);
  dataSet_.Last();
  Settle();
  EXPECT_EQ(model_->CurrentRow(), 99);
  dataSet_.First();
  Settle();
  EXPECT_EQ(model_->CurrentRow(), 0);
}

TEST_F(DataSetTableModelTest, MovingToARowMovesTheDataset) {
  OpenNumbered(100);
  model_->fetchMore({});
  model_->MoveToRow(17);
  EXPECT_EQ(Key(), 18);
  EXPECT_EQ(model_->CurrentRow(), 17);
}

TEST_F(DataSetTableModelTest, AnEditIsPostedWhenTheCurrentRowMovesOn) {
  OpenNumbered(30);
  model_->fetchMore({});
  Settle();
  ASSERT_TRUE(model_->setData(model_->index(3, 1), "Arnica"));
  EXPECT_EQ(dataSet_.State(), dvx::dsEdit);
  EXPECT_EQ(Key(), 4);
  EXPECT_EQ(Cell(3), "Arnica");
  model_->MoveToRow(8);
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  EXPECT_EQ(Key(), 9);
  dataSet_.MoveBy(-5);
  EXPECT_EQ(Name(), "Arnica");
  EXPECT_EQ(Cell(3), "Arnica");
}

TEST_F(DataSetTableModelTest, AChangeMadeElsewhereShowsInItsRow) {
  OpenNumbered(30);
  model_->fetchMore({});
  dataSet_.MoveBy(2);
  dataSet_.Edit();
  Field("Name").SetAsString("Bryonia");
  EXPECT_EQ(Cell(2), "Bryonia");
  dataSet_.Cancel();
  EXPECT_EQ(Cell(2), "Mittel 100003");
}

TEST_F(DataSetTableModelTest, ARefusedPostKeepsTheRecordAndTheRow) {
  OpenNumbered(30);
  model_->fetchMore({});
  Settle();
  ASSERT_TRUE(model_->setData(model_->index(2, 1), "Arnica"));
  dataSet_.RefuseNextPost("Schreiben verweigert");
  EXPECT_THROW(model_->MoveToRow(5), std::exception);
  EXPECT_EQ(dataSet_.State(), dvx::dsEdit);
  EXPECT_EQ(Key(), 3);
  EXPECT_EQ(model_->CurrentRow(), 2);
  EXPECT_EQ(Cell(2), "Arnica");
}

TEST_F(DataSetTableModelTest, AnInsertedRecordHasARowUntilItIsPostedOrDropped) {
  OpenNumbered(10);
  model_->fetchMore({});
  dataSet_.MoveBy(4);
  dataSet_.Insert();
  EXPECT_EQ(model_->rowCount(), 11);
  EXPECT_EQ(model_->CurrentRow(), 4);
  Field("Key").SetAsInteger(99);
  Field("Name").SetAsString("Neu");
  EXPECT_EQ(Cell(4), "Neu");
  dataSet_.Cancel();
  Settle();
  EXPECT_EQ(model_->rowCount(), 10);
  EXPECT_EQ(Cell(4), "Mittel 100005");
  dataSet_.Insert();
  Field("Key").SetAsInteger(99);
  Field("Name").SetAsString("Neu");
  dataSet_.Post();
  Settle();
  EXPECT_EQ(model_->rowCount(), 11);
  EXPECT_EQ(Cell(model_->CurrentRow()), "Neu");
}

TEST_F(DataSetTableModelTest, ADeletedRecordLosesItsRow) {
  OpenNumbered(10);
  model_->fetchMore({});
  dataSet_.MoveBy(2);
  dataSet_.Delete();
  Settle();
  EXPECT_EQ(model_->rowCount(), 9);
  EXPECT_EQ(Cell(2), "Mittel 100004");
  EXPECT_EQ(model_->CurrentRow(), 2);
}

TEST_F(DataSetTableModelTest, ClosingTheDatasetEmptiesTheModel) {
  OpenNumbered(10);
  model_->fetchMore({});
  dataSet_.Close();
  EXPECT_EQ(model_->rowCount(), 0);
  EXPECT_EQ(model_->columnCount(), 0);
  EXPECT_FALSE(model_->canFetchMore({}));
}

// The model stays consistent (QAbstractItemModelTester, fatal on the first
// fault) over a large dataset while it is navigated, changed, added to and
// deleted from at random, and it shows what the dataset holds.
TEST_F(DataSetTableModelTest, StaysConsistentOverTenThousandRowsUnderRandomChanges) {
  OpenNumbered(10000);
  model_->SetBatchSize(200);
  QAbstractItemModelTester tester(model_.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  std::mt19937 random(20261210);
  int inserts = 0, deletes = 0, edits = 0, jumps = 0;
  int nextKey = 20000;
  for (int step = 0; step < 400; ++step) {
    switch (random() % 8) {
      case 0:
        dataSet_.MoveBy(static_cast<int>(random() % 400) - 200);
        break;
      case 1:
        (random() % 2 ? dataSet_.First() : dataSet_.Last());
        ++jumps;
        break;
      case 2:
        dataSet_.Insert();
        Field("Key").SetAsInteger(++nextKey);
        Field("Name").SetAsString("Neu " + std::to_string(nextKey));
        dataSet_.Post();
        ++inserts;
        break;
      case 3:
        if (!dataSet_.IsEmpty()) {
          dataSet_.Delete();
          ++deletes;
        }
        break;
      case 4:
        if (model_->rowCount() > 0) {
          const int row = static_cast<int>(random() % model_->rowCount());
          if (model_->setData(model_->index(row, 1), QString("Edit %1").arg(step))) ++edits;
        }
        break;
      case 5:
        if (model_->rowCount() > 0) model_->MoveToRow(static_cast<int>(random() % model_->rowCount()));
        break;
      default:
        if (model_->canFetchMore({})) model_->fetchMore({});
        break;
    }
    Settle();
    // The current row shows the current record.
    if (dataSet_.State() == dvx::dsBrowse && !dataSet_.IsEmpty()) {
      ASSERT_GE(model_->CurrentRow(), 0) << step;
      ASSERT_EQ(Cell(model_->CurrentRow(), 0).toInt(), Key()) << step;
      ASSERT_EQ(Cell(model_->CurrentRow()).toStdString(), Name()) << step;
    }
  }
  dataSet_.CheckBrowseMode();
  Settle();
  // Every fetched row is the dataset's row at that position.
  const auto keys = dataSet_.Keys();
  ASSERT_LE(model_->rowCount(), static_cast<int>(keys.size()));
  for (int row = 0; row < model_->rowCount(); ++row) ASSERT_EQ(Cell(row, 0).toInt(), *keys[row]) << row;
  EXPECT_GT(inserts, 10);
  EXPECT_GT(deletes, 10);
  EXPECT_GT(edits, 10);
  EXPECT_GT(jumps, 10);
}

class DBGridTest : public DataControlsTest {
 protected:
  void SetUp() override {
    DataControlsTest::SetUp();
    OpenNumbered(200);
    grid_ = std::make_unique<TDBGrid>(nullptr, "DbGrMM");
    grid_->SetDataSource(&source_);
    grid_->SetColumns({"Name"});
    grid_->resize(300, 200);
    grid_->show();
    QApplication::processEvents();
    QApplication::processEvents();
  }
  void TearDown() override {
    grid_.reset();
    DataControlsTest::TearDown();
  }
  int SelectedRow() const { return grid_->currentIndex().row(); }
  std::unique_ptr<TDBGrid> grid_;
};

TEST_F(DBGridTest, TheViewFetchesOnlyWhatItNeeds) {
  EXPECT_GT(grid_->model()->rowCount(), 0);
  EXPECT_LT(grid_->model()->rowCount(), 200);
}

TEST_F(DBGridTest, TheSelectedRowFollowsTheDataset) {
  EXPECT_EQ(SelectedRow(), 0);
  dataSet_.MoveBy(7);
  QApplication::processEvents();
  EXPECT_EQ(SelectedRow(), 7);
  dataSet_.Last();
  QApplication::processEvents();
  EXPECT_EQ(SelectedRow(), 199);
}

TEST_F(DBGridTest, ClickingARowMovesTheDataset) {
  const QRect cell = grid_->visualRect(grid_->model()->index(3, 0));
  QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  EXPECT_EQ(Key(), 4);
  QTest::keyClick(grid_.get(), Qt::Key_Down);
  EXPECT_EQ(Key(), 5);
}

TEST_F(DBGridTest, TypingIntoACellEditsAndLeavingTheRowPostsIt) {
  QApplication::setActiveWindow(grid_.get());
  grid_->setFocus();
  QTest::keyClick(grid_.get(), Qt::Key_Down);
  ASSERT_EQ(Key(), 2);
  QTest::keyClick(grid_.get(), Qt::Key_F2);
  auto* editor = grid_->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "Arnica");
  QTest::keyClick(editor, Qt::Key_Return);
  // The view commits the editor's text after the key.
  QApplication::processEvents();
  EXPECT_EQ(dataSet_.State(), dvx::dsEdit);
  QTest::keyClick(grid_.get(), Qt::Key_Down);
  EXPECT_EQ(dataSet_.State(), dvx::dsBrowse);
  EXPECT_EQ(Key(), 3);
  dataSet_.Prior();
  EXPECT_EQ(Name(), "Arnica");
}

// The view moves its current index off a row that goes away; when that
// row is the posted record's placeholder, the move is no user's choice and
// must neither move the dataset nor change the rows under the removal.
TEST_F(DBGridTest, PostingAnInsertedRecordShowingInTheViewKeepsItCurrent) {
  dataSet_.MoveBy(5);
  QApplication::processEvents();
  for (int round = 0; round < 2; ++round) {
    dataSet_.Insert();
    QApplication::processEvents();
    ASSERT_EQ(SelectedRow(), 5);
    Field("Key").SetAsInteger(1000 + round);
    Field("Name").SetAsString(round == 0 ? "Zuletzt" : "Aaron");
    dataSet_.Post();
    QApplication::processEvents();
    EXPECT_EQ(Key(), 1000 + round);
    EXPECT_EQ(grid_->model()->data(grid_->currentIndex()).toString(), round == 0 ? "Zuletzt" : "Aaron");
    dataSet_.First();
    dataSet_.MoveBy(5);
    QApplication::processEvents();
  }
}

}  // namespace
}  // namespace fendra::testing
