#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/entry_form.h"
#include "app/main_tabs.h"
#include "app/tab_parts.h"

namespace fendra {

using namespace tabparts;

namespace {

QFrame* BuildIndicationArea(QWidget* parent, TEmergencyTab& t) {
  QFrame* pane = MakePanel(parent, "PaNotfIndLag", TPanelRole::Plain);
  QHBoxLayout* split = RowUnderDecorBar(pane, "CbNotfInd");
  split->addWidget(MakeRecordListPanel(pane, "PaNotNaviIndLi", "PaNotfNaviTop", "EdNotfIndSuche",
                                       "NaNotfInd", "GrNotfInd"));
  // The new-entry form takes the text's place while it is shown.
  const TLayeredText text = AddLayeredText(pane, split, "PaNotfLayerNeu", "DbReNotfInd",
                                           TRichTextView::TAccess::EditableWhenBound);
  t.PaNotfLayerNeu = text.Layer;
  t.DbReNotfInd = text.Text;
  t.Form = BuildEntryForm(t.PaNotfLayerNeu, EmergencyEntryFormDesign());
  return pane;
}

}  // namespace

TEmergencyTab BuildEmergencyTab(QWidget* parent) {
  TEmergencyTab t;
  const TSheet s = MakeSheet(parent, "TsNotfall", nullptr, "PaNotfLage", "PaNotfNaviRe");
  t.TsNotfall = s.Sheet;

  QVBoxLayout* centre = FlushColumn(s.Centre);
  t.PaNotfIndLag = BuildIndicationArea(s.Centre, t);
  t.Finder = BuildEmergencyFinderPanel(s.Centre);
  t.Finder.PaNotfModLag->setVisible(false);
  centre->addWidget(t.PaNotfIndLag, 1);
  centre->addWidget(t.Finder.PaNotfModLag, 1);

  QVBoxLayout* right = CommandColumn(s.Right, "LaNotfNavi", QStringLiteral("Notfälle"));
  t.PaPtKindNaviInd = MakeNaviButton(s.Right, "PaPtKindNaviInd", QStringLiteral("   Indikationen     "));
  t.PaBtNotfNaviMod = MakeNaviButton(s.Right, "PaBtNotfNaviMod", QStringLiteral("   Modalitäten     "));
  t.PaBtNotfNaviDel = MakeNaviButton(s.Right, "PaBtNotfNaviDel", QStringLiteral("  Eintrag löschen "));
  t.PaBtNotfNaviNew = MakeNaviButton(s.Right, "PaBtNotfNaviNew", QStringLiteral("  Neuer Eintrag    "));
  right->addWidget(t.PaPtKindNaviInd);
  right->addWidget(t.PaBtNotfNaviMod);
  right->addSpacing(12);
  right->addWidget(t.PaBtNotfNaviDel);
  right->addWidget(t.PaBtNotfNaviNew);
  right->addStretch(1);
  right->addWidget(DummyEdit(s.Right, "DbEdNotfDummy"));
  return t;
}

}  // namespace fendra
