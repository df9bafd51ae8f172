#include <QVBoxLayout>

#include "app/entry_form.h"
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
  t.Form = BuildEntryForm(t.PaIndAZLageNeu, AtoZEntryFormDesign());

  const TEditCommands edit = BuildEditColumn(
      s.Right, "LaIndAZNavi", "PaBtIndAZNaviNeu", QStringLiteral("  Neuer Eintrag   "),
      "PaBtIndAZNaviDel", QStringLiteral("  Eintrag löschen "), "DbEdIndDummy");
  t.PaBtIndAZNaviNeu = edit.New;
  t.PaBtIndAZNaviDel = edit.Delete;
  // Entries are added and deleted through the form.
  for (QPushButton* command : {edit.New, edit.Delete}) {
    command->setEnabled(true);
    command->setToolTip(QString());
  }
  return t;
}

}  // namespace fendra
