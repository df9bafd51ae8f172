// Key layout and key order: the bytes a key is made of, NULLs per
// direction, collation and case, leading-column comparison, and the
// definitions an index is refused for.
#include "tests/engine/tables/btree_test_support.h"

namespace dvx::test {
namespace {

using testing::FromHex;

class BTreeKeyRefTest : public TBTreeFixture {
 protected:
  void SetUp() override {
    UseMemoryPages(4096);
    table_.AddField("A", aftInteger);
    table_.AddField("B", aftChar, 3);
    table_.AddField("C", aftSmallInt);
  }
  TDVXKey KeyOf(const TDVXBTreeKeyRef& ref, const Record& r) { return ref.MakeKey(r.data()); }
};

TEST_F(BTreeKeyRefTest, KeyIsEachColumnsNullFlagAndFieldBytesInIndexOrder) {
  TDVXIndexDef def;
  def.AddColumn("C");
  def.AddColumn("A");
  def.AddColumn("B");
  TDVXBTreeKeyRef ref(def, table_.fields);
  EXPECT_EQ(ref.KeyLength(), 3 + 5 + 5);
  Record r = table_.NewRecord();
  table_.SetInt(r, 0, 0x01020304);
  table_.SetText(r, 1, "xy");
  EXPECT_EQ(ToHex(KeyOf(ref, r)), ToHex(FromHex("01 0000  00 04030201  00 78790000")));
  // Bytes a NULL field leaves in the record never reach the key.
  int16_t stale = 0x7777;
  SetFieldData(2, table_.fields, &stale, r.data());
  SetNull(true, 2, r.data());
  EXPECT_EQ(ToHex(KeyOf(ref, r)).substr(0, 6), "010000");
}

TEST_F(BTreeKeyRefTest, ColumnThatNamesNoFieldIsRefused) {
  MakeIndex({{"A", false, false}});
  def_.AddColumn("Missing");
  TDVXBTreeIndex index(def_, &table_.fields, *pm_);
  EXPECT_THAT([&] { index.Open(); }, ThrowsDvx(20043, "Cannot find index field 'Missing'"));
  EXPECT_THAT([&] { index.Create(kSession, table_); }, ThrowsDvx(20043, "Cannot find index field 'Missing'"));
}

TEST_F(BTreeKeyRefTest, TableWithoutFieldsIsRefused) {
  TDVXIndexDef def;
  def.AddColumn("A");
  TDVXBTreeIndex index(def, nullptr, *pm_);
  EXPECT_THAT([&] { index.Create(kSession, table_); }, ThrowsDvx(20044, "Pointer is nil"));
  EXPECT_THAT([&] { index.Open(); }, ThrowsDvx(20045, "Pointer is nil"));
  EXPECT_THAT([&] { index.KeyRef(); }, ThrowsDvx(30945));
}

TEST_F(BTreeKeyRefTest, NullsComeFirstAscendingAndLastDescending) {
  Record null = table_.NewRecord(), low = table_.NewRecord(), high = table_.NewRecord();
  table_.SetInt(low, 0, -5);
  table_.SetInt(high, 0, 7);
  for (bool descending : {false, true}) {
    TDVXIndexDef def;
    def.AddColumn("A", descending);
    TDVXBTreeKeyRef ref(def, table_.fields);
    int sign = descending ? -1 : 1;
    EXPECT_EQ(ref.Compare(KeyOf(ref, null).data(), KeyOf(ref, low).data()), -sign);
    EXPECT_EQ(ref.Compare(KeyOf(ref, low).data(), KeyOf(ref, high).data()), -sign);
    EXPECT_EQ(ref.Compare(KeyOf(ref, high).data(), KeyOf(ref, null).data()), sign);
    EXPECT_EQ(ref.Compare(KeyOf(ref, null).data(), KeyOf(ref, null).data()), 0);
  }
}

TEST_F(BTreeKeyRefTest, StringsCollateAndCaseInsensitiveColumnsIgnoreCase) {
  table_.AddField("W", aftChar, 10);
  auto text = [&](const char* s) {
    Record r = table_.NewRecord();
    table_.SetText(r, 3, s);
    return r;
  };
  TDVXIndexDef exact, noCase;
  exact.AddColumn("W");
  noCase.AddColumn("W", false, true);
  TDVXBTreeKeyRef exactRef(exact, table_.fields), noCaseRef(noCase, table_.fields);
  // "\xC4pfel" is the Windows-1252 spelling of a word with a capital A umlaut.
  EXPECT_LT(exactRef.Compare(KeyOf(exactRef, text("\xC4pfel")).data(), KeyOf(exactRef, text("Birne")).data()), 0);
  EXPECT_NE(exactRef.Compare(KeyOf(exactRef, text("abc")).data(), KeyOf(exactRef, text("ABC")).data()), 0);
  EXPECT_EQ(noCaseRef.Compare(KeyOf(noCaseRef, text("abc")).data(), KeyOf(noCaseRef, text("ABC")).data()), 0);
  EXPECT_EQ(noCaseRef.Compare(KeyOf(noCaseRef, text("\xE4pfel")).data(), KeyOf(noCaseRef, text("\xC4PFEL")).data()),
            0);
  EXPECT_LT(noCaseRef.Compare(KeyOf(noCaseRef, text("abc")).data(), KeyOf(noCaseRef, text("ABD")).data()), 0);
  // Punctuation counts.
  EXPECT_NE(exactRef.Compare(KeyOf(exactRef, text("ab-c")).data(), KeyOf(exactRef, text("abc")).data()), 0);
}

TEST_F(BTreeKeyRefTest, LeadingColumnsCompareAlone) {
  TDVXIndexDef def;
  def.AddColumn("A");
  def.AddColumn("C", true);
  TDVXBTreeKeyRef ref(def, table_.fields);
  Record x = table_.NewRecord(), y = table_.NewRecord();
  table_.SetInt(x, 0, 4);
  table_.SetInt(y, 0, 4);
  int16_t one = 1, two = 2;
  SetFieldData(2, table_.fields, &one, x.data());
  SetFieldData(2, table_.fields, &two, y.data());
  EXPECT_EQ(ref.Compare(KeyOf(ref, x).data(), KeyOf(ref, y).data(), 1), 0);
  EXPECT_EQ(ref.Compare(KeyOf(ref, x).data(), KeyOf(ref, y).data(), 2), 1) << "second column descending";
  EXPECT_EQ(ref.Compare(KeyOf(ref, x).data(), KeyOf(ref, y).data(), 0), 0);
  TDVXBTreeIndex& index = MakeIndex({{"A", false, false}, {"C", true, false}});
  EXPECT_EQ(index.CompareRecordKeys(x.data(), y.data(), 1), 0);
  EXPECT_EQ(index.CompareRecordKeys(x.data(), y.data(), 2), 1);
}

TEST_F(BTreeKeyRefTest, KeyLeavingRoomForFewerThanFourEntriesIsRefused) {
  // CHAR(19) keys are 21 bytes, entries 27: 18 + 4 * 27 = 126 fits 128.
  UseMemoryPages(128);
  table_.AddField("Fits", aftChar, 19);
  table_.AddField("TooLong", aftChar, 20);
  MakeIndex({{"Fits", false, false}});
  TDVXIndexDef def;
  def.SetObjectName("LONG");
  def.AddColumn("TooLong");
  TDVXBTreeIndex index(def, &table_.fields, *pm_);
  const char* text = "Cannot %s index 'LONG': a key of 22 bytes leaves room for fewer than 4 entries on a page of 128 bytes";
  EXPECT_THAT([&] { index.Create(kSession, table_); },
              ThrowsDvx(30941, ::testing::StrEq(std::string(text).replace(7, 2, "create"))));
  EXPECT_THAT([&] { index.Open(); }, ThrowsDvx(30942, ::testing::StrEq(std::string(text).replace(7, 2, "open"))));
  EXPECT_EQ(def.RootPageNo(), -1);
  EXPECT_EQ(memory_->LivePages(), 0);
}

}  // namespace
}  // namespace dvx::test
