#pragma once
// Pieces the tab sheets share: the three-area sheet, flush columns, a text
// with a hidden layer behind it, record lists with their search line and
// navigator, the right-hand command column, and the inert data controls.
#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "app/data_controls/db_edit.h"
#include "app/data_controls/db_grid.h"
#include "app/data_controls/db_rich_edit.h"
#include "app/data_controls/db_text.h"
#include "app/db_navigator.h"
#include "app/rich_text_view.h"
#include "app/ui_widgets.h"

namespace fendra::tabparts {

// A sheet split into left (optional), centre and right areas.
struct TSheet {
  QWidget* Sheet;
  QFrame* Left;    // null when the sheet has no left area
  QFrame* Centre;
  QFrame* Right;
};
TSheet MakeSheet(QWidget* parent, const char* sheet, const char* left, const char* centre,
                 const char* right);

// A one-character data-bound edit of the right-hand areas that takes part in
// nothing; kept hidden.
TDBEdit* DummyEdit(QWidget* parent, const char* name);
// A hidden data-bound edit that only carries a field for the handlers.
TDBEdit* HiddenFieldEdit(QWidget* parent, QBoxLayout* into, const char* name);
// A grid of records, empty until its data source is attached.
TDBGrid* Grid(QWidget* parent, const char* name);
// Marks a data command that only works once the reference data is there.
void MarkInert(QWidget* control);
// The large title over a remedy's texts, empty until a remedy is bound.
TDBText* RemedyHeading(QWidget* parent, const char* name);

// A vertical layout without margins or spacing, so bars, texts and layers
// sit edge to edge.
QVBoxLayout* FlushColumn(QWidget* owner);

// A text view with a panel underneath it that is hidden until its form is
// shown; both join the layout with stretch 1, the layer first.
struct TLayeredText {
  QFrame* Layer;
  TDBRichEdit* Text;
};
TLayeredText AddLayeredText(QWidget* parent, QBoxLayout* into, const char* layer,
                            const char* text, TRichTextView::TAccess access);
// A centre area holding only its decor bar and, under it, a layered text.
TLayeredText BuildTextColumn(QFrame* centre, const char* bar, const char* layer,
                             const char* text, TRichTextView::TAccess access);
// Lays out `pane` as its decor bar above a flush row that takes the rest of
// the height, and returns that row for the pane's list and text.
QHBoxLayout* RowUnderDecorBar(QFrame* pane, const char* bar);

// A record list filled into `list`: a top panel holding the search line
// (none when `search` is null) above the navigator, and under it the grid.
struct TRecordList {
  QLineEdit* Search;  // null when the list has no search line
  TDbNavigator* Navigator;
  TDBGrid* Grid;
};
TRecordList FillRecordList(QFrame* list, const char* top, const char* search,
                           const char* navigator, const char* grid);
// A record list in a side panel of its own, set into a text area's row.
QFrame* MakeRecordListPanel(QWidget* parent, const char* name, const char* top,
                            const char* search, const char* navigator, const char* grid);

// The right-hand command column under its heading.
QVBoxLayout* CommandColumn(QFrame* right, const char* heading, const QString& caption);

// The "Bearbeiten" column of a sheet whose entries are created and deleted:
// the two inert commands, then the hidden dummy edit at the bottom.
struct TEditCommands {
  QPushButton* New;
  QPushButton* Delete;
};
TEditCommands BuildEditColumn(QFrame* right, const char* heading, const char* newButton,
                              const QString& newCaption, const char* deleteButton,
                              const QString& deleteCaption, const char* dummy);

}  // namespace fendra::tabparts
