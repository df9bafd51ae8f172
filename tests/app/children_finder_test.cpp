// The children's constitutional remedy finder, driven through its controls
// on a copy of the reference databases whose "KindKM" the tests arrange:
// every remedy's text is there except "Calcium phos.", which is taken out,
// and "Phosphoricum acid" is stored under the 15 characters its field holds.
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QToolTip>
#include <random>
#include <stdexcept>

#include "app/children_incidence.h"
#include "app/data_controls/db_navigator.h"
#include "app/data_controls/db_rich_edit.h"
#include "app/data_controls/db_text.h"
#include "app/engine_names.h"
#include "children_model.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "main_window_fixture.h"
#include "source_tables.h"

namespace fendra::testing {
namespace {

constexpr const char* kMissing = "Calcium phos.";
constexpr const char* kTruncated = "Phosphoricum ac";

// The built set once more, with "KindKM" arranged as the file comment says.
const fs::path& ArrangedDatabases() {
  static const fs::path copy = [] {
    const fs::path folder = CopyOfBuiltDatabases();
    TDataModule module(folder);
    module.Activate();
    dvx::TDVXTable& texts = module.TableComponent("tbKIndKM");
    auto holds = [&texts](const std::string& name) {
      texts.SeekNearest(name);
      return QString::fromStdString(texts.FieldByName("Bez").AsString()).trimmed().toStdString() == name;
    };
    if (holds(kMissing)) texts.Delete();
    if (!holds(kTruncated)) {
      texts.Append();
      texts.FieldByName("Bez").SetAsString(kTruncated);
      texts.Post();
    }
    if (holds(kMissing) || !holds(kTruncated)) throw std::runtime_error("cannot arrange the remedy texts");
    return folder;
  }();
  return copy;
}

class ChildrenFinderTest : public MainWindowTest {
 protected:
  void SetUp() override {
    window_ = StartFendra(App(), std::make_unique<TDataModule>(ArrangedDatabases()));
    ASSERT_TRUE(window_);
    window_->resize(1366, 740);
    window_->show();
    QApplication::processEvents();
    PickTab("TsKinder");
  }
  static int ListIndex(std::string_view name) {
    for (int i = 0; i < kChildCheckListCount; ++i)
      if (ChildCheckLists()[i].Name == name) return i;
    ADD_FAILURE() << name;
    return 0;
  }
  QCheckBox* Item(std::string_view list, int item) const {
    return Find<QCheckBox>(qPrintable(QString::fromUtf8(list.data(), qsizetype(list.size())) + QString::number(item)));
  }
  void Tick(std::initializer_list<std::pair<std::string_view, int>> items) {
    for (const auto& [list, item] : items) Item(list, item)->setChecked(true);
  }
  ChildTicks TickedNow() const {
    ChildTicks ticks{};
    for (int f = 0; f < kChildFeatureCount; ++f)
      ticks[f] = Item(ChildFeatures()[f].List, ChildFeatures()[f].Item)->isChecked();
    return ticks;
  }
  void Evaluate() {
    Click("PaBtKindAusw");
    QApplication::processEvents();
  }
  static constexpr const char* kNames[5] = {"LaKMBezLb17", "LaKMBezLb49", "LaKMBezLb53", "LaKMBezLb57", "LaKMBezLb33"};
  static constexpr const char* kPoints[5] = {"LaKMPktLb30", "LaKMPktLb50", "LaKMPktLb54", "LaKMPktLb58", "LaKMPktLb34"};
  static constexpr const char* kRanks[5] = {"LaKMLbNr48", "LaKMLbNr16", "LaKMLbNr52", "LaKMLbNr56", "LaKMLbNr32"};
  using Rows_t = std::vector<std::pair<QString, QString>>;
  Rows_t Rows() const {
    Rows_t rows;
    for (int n = 0; n < 5; ++n) rows.emplace_back(Find<QLabel>(kNames[n])->text(), Find<QLabel>(kPoints[n])->text());
    return rows;
  }
  // Rows shown greyed as having no points.
  std::vector<bool> Greyed() const {
    std::vector<bool> greyed;
    for (int n = 0; n < 5; ++n) {
      const bool name = Find(kNames[n])->property("noPoints").toBool();
      EXPECT_EQ(Find(kPoints[n])->property("noPoints").toBool(), name) << n;
      EXPECT_EQ(Find(kRanks[n])->property("noPoints").toBool(), name) << n;
      greyed.push_back(name);
    }
    return greyed;
  }
  dvx::TDVXTable& Texts() { return window_->Data().TableComponent("tbKIndKM"); }
  QString CurrentBez() { return QString::fromStdString(Texts().FieldByName("Bez").AsString()).trimmed(); }
  bool NoticeShown() const {
    const bool notice = Shown("PaKindKMOhneText");
    EXPECT_NE(notice, Shown("reKindKM"));
    EXPECT_NE(notice, Shown("DbTxtKindKMHeadl"));
    return notice;
  }
};

TEST_F(ChildrenFinderTest, ListsResultsAndCommandsCarryTheirCaptions) {
  for (int l = 0; l < kChildCheckListCount; ++l) {
    const ChildCheckList& list = ChildCheckLists()[l];
    EXPECT_EQ(Find<QLabel>(std::string(list.HeadingLabel).c_str())->text(), QString::fromUtf8(list.Heading.data(), qsizetype(list.Heading.size())));
    auto* box = Find(std::string(list.Name).c_str());
    EXPECT_EQ(box->findChildren<QCheckBox*>().size(), list.ItemCount) << list.Name;
    EXPECT_EQ(box->parentWidget()->objectName(), "ScrollBox1Sheet");
  }
  EXPECT_EQ(Item("clbKonst", 23)->text(), "Mangel an  Selbstvertrauen");
  EXPECT_EQ(Item("clbApp", 1)->text(), "Ißt  schlecht und trinkt viel");
  EXPECT_EQ(Item("clbMD", 9)->text(), "Verstopfung bei Milchernährung");
  EXPECT_EQ(Find<QLabel>("lbKiMi3")->text(), "Modalitäten und  Zeiten");
  EXPECT_EQ(Find<QPushButton>("PaBtKindAusw")->text(), " Auswerten");
  EXPECT_EQ(Find<QLabel>("LaKindAuswGrp2")->text(), "Arzneimittel eintippen");
  for (int n = 0; n < 5; ++n) EXPECT_EQ(Find<QLabel>(kRanks[n])->text(), QStringLiteral("%1.").arg(n + 1));
  EXPECT_EQ(Rows(), (Rows_t{{"Abrotanum", "0"}, {"Aconitum", "0"}, {"Agaricus", "0"}, {"Alumina", "0"}, {"Ammon. carb.", "0"}}));
  EXPECT_EQ(Greyed(), std::vector<bool>(5, true));
  auto* names = Find<QListWidget>("lbKMListe");
  EXPECT_TRUE(names->isHidden());
  ASSERT_EQ(names->count(), kChildRemedyCount);
  EXPECT_EQ(names->item(16)->text(), "Calcium phos.");
  auto* remedies = Find<QListWidget>("lbMittelliste");
  ASSERT_EQ(remedies->count(), 42);
  EXPECT_EQ(remedies->item(0)->text(), "Agaricus");
  EXPECT_EQ(remedies->item(41)->text(), "Zincum met.");
  for (QToolButton* b : Find("ToolBar2")->findChildren<QToolButton*>()) EXPECT_FALSE(b->isEnabled());
  EXPECT_EQ(Find("ToolBar2")->findChildren<QToolButton*>().size(), 4);
}

TEST_F(ChildrenFinderTest, NothingTickedShowsFiveGreyedRowsPositionsNothingAndAsksForFeatures) {
  Texts().SeekNearest(std::string("Sulfur"));
  Find<QLineEdit>("EdKindKMGrp2")->clearFocus();
  Evaluate();
  EXPECT_EQ(Rows(), (Rows_t{{"Abrotanum", "0"}, {"Aconitum", "0"}, {"Agaricus", "0"}, {"Alumina", "0"}, {"Ammonium carb", "0"}}));
  EXPECT_EQ(Greyed(), std::vector<bool>(5, true));
  EXPECT_EQ(CurrentBez(), "Sulfur") << "no remedy's text is the result of no evidence";
  EXPECT_FALSE(NoticeShown());
  EXPECT_EQ(Panel(1), "Bitte kreuzen Sie zuerst Merkmale an.");
  EXPECT_FALSE(Find(kNames[0])->property("bestResult").toBool());
  for (int n = 0; n < 5; ++n) EXPECT_EQ(Find<QLabel>(kNames[n])->toolTip(), "keine Punkte");
}

TEST_F(ChildrenFinderTest, OnlyPallorRanksCalciumPhosAndFerrumArsAndGreysTheRest) {
  Tick({{"clbKonst", 0}});
  Evaluate();
  EXPECT_EQ(Rows(), (Rows_t{{"Calcium phos.", "1"}, {"Ferrum ars", "1"}, {"Abrotanum", "0"}, {"Aconitum", "0"}, {"Agaricus", "0"}}));
  EXPECT_EQ(Greyed(), (std::vector<bool>{false, false, true, true, true}));
  EXPECT_TRUE(Find(kNames[0])->property("bestResult").toBool());
  EXPECT_EQ(Find<QLabel>("lbKM")->text(), "Calcium phos.");
  EXPECT_EQ(Find<QListWidget>("lbKMListe")->currentRow(), 16);
}

TEST_F(ChildrenFinderTest, AllTickedShowsSulfursTextAndMovesTheKeyboardToTheSearchLine) {
  for (QCheckBox* box : Find("ScrollBox1")->findChildren<QCheckBox*>()) box->setChecked(true);
  Evaluate();
  EXPECT_EQ(Rows(), (Rows_t{{"Sulfur", "24"}, {"Calcium carb", "20"}, {"Phosphorus", "19"}, {"Lycopodium", "18"}, {"Ignatia", "14"}}));
  EXPECT_EQ(Greyed(), std::vector<bool>(5, false));
  EXPECT_EQ(CurrentBez(), "Sulfur");
  EXPECT_EQ(Find<TDBText>("DbTxtKindKMHeadl")->text(), "Sulfur");
  const TSourceEntry sulfur = NearestEntry(kChildRemedies, "Sulfur");
  EXPECT_TRUE(Find<TDBRichEdit>("reKindKM")->toPlainText().contains(QString::fromStdString(FirstWords(sulfur.text))));
  EXPECT_FALSE(NoticeShown());
  EXPECT_EQ(QApplication::focusWidget(), Find("EdKindKMGrp2"));
  const Rows_t first = Rows();
  Evaluate();
  EXPECT_EQ(Rows(), first) << "each evaluation starts from zero";
}

TEST_F(ChildrenFinderTest, ARemedyMissingFromTheTextsShowsTheNoticeNotItsNeighbour) {
  Tick({{"clbKonst", 0}});
  Evaluate();
  ASSERT_EQ(Rows()[0].first, kMissing);
  EXPECT_NE(CurrentBez(), kMissing);
  EXPECT_TRUE(NoticeShown());
  EXPECT_EQ(Find<QLabel>("LaKindKMOhneText")->text(), "Zu diesem Mittel ist kein Text vorhanden.");
  EXPECT_EQ(Find<QLabel>("LaKindKMOhneTextMittel")->text(), kMissing);
  // Moving the list shows that record's text again.
  Find<TDBNavigator>("NaKindKM")->First()->click();
  QApplication::processEvents();
  EXPECT_FALSE(NoticeShown());
  // And the next evaluation with a remedy that has its text shows it.
  Find<QCheckBox>("clbKonst0")->setChecked(false);
  Tick({{"clbKonst", 12}});  // Eifersucht: Ignatia alone
  Evaluate();
  EXPECT_EQ(Rows()[0].first, "Ignatia");
  EXPECT_EQ(CurrentBez(), "Ignatia");
  EXPECT_FALSE(NoticeShown());
}

TEST_F(ChildrenFinderTest, ARemedyNameLongerThanTheFieldFindsTheTextStoredUnderItsFirstCharacters) {
  Tick({{"clbSchlaf", 3}});  // Schweiß in den frühen Morgenstunden
  Evaluate();
  ASSERT_EQ(Rows()[0], (std::pair<QString, QString>{"Phosphoricum acid", "1"}));
  EXPECT_EQ(CurrentBez(), kTruncated);
  EXPECT_FALSE(NoticeShown());
}

TEST_F(ChildrenFinderTest, TheSearchLineFindsTheNearestRemedyAsTheUserTypes) {
  auto* edit = Find<QLineEdit>("EdKindKMGrp2");
  EXPECT_EQ(edit->maxLength(), 15);
  for (const char* typed : {"su", "Ka", "kalium m", "ZZ", "lyc"}) {
    edit->clear();
    QTest::keyClicks(edit, typed);
    const TSourceEntry expected = NearestEntry(kChildRemedies, typed);
    EXPECT_EQ(CurrentBez().toStdString(), expected.Field("Bez")) << typed;
    EXPECT_EQ(Find<TDBText>("DbTxtKindKMHeadl")->text().toStdString(), expected.Field("Bez")) << typed;
  }
  edit->clear();
  EXPECT_EQ(CurrentBez().toStdString(), InIndexOrder(kChildRemedies).front().Field("Bez"));
  // Characters the stored names cannot hold are not taken.
  QTest::keyClicks(edit, "Ar");
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u0151"));
  QApplication::sendEvent(edit, &press);
  EXPECT_EQ(edit->text(), "Ar");
  edit->insert(QStringLiteral("\u20ac"));  // the euro sign is one of them
  EXPECT_EQ(edit->text(), "Ar\u20ac");
}

TEST_F(ChildrenFinderTest, SwitchingToTheIndicationsAndBackKeepsTicksAndResults) {
  Tick({{"clbKonst", 12}, {"clbFolg", 3}});
  Evaluate();
  const Rows_t shown = Rows();
  Click("PaPtKindNaviIndik");
  EXPECT_EQ(Panel(1), "Bewährte Indikationen");
  Click("PaPtKindNaviKonst");
  EXPECT_EQ(Panel(1), "Konstitutionsmittel");
  EXPECT_TRUE(Item("clbKonst", 12)->isChecked());
  EXPECT_TRUE(Item("clbFolg", 3)->isChecked());
  EXPECT_EQ(Rows(), shown);
}

// After each evaluation every row explains exactly its remedy's points, as
// hint and as accessible description of all three of its cells.
TEST_F(ChildrenFinderTest, EachRowExplainsExactlyTheTickedFeaturesOfItsRemedy) {
  std::mt19937 random(111);
  for (int round = 0; round < 25; ++round) {
    std::bernoulli_distribution coin(round % 5 == 0 ? 0.0 : 0.08);
    for (int f = 0; f < kChildFeatureCount; ++f)
      Item(ChildFeatures()[f].List, ChildFeatures()[f].Item)->setChecked(coin(random));
    const ChildTicks ticks = TickedNow();
    Evaluate();
    for (int n = 0; n < 5; ++n) {
      const std::string remedy = Find<QLabel>(kNames[n])->text().toStdString();
      QStringList lines;
      for (const std::string& line : ModelChildExplanation(remedy, ticks)) lines << QString::fromStdString(line);
      const QString why = lines.join('\n');
      for (const char* cell : {kRanks[n], kNames[n], kPoints[n]}) {
        ASSERT_EQ(Find<QLabel>(cell)->toolTip(), why) << "round " << round << " " << cell;
        ASSERT_EQ(Find<QLabel>(cell)->accessibleDescription(), why) << "round " << round << " " << cell;
      }
      const int points = Find<QLabel>(kPoints[n])->text().toInt();
      ASSERT_EQ(points == 0 ? 1 : points, lines.size()) << "round " << round << " row " << n;
    }
  }
}

TEST_F(ChildrenFinderTest, HoveringOrClickingARowShowsWhichFeaturesGaveItsPoints) {
  Tick({{"clbKonst", 12}, {"clbFolg", 3}, {"clbMD", 3}});
  Evaluate();
  ASSERT_EQ(Rows()[0], (std::pair<QString, QString>{"Ignatia", "3"}));
  const QString ignatia =
      "Verhaltensweisen und Konstitution: Eifersucht\n"
      "Auslösende Ursachen: Kränkungen, seelische Verletzung\n"
      "Magen-, Darmstörungen: Erbrechen bei sensiblen Kindern";
  QLabel* name = Find<QLabel>(kNames[0]);
  QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), name->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(name, &hover);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), ignatia);
  QToolTip::hideText();
  QLabel* points = Find<QLabel>(kPoints[1]);
  QTest::mouseClick(points, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), points->toolTip());
  QToolTip::hideText();
}

}  // namespace
}  // namespace fendra::testing
