#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/data_controls/db_image.h"
#include "app/entry_form.h"
#include "app/main_tabs.h"
#include "app/tab_parts.h"
#include "app/toolbar_glyphs.h"

namespace fendra {

using namespace tabparts;

namespace {

TDBEdit* FieldEdit(QWidget* parent, const char* name) {
  auto* edit = new TDBEdit(parent, name);
  // Room for a name of the remedy table; where a row has less, the field
  // goes under its label (see the form's wrap policy).
  edit->setMinimumWidth(140);
  return edit;
}

QFrame* BuildOriginPage(QWidget* parent, TMateriaMedicaTab& t) {
  QFrame* page = MakePanel(parent, "PaMMNaviHerk", TPanelRole::Plain);
  auto* rows = new QVBoxLayout(page);
  rows->setContentsMargins(14, 10, 14, 10);
  rows->setSpacing(8);
  rows->addWidget(RemedyHeading(page, "DBTxMMHeadl"));

  auto* top = new QHBoxLayout();
  top->setSpacing(16);
  auto* form = new QFormLayout();
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  form->addRow(QStringLiteral("Bezeichnung"), FieldEdit(page, "DBEdMMBez"));
  form->addRow(QStringLiteral("Dt. Bezeichnung"), FieldEdit(page, "DBEdMMBezDt"));
  form->addRow(QStringLiteral("Verwendete Teile"), FieldEdit(page, "DBEdMMTeile"));
  form->addRow(QStringLiteral("Abkürzung"), FieldEdit(page, "DBEdMMAkk"));
  top->addLayout(form, 1);
  auto* pictureColumn = new QVBoxLayout();
  auto* picture = new TDBImage(page, "DBImgMMBild");
  picture->SetCenter(false);
  picture->setProperty("picture", true);
  picture->setFixedSize(200, 200);
  pictureColumn->addWidget(picture);
  pictureColumn->addWidget(FieldEdit(page, "DbEdBezGrf"));
  top->addLayout(pictureColumn);
  rows->addLayout(top);

  auto* origin = new TDBRichEdit(page, "DbReMMHerk", TRichTextView::TAccess::EditableWhenBound);
  origin->setTabChangesFocus(false);
  t.DbReMMHerk = origin;
  rows->addWidget(origin, 1);
  return page;
}

QFrame* BuildTextPage(QWidget* parent, TMateriaMedicaTab& t) {
  QFrame* page = MakePanel(parent, "PaMMweissRand", TPanelRole::Plain);
  QVBoxLayout* rows = FlushColumn(page);
  QLabel* heading = RemedyHeading(page, "DBTeMMHeadLInd");
  heading->setContentsMargins(14, 6, 14, 0);
  rows->addWidget(heading);
  t.DbReMMGesBild = new TDBRichEdit(page, "DbReMMGesBild", TRichTextView::TAccess::EditableWhenBound);
  t.DbReMMIndik = new TDBRichEdit(page, "DbReMMIndik", TRichTextView::TAccess::EditableWhenBound);
  rows->addWidget(t.DbReMMGesBild, 1);
  rows->addWidget(t.DbReMMIndik, 1);
  return page;
}

}  // namespace

TMateriaMedicaTab BuildMateriaMedicaTab(QWidget* parent) {
  TMateriaMedicaTab t;
  const TSheet s = MakeSheet(parent, "TsAML", "PaMMNavi", "PaMMNaviForm", "PaMMrechts");
  t.TsAML = s.Sheet;

  auto* left = new QVBoxLayout(s.Left);
  left->setContentsMargins(6, 6, 6, 6);
  left->setSpacing(6);
  QFrame* top = MakePanel(s.Left, "PaMMNaviTop", TPanelRole::Plain);
  auto* topRow = new QHBoxLayout(top);
  topRow->setContentsMargins(0, 0, 0, 0);
  auto* magnifier = new QLabel(top);
  magnifier->setObjectName("ImMMSuch");
  magnifier->setPixmap(ToolbarGlyph(TToolbarGlyph::Magnifier).pixmap(20, 20));
  topRow->addWidget(magnifier);
  auto* search = new QLineEdit(top);
  search->setObjectName("edAMEingabe");
  search->setToolTip(QStringLiteral("Name eintippen"));
  search->setStatusTip(QStringLiteral("Name eintippen"));
  search->setPlaceholderText(QStringLiteral("Name eintippen"));
  search->setClearButtonEnabled(true);
  t.edAMEingabe = search;
  topRow->addWidget(search, 1);
  left->addWidget(top);
  auto* navigator = new TDbNavigator(s.Left, "DbNaMM");
  navigator->setToolTip(QStringLiteral("alphabetische Navigation"));
  navigator->First()->setToolTip(QStringLiteral("erstes Mittel"));
  navigator->Prior()->setToolTip(QStringLiteral("rückwärts blättern"));
  navigator->Next()->setToolTip(QStringLiteral("vorwärts blättern"));
  navigator->Last()->setToolTip(QStringLiteral("letztes Mittel"));
  left->addWidget(navigator);
  left->addWidget(Grid(s.Left, "DbGrMM"), 1);

  QVBoxLayout* centre = FlushColumn(s.Centre);
  centre->addWidget(MakeDecorBar(s.Centre, "CbMatMed"));
  t.PaMMNaviHerk = BuildOriginPage(s.Centre, t);
  t.PaMMweissRand = BuildTextPage(s.Centre, t);
  t.PaMMweissRand->setVisible(false);
  t.PaMMGlobNew = MakePanel(s.Centre, "PaMMGlobNew", TPanelRole::Plain);
  t.PaMMGlobNew->setVisible(false);
  t.Form = BuildEntryForm(t.PaMMGlobNew, RemedyEntryFormDesign());
  // The materia medica's own print buffer, never shown.
  QFrame* printPanel = MakePanel(s.Centre, "PaMMDruck", TPanelRole::Plain);
  printPanel->setVisible(false);
  auto* printBuffer = new TRichTextView(printPanel, "ReMMDruck", TRichTextView::TAccess::Editable);
  printBuffer->setPlainText(QStringLiteral("reDruck"));
  t.ReMMDruck = printBuffer;
  centre->addWidget(t.PaMMNaviHerk, 1);
  centre->addWidget(t.PaMMweissRand, 1);
  centre->addWidget(t.PaMMGlobNew, 1);
  centre->addWidget(printPanel);

  QVBoxLayout* right = CommandColumn(s.Right, "LaMMNavi", QStringLiteral("Arzneimittel"));
  const std::pair<const char*, QString> buttons[] = {
      {"PaMMBezeich", QStringLiteral("    Herkunft          ")},
      {"PaMMGesBild", QStringLiteral("   Gesamtbild      ")},
      {"PaMMIndik", QStringLiteral("   Indikationen    ")},
      {"PaMMGoNew", QStringLiteral("  Neuer Eintrag    ")},
      {"PaMMGoDel", QStringLiteral("  Eintrag löschen ")},
  };
  QPushButton** targets[] = {&t.PaMMBezeich, &t.PaMMGesBild, &t.PaMMIndik, &t.PaMMGoNew, &t.PaMMGoDel};
  int index = 0;
  for (const auto& [name, caption] : buttons) {
    if (index == 3) right->addSpacing(12);
    QPushButton* button = MakeNaviButton(s.Right, name, caption);
    right->addWidget(button);
    *targets[index++] = button;
  }
  right->addStretch(1);
  right->addWidget(DummyEdit(s.Right, "DbEdMMDummy"));
  auto* unbound = new QLineEdit(s.Right);
  unbound->setObjectName("EdMMDummy");
  unbound->setEnabled(false);
  unbound->setVisible(false);
  right->addWidget(unbound);
  return t;
}

}  // namespace fendra
