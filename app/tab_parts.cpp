#include "app/tab_parts.h"

#include <QHeaderView>

namespace fendra::tabparts {

namespace {
// Design widths of the side areas, and how far they narrow on small screens.
constexpr int kLeftWidth = 280;
constexpr int kLeftMinimum = 170;
constexpr int kRightWidth = 210;
constexpr int kRightMinimum = 150;
constexpr int kListPanelWidth = 260;
constexpr int kListPanelMinimum = 170;
constexpr int kCentreWidth = 480;
}  // namespace

TSheet MakeSheet(QWidget* parent, const char* sheet, const char* left, const char* centre,
                 const char* right) {
  TSheet s{};
  s.Sheet = new QWidget(parent);
  s.Sheet->setObjectName(sheet);
  s.Sheet->setProperty("tabSheet", true);
  // The sheets' own font: Arial 13 pixels, bold (the colour, navy, comes
  // with the style sheet).
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(13);
  font.setBold(true);
  s.Sheet->setFont(font);
  auto* row = new QHBoxLayout(s.Sheet);
  row->setContentsMargins(8, 8, 8, 8);
  row->setSpacing(8);
  if (left) {
    s.Left = MakeSidePanel(s.Sheet, left, kLeftWidth, kLeftMinimum);
    row->addWidget(s.Left);
  }
  s.Centre = MakeContentPanel(s.Sheet, centre, kCentreWidth);
  // No stretch factor: one would make the layout treat the centre's wish as
  // its minimum and take all of a shortfall from it. Expanding, it alone
  // takes the room beyond the side columns' design widths.
  s.Centre->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  // Keeps the panel's frame visible around the text views it holds.
  s.Centre->setContentsMargins(1, 0, 1, 1);
  row->addWidget(s.Centre);
  s.Right = MakeSidePanel(s.Sheet, right, kRightWidth, kRightMinimum);
  row->addWidget(s.Right);
  return s;
}

TDBEdit* DummyEdit(QWidget* parent, const char* name) {
  auto* edit = new TDBEdit(parent, name);
  edit->setVisible(false);
  return edit;
}

TDBEdit* HiddenFieldEdit(QWidget* parent, QBoxLayout* into, const char* name) {
  auto* edit = new TDBEdit(parent, name);
  edit->setVisible(false);
  into->addWidget(edit);
  return edit;
}

TDBGrid* Grid(QWidget* parent, const char* name) {
  auto* grid = new TDBGrid(parent, name);
  grid->horizontalHeader()->setStretchLastSection(true);
  return grid;
}

void MarkInert(QWidget* control) {
  control->setEnabled(false);
  if (control->toolTip().isEmpty())
    control->setToolTip(QStringLiteral("Verfügbar, sobald die Nachschlagedaten eingebunden sind."));
}

TDBText* RemedyHeading(QWidget* parent, const char* name) {
  auto* heading = new TDBText(parent, name);
  heading->setProperty("remedyHeading", true);
  return heading;
}

QVBoxLayout* FlushColumn(QWidget* owner) {
  auto* column = new QVBoxLayout(owner);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  return column;
}

TLayeredText AddLayeredText(QWidget* parent, QBoxLayout* into, const char* layer,
                            const char* text, TRichTextView::TAccess access) {
  TLayeredText l{};
  l.Layer = MakePanel(parent, layer, TPanelRole::Plain);
  l.Layer->setVisible(false);
  into->addWidget(l.Layer, 1);
  l.Text = new TDBRichEdit(parent, text, access);
  into->addWidget(l.Text, 1);
  return l;
}

TLayeredText BuildTextColumn(QFrame* centre, const char* bar, const char* layer,
                             const char* text, TRichTextView::TAccess access) {
  QVBoxLayout* column = FlushColumn(centre);
  column->addWidget(MakeDecorBar(centre, bar));
  return AddLayeredText(centre, column, layer, text, access);
}

QHBoxLayout* RowUnderDecorBar(QFrame* pane, const char* bar) {
  QVBoxLayout* rows = FlushColumn(pane);
  rows->addWidget(MakeDecorBar(pane, bar));
  auto* row = new QHBoxLayout();
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  rows->addLayout(row, 1);
  return row;
}

TRecordList FillRecordList(QFrame* list, const char* top, const char* search,
                           const char* navigator, const char* grid) {
  TRecordList r{};
  auto* rows = new QVBoxLayout(list);
  rows->setContentsMargins(6, 6, 6, 6);
  rows->setSpacing(6);
  QFrame* topPanel = MakePanel(list, top, TPanelRole::Plain);
  auto* topRows = new QVBoxLayout(topPanel);
  topRows->setContentsMargins(0, 0, 0, 0);
  topRows->setSpacing(4);
  if (search) {
    r.Search = new QLineEdit(topPanel);
    r.Search->setObjectName(search);
    r.Search->setPlaceholderText(QStringLiteral("Suchen …"));
    r.Search->setClearButtonEnabled(true);
    MarkInert(r.Search);
    topRows->addWidget(r.Search);
  }
  r.Navigator = new TDbNavigator(topPanel, navigator);
  topRows->addWidget(r.Navigator);
  rows->addWidget(topPanel);
  r.Grid = Grid(list, grid);
  rows->addWidget(r.Grid, 1);
  return r;
}

QFrame* MakeRecordListPanel(QWidget* parent, const char* name, const char* top,
                            const char* search, const char* navigator, const char* grid) {
  QFrame* list = MakeSidePanel(parent, name, kListPanelWidth, kListPanelMinimum);
  FillRecordList(list, top, search, navigator, grid);
  return list;
}

QVBoxLayout* CommandColumn(QFrame* right, const char* heading, const QString& caption) {
  auto* column = new QVBoxLayout(right);
  column->setContentsMargins(8, 8, 8, 8);
  column->setSpacing(6);
  column->addWidget(MakeHeading(right, heading, caption));
  return column;
}

TEditCommands BuildEditColumn(QFrame* right, const char* heading, const char* newButton,
                              const QString& newCaption, const char* deleteButton,
                              const QString& deleteCaption, const char* dummy) {
  QVBoxLayout* column = CommandColumn(right, heading, QStringLiteral("Bearbeiten"));
  TEditCommands c{};
  c.New = MakeNaviButton(right, newButton, newCaption);
  c.Delete = MakeNaviButton(right, deleteButton, deleteCaption);
  MarkInert(c.New);
  MarkInert(c.Delete);
  column->addWidget(c.New);
  column->addWidget(c.Delete);
  column->addStretch(1);
  column->addWidget(DummyEdit(right, dummy));
  return c;
}

}  // namespace fendra::tabparts
