#include <QVBoxLayout>

#include "app/main_tabs.h"
#include "app/tab_parts.h"

namespace fendra {

using namespace tabparts;

TAtoZTab BuildAtoZTab(QWidget* parent) {
  TAtoZTab t;
  const TSheet s =
      MakeSheet(parent, "TsIndikAZ", "PaIndAZNaviLi", "PaIndikatZierleiste", "PaIndAZNaviRe");
  t.TsIndikAZ = s.Sheet;

  const TRecordList list =
      FillRecordList(s.Left, "PaIndikListelinks", "EdIndAZNaviSuch", "NaIndAZ", "GrIndAZ");
  t.EdIndAZNaviSuch = list.Search;
  t.GrIndAZ = list.Grid;

  const TLayeredText text = BuildTextColumn(s.Centre, "ControlBar1", "PaIndAZLageNeu",
                                            "DbReIndAZ", TRichTextView::TAccess::EditableWhenBound);
  t.PaIndAZLageNeu = text.Layer;
  t.DbReIndAZ = text.Text;
  // The list shows every field of its table and no title row.
  list.Grid->SetShowTitles(false);
  // The new-entry form's input; disabled until the form asks for a name.
  QVBoxLayout* form = FlushColumn(t.PaIndAZLageNeu);
  auto* input = new TDBEdit(t.PaIndAZLageNeu, "DbEdIndAZNew");
  input->setEnabled(false);
  form->addWidget(input);
  form->addStretch(1);

  const TEditCommands edit = BuildEditColumn(
      s.Right, "LaIndAZNavi", "PaBtIndAZNaviNeu", QStringLiteral("  Neuer Eintrag   "),
      "PaBtIndAZNaviDel", QStringLiteral("  Eintrag löschen "), "DbEdIndDummy");
  t.PaBtIndAZNaviNeu = edit.New;
  t.PaBtIndAZNaviDel = edit.Delete;
  return t;
}

}  // namespace fendra
