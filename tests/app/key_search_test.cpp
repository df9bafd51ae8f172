// Which record found by a finder's remedy name is that remedy's, and what a
// search line takes.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "app/key_search.h"

namespace fendra {
namespace {

TEST(RemedyRecordTest, TheNameWithoutItsFullStopMustStartTheRecordsNameIgnoringCase) {
  EXPECT_TRUE(IsRemedysRecord("Calcium phos.", "Calcium phos.", 15));
  EXPECT_TRUE(IsRemedysRecord("Calcium phos.", "Calcium phos", 15));
  EXPECT_TRUE(IsRemedysRecord("Sulfur", "SULFUR", 15));
  EXPECT_TRUE(IsRemedysRecord("Carbo veg.", "carbo vegetabilis", 25));
  EXPECT_FALSE(IsRemedysRecord("Calcium phos.", "Carbo veg.", 15)) << "the neighbour after a missing remedy";
  EXPECT_FALSE(IsRemedysRecord("Zincum", "Thuja", 15)) << "the last record when nothing sorts after";
  EXPECT_FALSE(IsRemedysRecord("Calcium carb", "Calcium", 15));
  EXPECT_FALSE(IsRemedysRecord("", "Abrotanum", 15));
  EXPECT_FALSE(IsRemedysRecord("Apis", "", 15));
}

TEST(RemedyRecordTest, ANameLongerThanTheFieldMatchesTheTextStoredUnderItsFirstCharacters) {
  EXPECT_TRUE(IsRemedysRecord("Phosphoricum acid", "Phosphoricum ac", 15));
  EXPECT_FALSE(IsRemedysRecord("Phosphoricum acid", "Phosphoricum ac", 17));
  EXPECT_FALSE(IsRemedysRecord("Phosphoricum acid", "Phosphorus", 15));
  EXPECT_EQ(KeyText("Phosphoricum acid", 15), "Phosphoricum ac");
  EXPECT_EQ(KeyText("Apis", 15), "Apis");
  EXPECT_EQ(KeyText("Apis", 0), "");
}

TEST(KeySearchLineTest, TakesNoMoreThanTheFieldAndOnlyWhatWindows1252Holds) {
  QLineEdit edit;
  MakeKeySearchLine(&edit, 5);
  edit.insert("Abrotanum");
  EXPECT_EQ(edit.text(), "Abrot");
  edit.clear();
  edit.insert(QStringLiteral("Ä€ß"));
  EXPECT_EQ(edit.text(), QStringLiteral("Ä€ß"));
  edit.insert(QStringLiteral("\u0151"));
  EXPECT_EQ(edit.text(), QStringLiteral("Ä€ß")) << "a character no stored name can hold";
  edit.clear();
  edit.insert(QStringLiteral("a\u4e2d"));
  EXPECT_EQ(edit.text(), "") << "a paste with such a character is refused whole";
}

}  // namespace
}  // namespace fendra
