#include <QVBoxLayout>

#include "app/main_tabs.h"

namespace fendra {

using namespace tabparts;

TAtoZTab BuildAtoZTab(QWidget* parent) {
  TAtoZTab t;
  const TSheet s =
      MakeSheet(parent, "TsIndikAZ", "PaIndAZNaviLi", "PaIndikatZierleiste", "PaIndAZNaviRe");
  t.TsIndikAZ = s.Sheet;

  auto* left = new QVBoxLayout(s.Left);
  left->setContentsMargins(6, 6, 6, 6);
  left->setSpacing(6);
  QFrame* top = MakePanel(s.Left, "PaIndikListelinks", TPanelRole::Plain);
  auto* topRows = new QVBoxLayout(top);
  topRows->setContentsMargins(0, 0, 0, 0);
  topRows->setSpacing(4);
  t.EdIndAZNaviSuch = new QLineEdit(top);
  t.EdIndAZNaviSuch->setObjectName("EdIndAZNaviSuch");
  t.EdIndAZNaviSuch->setPlaceholderText(QStringLiteral("Suchen …"));
  t.EdIndAZNaviSuch->setClearButtonEnabled(true);
  MarkInert(t.EdIndAZNaviSuch);
  topRows->addWidget(t.EdIndAZNaviSuch);
  topRows->addWidget(new TDbNavigator(top, "NaIndAZ"));
  left->addWidget(top);
  t.GrIndAZ = Grid(s.Left, "GrIndAZ");
  left->addWidget(t.GrIndAZ, 1);

  auto* centre = new QVBoxLayout(s.Centre);
  centre->setContentsMargins(0, 0, 0, 0);
  centre->setSpacing(0);
  centre->addWidget(MakeDecorBar(s.Centre, "ControlBar1"));
  t.PaIndAZLageNeu = MakePanel(s.Centre, "PaIndAZLageNeu", TPanelRole::Plain);
  t.PaIndAZLageNeu->setVisible(false);
  centre->addWidget(t.PaIndAZLageNeu, 1);
  t.DbReIndAZ = new TRichTextView(s.Centre, "DbReIndAZ", TRichTextView::TAccess::EditableWhenBound);
  centre->addWidget(t.DbReIndAZ, 1);

  auto* right = new QVBoxLayout(s.Right);
  right->setContentsMargins(8, 8, 8, 8);
  right->setSpacing(6);
  right->addWidget(MakeHeading(s.Right, "LaIndAZNavi", QStringLiteral("Bearbeiten")));
  t.PaBtIndAZNaviNeu = MakeNaviButton(s.Right, "PaBtIndAZNaviNeu", QStringLiteral("  Neuer Eintrag   "));
  t.PaBtIndAZNaviDel = MakeNaviButton(s.Right, "PaBtIndAZNaviDel", QStringLiteral("  Eintrag löschen "));
  MarkInert(t.PaBtIndAZNaviNeu);
  MarkInert(t.PaBtIndAZNaviDel);
  right->addWidget(t.PaBtIndAZNaviNeu);
  right->addWidget(t.PaBtIndAZNaviDel);
  right->addStretch(1);
  right->addWidget(DummyEdit(s.Right, "DbEdIndDummy"));
  return t;
}

}  // namespace fendra
