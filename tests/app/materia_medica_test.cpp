// The materia medica and the basics on the reference databases: the search
// line finds a remedy as the user types, the three pages show its texts,
// and each topic button shows its topic.
#include <QImage>
#include <QLineEdit>

#include "app/data_controls/db_image.h"
#include "app/data_controls/db_rich_edit.h"
#include "app/data_controls/db_text.h"
#include "app/main_tabs.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "main_window_fixture.h"
#include "source_tables.h"

namespace fendra::testing {
namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

class MateriaMedicaTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    PickTab("TsAML");
  }
  QString Text(const char* richText) { return Find<TDBRichEdit>(richText)->toPlainText(); }
  // The shortest start of a remedy's name that the nearest-key search takes
  // to that remedy.
  static std::string ShortestPrefix(const TSourceEntry& entry) {
    const std::string name = entry.Field("Hom Bezeichnung");
    for (size_t n = 1; n <= name.size(); ++n)
      if (NearestEntry(kRemedies, name.substr(0, n)).Field("Hom Bezeichnung") == name) return name.substr(0, n);
    return name;
  }
  void ExpectRemedyShown(const TSourceEntry& remedy) {
    const QString name = Q(remedy.Field("Hom Bezeichnung"));
    for (const char* control : {"DBTxMMHeadl", "DBTeMMHeadLInd"}) EXPECT_EQ(Find<TDBText>(control)->text(), name);
    EXPECT_EQ(Find<QLineEdit>("DBEdMMBez")->text(), name);
    EXPECT_EQ(Find<QLineEdit>("DBEdMMBezDt")->text(), Q(remedy.Field("Dt Bezeichnung")));
    EXPECT_EQ(Find<QLineEdit>("DBEdMMAkk")->text(), Q(remedy.Field("Abkürzung")));
    EXPECT_EQ(Find<QLineEdit>("DBEdMMTeile")->text(), Q(remedy.Field("VerwTeile")));
    EXPECT_EQ(Find<QLineEdit>("DbEdBezGrf")->text(), Q(remedy.Field("GrafBez")));
    if (!remedy.Field("Bild").empty()) {
      const QImage source(Q((DataSources() / "TABHOM" / remedy.Field("Bild")).string()));
      EXPECT_EQ(Find<TDBImage>("DBImgMMBild")->Picture().size(), source.size()) << remedy.Field("Bild");
    }
    for (auto [control, section] : {std::pair{"DbReMMHerk", "Vorkommen"}, std::pair{"DbReMMIndik", "Indikationen"},
                                    std::pair{"DbReMMGesBild", "AMB"}}) {
      const std::string words = FirstWords(MemoSection(remedy.text, section));
      EXPECT_TRUE(Text(control).contains(Q(words))) << control << ": " << words;
    }
  }
};

TEST_F(MateriaMedicaTest, TypingARemedysFirstLettersShowsItsHeadingFieldsPictureAndTexts) {
  const std::vector<TSourceEntry> remedies = InIndexOrder(kRemedies);
  ASSERT_GT(remedies.size(), 3u);
  // One from the middle with a picture, and the last.
  std::vector<TSourceEntry> chosen;
  for (size_t i = remedies.size() / 2; i < remedies.size(); ++i)
    if (!remedies[i].Field("Bild").empty()) {
      chosen.push_back(remedies[i]);
      break;
    }
  chosen.push_back(remedies.back());
  auto* edit = Find<QLineEdit>("edAMEingabe");
  EXPECT_TRUE(edit->isEnabled());
  for (const TSourceEntry& remedy : chosen) {
    edit->clear();
    const std::string prefix = ShortestPrefix(remedy);
    QTest::keyClicks(edit, Q(prefix));
    SCOPED_TRACE(prefix);
    ExpectRemedyShown(remedy);
  }
  // Deleting the text goes back to the first remedy.
  edit->clear();
  ExpectRemedyShown(remedies.front());
}

TEST_F(MateriaMedicaTest, EveryKeystrokeSearchesWithTheWholeTextAndCaseCounts) {
  auto* edit = Find<QLineEdit>("edAMEingabe");
  edit->clear();
  std::string typed;
  for (char c : std::string("Bel")) {
    typed += c;
    QTest::keyClick(edit, c);
    EXPECT_EQ(Find<TDBText>("DBTxMMHeadl")->text().toStdString(), NearestEntry(kRemedies, typed).Field("Hom Bezeichnung"))
        << typed;
  }
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(Find<TDBText>("DBTxMMHeadl")->text().toStdString(), NearestEntry(kRemedies, "Be").Field("Hom Bezeichnung"));
  edit->clear();
  QTest::keyClicks(edit, "bel");
  EXPECT_EQ(Find<TDBText>("DBTxMMHeadl")->text().toStdString(), NearestEntry(kRemedies, "bel").Field("Hom Bezeichnung"));
  EXPECT_EQ(edit->maxLength(), 25);
}

