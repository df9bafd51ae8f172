// The modality finder on the emergency tab, driven through its controls.
#include <QGroupBox>

#include "app/emergency_incidence.h"
#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

class EmergencyFinderTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    PickTab("TsNotfall");
    Click("PaBtNotfNaviMod");
  }
  void Tick(std::initializer_list<const char*> boxes) {
    for (const char* box : boxes) Find<QCheckBox>(box)->setChecked(true);
  }
  void TickAll() {
    for (const EmergencyModality& m : EmergencyModalities())
      Find<QCheckBox>(std::string(m.CheckBoxName).c_str())->setChecked(true);
  }
  std::vector<std::pair<QString, QString>> Rows() const {
    std::vector<std::pair<QString, QString>> rows;
    for (int n = 1; n <= 5; ++n)
      rows.emplace_back(Find<QLabel>(qPrintable(QStringLiteral("lbAM%1").arg(n)))->text(),
                        Find<QLabel>(qPrintable(QStringLiteral("lbPunkt%1").arg(n)))->text());
    return rows;
  }
  using Rows_t = std::vector<std::pair<QString, QString>>;
};

TEST_F(EmergencyFinderTest, SwitchingToTheFinderHidesTheEntryCommands) {
  EXPECT_FALSE(Shown("PaNotfIndLag"));
  EXPECT_TRUE(Shown("PaNotfModLag"));
  EXPECT_FALSE(Shown("PaBtNotfNaviNew"));
  EXPECT_FALSE(Shown("PaBtNotfNaviDel"));
  EXPECT_EQ(window_->ToolbarMode(), 3);
  EXPECT_EQ(Panel(1), "Suche nach Modalitäten");
}

TEST_F(EmergencyFinderTest, SwitchingBackShowsTheIndicationTextAndCommands) {
  Find("PaNotfLayerNeu")->setVisible(true);
  Find("DbReNotfInd")->setVisible(false);
  Click("PaPtKindNaviInd");
  EXPECT_TRUE(Shown("PaNotfIndLag"));
  EXPECT_TRUE(Shown("DbReNotfInd"));
  EXPECT_FALSE(Shown("PaNotfLayerNeu"));
  EXPECT_FALSE(Shown("PaNotfModLag"));
  EXPECT_TRUE(Shown("PaBtNotfNaviNew"));
  EXPECT_TRUE(Shown("PaBtNotfNaviDel"));
  EXPECT_EQ(window_->ToolbarMode(), 1);
  EXPECT_EQ(Panel(1), "");
}

TEST_F(EmergencyFinderTest, ControlsCarryTheirCaptions) {
  EXPECT_EQ(Find<QPushButton>("PaBtNotfNaviMod")->text(), "   Modalitäten     ");
  EXPECT_EQ(Find<QPushButton>("PaPtKindNaviInd")->text(), "   Indikationen     ");
  EXPECT_EQ(Find<QPushButton>("paNFStart")->text(), "   Start     ");
  EXPECT_EQ(Find<QLabel>("PaNotfModAusw")->text(), "Auswertung");
  EXPECT_EQ(Find<QLabel>("LaNotfModAuswPkte")->text(), "Punkte");
  EXPECT_EQ(Find<QGroupBox>("GbNotfMod1")->title(), "Besser durch:");
  EXPECT_EQ(Find<QGroupBox>("GbNotfMod2")->title(), "Schlimmer durch:");
  EXPECT_EQ(Find<QGroupBox>("GbNotfMod3")->title(), "Allgemeiner Zustand");
  EXPECT_EQ(Find<QCheckBox>("cb4BeLi")->text(), "Liegen ");
  EXPECT_EQ(Find<QCheckBox>("cb15SLi")->text(), "Liegen ");
  EXPECT_EQ(Find<QCheckBox>("cb25ZuGU")->text(), "große Unruhe");
  EXPECT_EQ(Find<QCheckBox>("cb22SLb")->text(), "Liegen, betroffene Seite");
  for (int n = 1; n <= 5; ++n) {
    EXPECT_EQ(Find<QLabel>(qPrintable(QStringLiteral("lbRang%1").arg(n)))->text(),
              QStringLiteral("%1.").arg(n));
  }
  EXPECT_EQ(Rows(), Rows_t(5, {"", ""}));
}

