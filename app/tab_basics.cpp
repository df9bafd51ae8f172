#include <QVBoxLayout>

#include "app/main_tabs.h"
#include "app/tab_parts.h"

namespace fendra {

using namespace tabparts;

namespace {

struct TTopic {
  const char* Button;
  const char* Caption;
};

// The topic buttons under their two headings, captions exact.
constexpr TTopic kTeaching[] = {
    {"PaBtGrunfNaviMeth", "  Definition           "},
    {"PaBtGrunfNaviMen", "  Menschenbild    "},
    {"PaBtGrunfNaviKon", "  Konstitution       "},
    {"PaBtGrunfNaviAMB", " Arzneimittelbild "},
    {"PaBtGrunfNaviMod", " Modalität           "},
    {"PaBtGrunfNaviChro", " Chronizität        "},
    {"PaBtGrunfNaviArzf", " Arzneiformen   "},
};
constexpr TTopic kPractice[] = {
    {"PaBtGrunfNaviAnam", "Anamnese          "},
    {"PaBtGrunfNaviRep", "Repertorisation  "},
    {"PaBtGrunfNaviDos", "Dosierung          "},
    {"PaBtGrunfNaviGab", "Gabenhäufigkeit"},
    {"PaBtGrunfNaviHinw", "Reaktionen        "},
};

}  // namespace

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
  int index = 0;
  auto addGroup = [&](const char* heading, const char* caption, const auto& topics) {
    right->addWidget(MakeHeading(s.Right, heading, QString::fromUtf8(caption)));
    for (const TTopic& topic : topics) {
      QPushButton* button = MakeNaviButton(s.Right, topic.Button, QString::fromUtf8(topic.Caption));
      button->setMinimumHeight(26);
      MarkInert(button);
      right->addWidget(button);
      t.TopicButtons[index++] = button;
    }
  };
  addGroup("PaGrundlLehre", "Lehre", kTeaching);
  right->addSpacing(8);
  addGroup("PaGrundlPraxis", "Praxis", kPractice);
  right->addStretch(1);
  return t;
}

}  // namespace fendra
