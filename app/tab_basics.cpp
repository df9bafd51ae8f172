#include <QVBoxLayout>

#include "app/main_tabs.h"
#include "app/tab_parts.h"

namespace fendra {

using namespace tabparts;

const std::array<TBasicsTopic, kBasicsTopicCount>& BasicsTopics() {
  // Button, caption, and the topic it shows (key of "Verzeichnis").
  static constexpr std::array<TBasicsTopic, kBasicsTopicCount> kTopics{{
      {"PaBtGrunfNaviMeth", "  Definition           ", "Methode"},
      {"PaBtGrunfNaviMen", "  Menschenbild    ", "Menschenbild"},
      {"PaBtGrunfNaviKon", "  Konstitution       ", "Konstitution"},
      {"PaBtGrunfNaviAMB", " Arzneimittelbild ", "Arzneimittelbild"},
      {"PaBtGrunfNaviMod", " Modalität           ", "Modalitäten"},
      {"PaBtGrunfNaviChro", " Chronizität        ", "chron. Leiden"},
      {"PaBtGrunfNaviArzf", " Arzneiformen   ", "Potenzierung"},
      {"PaBtGrunfNaviAnam", "Anamnese          ", "Anamnese"},
      {"PaBtGrunfNaviRep", "Repertorisation  ", "Repertorisation"},
      {"PaBtGrunfNaviDos", "Dosierung          ", "Potenzwahl"},
      {"PaBtGrunfNaviGab", "Gabenhäufigkeit", "Gabenhäufigkeit"},
      {"PaBtGrunfNaviHinw", "Reaktionen        ", "Verordnung"},
  }};
  return kTopics;
}

TBasicsTab BuildBasicsTab(QWidget* parent) {
  TBasicsTab t;
  const TSheet s = MakeSheet(parent, "TsGrundlage", "PaGrundlNaviLi", "PaGrundlLage1", "PaGrundlNaviRe");
  t.TsGrundlage = s.Sheet;
  // The left area is empty; it takes no room.
  s.Left->setVisible(false);

  QVBoxLayout* centre = FlushColumn(s.Centre);
  centre->addWidget(MakeDecorBar(s.Centre, "CbGrdl"));
  t.DbReGrundl = new TDBRichEdit(s.Centre, "DbReGrundl", TRichTextView::TAccess::EditableWhenBound);
  centre->addWidget(t.DbReGrundl, 1);

  auto* right = new QVBoxLayout(s.Right);
  right->setContentsMargins(8, 8, 8, 8);
  // Twelve topics under two headings still fit an 800 x 600 screen.
  right->setSpacing(3);
  const auto& topics = BasicsTopics();
  for (int i = 0; i < kBasicsTopicCount; ++i) {
    if (i == 0) right->addWidget(MakeHeading(s.Right, "PaGrundlLehre", QStringLiteral("Lehre")));
    if (i == kTeachingTopicCount) {
      right->addSpacing(8);
      right->addWidget(MakeHeading(s.Right, "PaGrundlPraxis", QStringLiteral("Praxis")));
    }
    QPushButton* button = MakeNaviButton(s.Right, topics[i].Button, QString::fromUtf8(topics[i].Caption));
    button->setMinimumHeight(26);
    right->addWidget(button);
    t.TopicButtons[i] = button;
  }
  right->addStretch(1);
  return t;
}

}  // namespace fendra