TEST_F(EmergencyFinderTest, CheckBoxesSitInTheirGroupsTopToBottomInNumberOrder) {
  const char* groups[] = {"GbNotfMod1", "GbNotfMod2", "GbNotfMod3"};
  std::map<QString, int> lastY;
  for (const EmergencyModality& m : EmergencyModalities()) {
    auto* box = Find<QCheckBox>(std::string(m.CheckBoxName).c_str());
    const QString group = QString::fromLatin1(groups[static_cast<int>(m.Group)]);
    EXPECT_EQ(box->parentWidget()->objectName(), group) << m.CheckBoxName;
    EXPECT_FALSE(box->isChecked());
    const int y = box->geometry().top();
    if (lastY.count(group)) {
      EXPECT_GT(y, lastY[group]) << m.CheckBoxName;
    }
    lastY[group] = y;
  }
}

TEST_F(EmergencyFinderTest, CheckBoxesUseTheSheetsFontArial13PixelsBoldNavy) {
  for (const EmergencyModality& m : EmergencyModalities()) {
    auto* box = Find<QCheckBox>(std::string(m.CheckBoxName).c_str());
    EXPECT_EQ(box->font().family(), "Arial") << m.CheckBoxName;
    EXPECT_EQ(box->font().pixelSize(), 13) << m.CheckBoxName;
    EXPECT_TRUE(box->font().bold()) << m.CheckBoxName;
    EXPECT_EQ(box->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0x80)) << m.CheckBoxName;
  }
}

TEST_F(EmergencyFinderTest, StartWithNothingTickedListsTheFirstFiveWithZero) {
  Click("paNFStart");
  EXPECT_EQ(Rows(), (Rows_t{{"Abrotanum", "0"}, {"Aconitum", "0"}, {"Agaricus", "0"},
                            {"Aluminia", "0"}, {"Ammonium carb.", "0"}}));
}

TEST_F(EmergencyFinderTest, OnlyBetterAtNightRanksBryoniaFirst) {
  Tick({"cb9BeNa"});
  Click("paNFStart");
  EXPECT_EQ(Rows(), (Rows_t{{"Bryonia", "1"}, {"Abrotanum", "0"}, {"Aconitum", "0"},
                            {"Agaricus", "0"}, {"Aluminia", "0"}}));
}

TEST_F(EmergencyFinderTest, AllTickedRanksApisAmmoniumAbrotanumAgaricusFerrumArsenic) {
  TickAll();
  Click("paNFStart");
  EXPECT_EQ(Rows(), (Rows_t{{"Apis", "13"}, {"Ammonium carb.", "12"}, {"Abrotanum", "10"},
                            {"Agaricus", "10"}, {"Ferrum arsenic.", "10"}}));
}

TEST_F(EmergencyFinderTest, PressingStartTwiceDoesNotDoubleThePoints) {
  TickAll();
  Click("paNFStart");
  const auto first = Rows();
  Click("paNFStart");
  EXPECT_EQ(Rows(), first);
}

TEST_F(EmergencyFinderTest, WarmthBetterAndNightWorseHandComputed) {
  // Wärme (better) and nachts (worse) share Ammonium carb., Benzoicum acid.,
  // Carbo veg., Cuprum, Hepar sulph., Ignatia, Ipecacuanha and Jalapa.
  Tick({"cb2BeWa", "cb20SNa"});
  Click("paNFStart");
  EXPECT_EQ(Rows(), (Rows_t{{"Ammonium carb.", "2"}, {"Benzoicum acid.", "2"}, {"Carbo veg.", "2"},
                            {"Cuprum", "2"}, {"Hepar sulph.", "2"}}));
}

TEST_F(EmergencyFinderTest, TicksAndResultsSurviveSwitchingAwayAndBack) {
  Tick({"cb26ZuRG", "cb28ZuOS"});
  Click("paNFStart");
  const auto shown = Rows();
  EXPECT_EQ(shown[0], std::make_pair(QString("Apis"), QString("2")));
  Click("PaPtKindNaviInd");
  PickTab("TsBaum");
  Click("SbSuchModNotf");
  EXPECT_TRUE(Find<QCheckBox>("cb26ZuRG")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("cb28ZuOS")->isChecked());
  EXPECT_EQ(Rows(), shown);
  Find<QCheckBox>("cb26ZuRG")->setChecked(false);
  Find<QCheckBox>("cb28ZuOS")->setChecked(false);
  EXPECT_EQ(Rows(), shown);  // results change only on "Start"
  Click("paNFStart");
  EXPECT_EQ(Rows()[0], std::make_pair(QString("Abrotanum"), QString("0")));
}

}  // namespace
}  // namespace fendra::testing
