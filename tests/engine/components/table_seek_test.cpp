// SeekNearest and SeekKey against a plain walk of the index, for random
// German keys on a case-sensitive and a case-insensitive index.
#include <random>
#include <set>

#include "engine/core/locale.h"
#include "tests/engine/components/table_fixture.h"

namespace dvx::test {
namespace {

class TableSeekModel : public TTableFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  // Syllables with umlauts, ß and both cases.
  std::string RandomWord(std::mt19937& rng) {
    static const std::vector<std::string> kParts = {"a",  "ä",  "Ä",  "o",  "ö",  "Ö",   "u",  "ü",  "Ü",
                                                    "ß",  "st", "Sch", "ei", "au", "Mü",  "ber", "Kn", "ar",
                                                    "Ar", "nic", "a",  "z",  "Z",  "Ödi", "Bä",  "bä", "e"};
    std::uniform_int_distribution<int> count(1, 5), pick(0, static_cast<int>(kParts.size()) - 1);
    std::string word;
    for (int n = count(rng); n > 0; --n) word += kParts[static_cast<size_t>(pick(rng))];
    return word;
  }

  struct TEntry {
    int id;
    std::string name;
  };
  // The records in the index's order, as a plain walk reads them.
  std::vector<TEntry> Walk(TDVXTable& t) {
    std::vector<TEntry> entries;
    for (t.First(); !t.Eof(); t.Next())
      entries.push_back({t.FieldByName("Wort_ID").AsInteger(), t.FieldByName("Name").AsString()});
    return entries;
  }
  static int Compare(const std::string& a, const std::string& b, bool ci) {
    return CompareAnsi(Utf8ToAnsi(a), Utf8ToAnsi(b), ci);
  }
};

TEST_P(TableSeekModel, ThousandKeysAgreeWithWalk) {
  const bool ci = std::string(GetParam()) == "Idx_CI";
  TDVXTable& t = CreateAndOpen("Wort", DefineWort, GetParam());
  std::mt19937 rng(ci ? 4711 : 815);
  std::vector<std::string> stored;
  for (int i = 0; i < 300; ++i) {
    stored.push_back(RandomWord(rng));
    AddWort(t, stored.back());
  }
  const std::vector<TEntry> walk = Walk(t);
  ASSERT_EQ(walk.size(), 300u);
  for (size_t i = 1; i < walk.size(); ++i) ASSERT_LE(Compare(walk[i - 1].name, walk[i].name, ci), 0) << i;
  int found = 0, past = 0, exact = 0;
  for (int probe = 0; probe < 1000; ++probe) {
    std::string key;
    switch (probe % 4) {
      case 0: key = stored[rng() % stored.size()]; break;                           // a stored key
      case 1: key = AnsiToUtf8(Utf8ToAnsi(stored[rng() % stored.size()]).substr(0, 1 + rng() % 3)); break;  // a prefix
      case 2: key = RandomWord(rng); break;
      default: key = "zzz" + RandomWord(rng); break;                                // past the end
    }
    size_t expected = walk.size() - 1;
    bool atOrAfter = false;
    for (size_t i = 0; i < walk.size(); ++i)
      if (Compare(key, walk[i].name, ci) <= 0) {
        expected = i;
        atOrAfter = true;
        break;
      }
    t.SeekNearest(key);
    ASSERT_EQ(t.FieldByName("Wort_ID").AsInteger(), walk[expected].id) << "nearest " << key;
    atOrAfter ? ++found : ++past;

    // SeekKey: the first record equal to the key, or no move at all.
    t.First();
    t.MoveBy(static_cast<int>(rng() % 50));
    const int before = t.FieldByName("Wort_ID").AsInteger();
    const bool equal = atOrAfter && Compare(key, walk[expected].name, ci) == 0;
    ASSERT_EQ(t.SeekKey({[&] {
                TDVXVariant v;
                v.SetAsString(Utf8ToAnsi(key));
                return v;
              }()}),
              equal)
        << "exact " << key;
    ASSERT_EQ(t.FieldByName("Wort_ID").AsInteger(), equal ? walk[expected].id : before) << key;
    if (equal) ++exact;
  }
  // Every kind of outcome was reached.
  EXPECT_GT(found, 300);
  EXPECT_GT(past, 100);
  EXPECT_GT(exact, 200);
}

INSTANTIATE_TEST_SUITE_P(BothIndexes, TableSeekModel, ::testing::Values("Idx_CS", "Idx_CI"));

}  // namespace
}  // namespace dvx::test
