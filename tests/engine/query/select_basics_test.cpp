// SELECT end to end over tables of a database file: projection, WHERE,
// joins, grouping, set operations, sorting, TOP, INTO and live results.
#include <gmock/gmock.h>

#include "query_fixture.h"

namespace dvx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class SelectBasics : public TQueryFixture {
 protected:
  void SetUp() override {
    TQueryFixture::SetUp();
    CreateTable("Baum", {"Baum_ID INTEGER", "BezTree VARCHAR(30)", "Ebene INTEGER"});
    Insert("Baum", {{"1", "Fieber", "0"}, {"2", "Husten", "0"}, {"3", "Bauchweh", "1"}, {"4", "Angst", "1"},
                    {"5", "NULL", "NULL"}});
    CreateTable("Mittel", {"M_ID INTEGER", "Baum_ID INTEGER", "Name VARCHAR(20)"});
    Insert("Mittel", {{"10", "1", "Aconitum"}, {"11", "1", "Belladonna"}, {"12", "3", "Chamomilla"},
                      {"13", "9", "Nux"}});
  }
};

TEST_F(SelectBasics, ProjectsAndFilters) {
  EXPECT_THAT(Rows("SELECT Baum_ID, BezTree FROM Baum WHERE Ebene = 1"), ElementsAre("3\tBauchweh", "4\tAngst"));
  EXPECT_THAT(Rows("SELECT * FROM Baum WHERE Baum_ID = 2"), ElementsAre("2\tHusten\t0"));
  EXPECT_THAT(Rows("SELECT Baum_ID * 10 AS x FROM Baum WHERE Baum_ID < 3"), ElementsAre("10", "20"));
}

// The processor hands back the last result that has rows, standing on its
// first row; a statement after it without rows does not take its place.
TEST_F(SelectBasics, TheResultStandsOnItsFirstRow) {
  TDVXLocalSQLProcessor& processor = Processor(false);
  processor.SetSQL("SELECT BezTree FROM Baum WHERE Ebene = 1 ORDER BY BezTree");
  TDVXLocalCursor* cursor = processor.Execute();
  ASSERT_NE(cursor, nullptr);
  EXPECT_FALSE(cursor->Bof());
  EXPECT_FALSE(cursor->Eof());
  TDVXVariant value;
  cursor->GetFieldValue(0, value);
  EXPECT_EQ(ValueText(value), "Angst");
  processor.SetSQL("SELECT BezTree FROM Baum WHERE Ebene = 7");
  cursor = processor.Execute();
  ASSERT_NE(cursor, nullptr);
  EXPECT_TRUE(cursor->Eof()) << "an empty result stands at its end";
}

TEST_F(SelectBasics, OrdersAndTops) {
  EXPECT_THAT(Rows("SELECT BezTree FROM Baum WHERE Ebene = 1 ORDER BY BezTree"), ElementsAre("Angst", "Bauchweh"));
  EXPECT_THAT(Rows("SELECT Baum_ID FROM Baum ORDER BY 1 DESC"), ElementsAre("5", "4", "3", "2", "1"));
  EXPECT_THAT(Rows("SELECT TOP 2, 2 Baum_ID FROM Baum ORDER BY Baum_ID"), ElementsAre("2", "3"));
}

TEST_F(SelectBasics, Joins) {
  EXPECT_THAT(Rows("SELECT b.BezTree, m.Name FROM Baum b JOIN Mittel m ON b.Baum_ID = m.Baum_ID"),
              UnorderedElementsAre("Fieber\tAconitum", "Fieber\tBelladonna", "Bauchweh\tChamomilla"));
  EXPECT_THAT(Rows("SELECT b.Baum_ID, m.Name FROM Baum b LEFT JOIN Mittel m ON b.Baum_ID = m.Baum_ID AND m.M_ID > 10"),
              UnorderedElementsAre("1\tBelladonna", "2\tNULL", "3\tChamomilla", "4\tNULL", "5\tNULL"));
  EXPECT_THAT(Rows("SELECT b.Baum_ID, m.M_ID FROM Baum b FULL JOIN Mittel m ON b.Baum_ID = m.Baum_ID"),
              UnorderedElementsAre("1\t10", "1\t11", "2\tNULL", "3\t12", "4\tNULL", "5\tNULL", "NULL\t13"));
  EXPECT_THAT(Rows("SELECT b.Baum_ID, m.M_ID FROM Baum b, Mittel m WHERE b.Baum_ID = m.Baum_ID AND m.M_ID < 12"),
              UnorderedElementsAre("1\t10", "1\t11"));
}

