// Open, close, states and the state errors of the dataset framework.
#include "tests/engine/components/dataset_fixture.h"

namespace dvx::testing {
namespace {

using DataSetStateTest = DataSetTest;

TEST_F(DataSetStateTest, OpenShowsTheFirstRecordAtBof) {
  OpenWith(3);
  EXPECT_EQ(dataSet.State(), dsBrowse);
  EXPECT_TRUE(dataSet.Bof());
  EXPECT_FALSE(dataSet.Eof());
  EXPECT_EQ(Key(), 1);
}

TEST_F(DataSetStateTest, OpenOfAnEmptyDatasetIsBofAndEof) {
  OpenWith(0);
  EXPECT_TRUE(dataSet.Bof());
  EXPECT_TRUE(dataSet.Eof());
  EXPECT_TRUE(dataSet.IsEmpty());
  EXPECT_TRUE(dataSet.FieldByName("Key").IsNull());
}

}  // namespace
}  // namespace dvx::testing
