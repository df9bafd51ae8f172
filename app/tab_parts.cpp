#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "app/main_tabs.h"

namespace fendra::tabparts {

namespace {
constexpr int kLeftWidth = 280;
constexpr int kRightWidth = 210;
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
    s.Left = MakePanel(s.Sheet, left, TPanelRole::Side);
    s.Left->setFixedWidth(kLeftWidth);
    row->addWidget(s.Left);
  }
  s.Centre = MakePanel(s.Sheet, centre, TPanelRole::Content);
  // Keeps the panel's frame visible around the text views it holds.
  s.Centre->setContentsMargins(1, 0, 1, 1);
  row->addWidget(s.Centre, 1);
  s.Right = MakePanel(s.Sheet, right, TPanelRole::Side);
  s.Right->setFixedWidth(kRightWidth);
  row->addWidget(s.Right);
  return s;
}

QLineEdit* DummyEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(1);
  edit->setVisible(false);
  return edit;
}

QTableView* Grid(QWidget* parent, const char* name) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(name);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->verticalHeader()->setVisible(false);
  return grid;
}

void MarkInert(QWidget* control) {
  control->setEnabled(false);
  if (control->toolTip().isEmpty())
    control->setToolTip(QStringLiteral("Verfügbar, sobald die Nachschlagedaten eingebunden sind."));
}

}  // namespace fendra::tabparts