TEST_F(MateriaMedicaTest, PageButtonsShowTheirPageWithToolBarMarkerAndAdvice) {
  Click("PaMMGesBild");
  EXPECT_FALSE(Shown("PaMMNaviHerk"));
  EXPECT_TRUE(Shown("PaMMweissRand"));
  EXPECT_TRUE(Shown("DbReMMGesBild"));
  EXPECT_FALSE(Shown("DbReMMIndik"));
  EXPECT_FALSE(Shown("SbMMBildLaden"));
  EXPECT_EQ(window_->ToolbarMode(), 1);
  EXPECT_EQ(Marker(), marker::kRemedyPicture);
  EXPECT_EQ(Panel(1), "Sie können auch .rtf Textformate über Zwischenspeicher (Strg + C) einfügen (Strg + V)");

  Click("PaMMIndik");
  EXPECT_TRUE(Shown("PaMMweissRand"));
  EXPECT_FALSE(Shown("DbReMMGesBild"));
  EXPECT_TRUE(Shown("DbReMMIndik"));
  EXPECT_EQ(Marker(), marker::kRemedyIndications);
  EXPECT_EQ(Panel(1), "Bei den Indikationen bewähren sich die Leitsymptome und Modalitäten besonders.");

  Click("PaMMBezeich");
  EXPECT_TRUE(Shown("PaMMNaviHerk"));
  EXPECT_FALSE(Shown("PaMMweissRand"));
  EXPECT_TRUE(Shown("SbMMBildLaden"));
  EXPECT_EQ(window_->ToolbarMode(), 2);
  EXPECT_EQ(Panel(1), "Achten Sie auf die Bildgröße, sie beträgt maximal 200 X 200 pix.");
  // New and delete stay in place beside the pages.
  EXPECT_TRUE(Shown("PaMMGoNew"));
  EXPECT_TRUE(Find("PaMMGoNew")->isEnabled());
  EXPECT_TRUE(Find("PaMMGoDel")->isEnabled());
}

class BasicsTest : public MainWindowTest {};

TEST_F(BasicsTest, EachTopicButtonShowsItsTopicAndTheFirstTwoSetTheMarker) {
  PickTab("TsGrundlage");
  const QColor page = Marker();
  EXPECT_EQ(page, marker::kBasicsPage);
  for (int i = 0; i < kBasicsTopicCount; ++i) {
    const TBasicsTopic& topic = BasicsTopics()[i];
    auto* button = Find<QPushButton>(topic.Button);
    EXPECT_EQ(button->text(), QString::fromUtf8(topic.Caption));
    EXPECT_TRUE(button->isEnabled()) << topic.Button;
    PickTab("TsGrundlage");  // the marker back to the page's
    button->click();
    const TSourceEntry shown = NearestEntry(kBasics, topic.Key);
    EXPECT_EQ(window_->Data().TableComponent("tbGrdlg").FieldByName("Verzeichnis").AsString(), shown.Field("Verzeichnis"))
        << topic.Button;
    EXPECT_TRUE(Find<TDBRichEdit>("DbReGrundl")->toPlainText().contains(Q(FirstWords(shown.text)))) << topic.Button;
    const QColor expected = i == 0 ? marker::kBasicsMethod : i == 1 ? marker::kBasicsHumanImage : page;
    EXPECT_EQ(Marker(), expected) << topic.Button;
  }
  EXPECT_EQ(std::string(BasicsTopics()[9].Key), "Potenzwahl");   // "Dosierung"
  EXPECT_EQ(std::string(BasicsTopics()[11].Key), "Verordnung");  // "Reaktionen"
}

TEST_F(BasicsTest, EnteringTheTabByTabOrMenuShowsTheMethod) {
  dvx::TDVXTable& basics = window_->Data().TableComponent("tbGrdlg");
  const std::string method = NearestEntry(kBasics, "Methode").Field("Verzeichnis");
  basics.Last();
  PickTab("TsGrundlage");
  EXPECT_EQ(basics.FieldByName("Verzeichnis").AsString(), method);
  PickTab("TsBaum");
  basics.Last();
  Action("MuGrdlg")->trigger();
  EXPECT_EQ(PageName(), "TsGrundlage");
  EXPECT_EQ(basics.FieldByName("Verzeichnis").AsString(), method);
  EXPECT_EQ(window_->ToolbarMode(), 4);
  EXPECT_EQ(Panel(0), "Indikationen als Baumstruktur") << "the title waits for the tab";
}

}  // namespace
}  // namespace fendra::testing