TEST_F(SelectBasics, Groups) {
  EXPECT_THAT(Rows("SELECT Ebene, COUNT(*) FROM Baum GROUP BY Ebene"), ElementsAre("NULL\t1", "0\t2", "1\t2"));
  EXPECT_THAT(Rows("SELECT COUNT(*), SUM(Baum_ID), MAX(BezTree) FROM Baum"), ElementsAre("5\t15\tHusten"));
  EXPECT_THAT(Rows("SELECT Ebene, COUNT(*) AS n FROM Baum GROUP BY Ebene HAVING COUNT(*) > 1"),
              ElementsAre("0\t2", "1\t2"));
  EXPECT_THAT(Rows("SELECT COUNT(*), SUM(Baum_ID) FROM Baum WHERE Baum_ID > 100"), ElementsAre("0\tNULL"));
}

TEST_F(SelectBasics, SetOperations) {
  EXPECT_THAT(Rows("SELECT Ebene FROM Baum UNION SELECT Ebene FROM Baum"), ElementsAre("NULL", "0", "1"));
  EXPECT_EQ(Rows("SELECT Ebene FROM Baum UNION ALL SELECT Ebene FROM Baum").size(), 10u);
  EXPECT_THAT(Rows("SELECT Baum_ID FROM Baum INTERSECT SELECT Baum_ID FROM Mittel"), ElementsAre("1", "3"));
  EXPECT_THAT(Rows("SELECT Baum_ID FROM Baum EXCEPT SELECT Baum_ID FROM Mittel"), ElementsAre("2", "4", "5"));
}

TEST_F(SelectBasics, SubQueries) {
  EXPECT_THAT(Rows("SELECT Baum_ID FROM Baum WHERE Baum_ID IN (SELECT Baum_ID FROM Mittel)"), ElementsAre("1", "3"));
  EXPECT_THAT(Rows("SELECT Name FROM Mittel WHERE Baum_ID = (SELECT MAX(Baum_ID) FROM Mittel WHERE M_ID < 13)"),
              ElementsAre("Chamomilla"));
}

TEST_F(SelectBasics, SubqueriesNestOnlySoDeep) {
  auto nested = [](int depth) {
    std::string sql = "SELECT Baum_ID FROM Mittel";
    for (int i = 0; i < depth; ++i) sql = "SELECT Baum_ID FROM Baum WHERE Baum_ID IN (" + sql + ")";
    return sql;
  };
  EXPECT_THAT(Rows(nested(3)), ElementsAre("1", "3"));
  std::string message;
  EXPECT_EQ(ErrorOf(nested(40), &message), 31108) << message;
}

TEST_F(SelectBasics, LiveResultReadsTheTable) {
  TQueryResult live = Run("SELECT Baum_ID, BezTree FROM Baum WHERE Ebene = 0", true);
  EXPECT_FALSE(live.readOnly);
  EXPECT_THAT(live.rows, ElementsAre("1\tFieber", "2\tHusten"));
  EXPECT_TRUE(Run("SELECT Baum_ID FROM Baum ORDER BY BezTree", true).readOnly);
  EXPECT_TRUE(Run("SELECT Baum_ID, BezTree FROM Baum WHERE Ebene = 0").readOnly);
}

}  // namespace
}  // namespace dvx::test
