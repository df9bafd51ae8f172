// The main window's three indication lists: A to Z ("IndList"), the
// children's proven indications ("KindInd", no search line: its order is the
// table's own) and the emergency indications ("Emerg"). Each search line
// positions its table on every change of its text; the grid, navigator and
// text follow through the data source.
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>

#include "app/data_controls/db_grid.h"
#include "app/data_controls/db_navigator.h"
#include "app/engine_names.h"
#include "app/key_search.h"
#include "app/main_window.h"
#include "engine/components/field.h"
#include "engine/components/table.h"

namespace fendra {

namespace {

constexpr const char* kAtoZ = "TblIndList";
constexpr const char* kAtoZKey = "Indikationen";
constexpr const char* kEmergencies = "TblNotfall";
constexpr const char* kEmergencyKey = "Indikation";

// Keeps a search line's text unselected when the keyboard enters it, so
// the next letter goes on from what was typed instead of replacing it.
class TNoSelectOnEntry : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::FocusIn) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) return false;
    // A line edit selects all of its text only when entered by Tab.
    QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(watched, &plain);
    return true;
  }
};

void SetHint(QWidget* control, const QString& hint) {
  control->setToolTip(hint);
  control->setStatusTip(hint);
}

// A search line on a name field, live and hinted.
void MakeSearchLine(QLineEdit* edit, const dvx::TDVXTable& table, const char* key) {
  MakeKeySearchLine(edit, table.FieldByName(EngineName(key)).Size());
  edit->setEnabled(true);
  edit->setPlaceholderText(QStringLiteral("Indikation eintippen"));
  SetHint(edit, QStringLiteral("Indikation eintippen"));
}

void HintListNavigator(TDBNavigator* navigator) {
  SetHint(navigator, QStringLiteral("alphabetische Navigation"));
  navigator->SetHints({QStringLiteral("erste Indikation"), QStringLiteral("rückwärts blättern"),
                       QStringLiteral("vorwärts blättern"), QStringLiteral("letzte Indikation")});
}

}  // namespace

void TfrmMain::ConnectIndicationLists() {
  auto* atozSearch = atoz_.EdIndAZNaviSuch;
  MakeSearchLine(atozSearch, data_->TableComponent(kAtoZ), kAtoZKey);
  atozSearch->installEventFilter(new TNoSelectOnEntry(atozSearch));
  connect(atozSearch, &QLineEdit::textChanged, this, &TfrmMain::EdIndAZNaviSuchChange);

  auto* emergencySearch = findChild<QLineEdit*>(QStringLiteral("EdNotfIndSuche"));
  MakeSearchLine(emergencySearch, data_->TableComponent(kEmergencies), kEmergencyKey);
  connect(emergencySearch, &QLineEdit::textChanged, this, &TfrmMain::EdNotfIndSucheChange);

  for (const char* name : {"NaIndAZ", "NaNotfInd"}) HintListNavigator(findChild<TDBNavigator*>(QString::fromLatin1(name)));
  auto* children = findChild<TDBNavigator*>(QStringLiteral("NaKindSuN"));
  SetHint(children, QStringLiteral("Navigation"));
  children->SetHints({QStringLiteral("erste Indikation"), QStringLiteral("rückwärts blättern"),
                      QStringLiteral("vorwärts blättern"), QStringLiteral("letzte Indikation")});
  SetHint(findChild<TDBGrid*>(QStringLiteral("GrKindSuN")), QStringLiteral("Bewährte Indikationen für Kinder"));

  // The A-Z grid lists every field of "IndList"; the name takes the room,
  // the text and the one-character field keep narrow columns.
  QHeaderView* columns = findChild<TDBGrid*>(QStringLiteral("GrIndAZ"))->horizontalHeader();
  columns->setStretchLastSection(false);
  columns->setMinimumSectionSize(12);
  for (int column = 0; column < columns->count(); ++column) {
    columns->setSectionResizeMode(column, column == 0 ? QHeaderView::Stretch : QHeaderView::Fixed);
    if (column > 0) columns->resizeSection(column, column == 1 ? 72 : 12);
  }
}

void TfrmMain::EdIndAZNaviSuchChange() {
  SeekNearestText(data_->TableComponent(kAtoZ), kAtoZKey, atoz_.EdIndAZNaviSuch->text());
}

void TfrmMain::EdNotfIndSucheChange() {
  auto* search = findChild<QLineEdit*>(QStringLiteral("EdNotfIndSuche"));
  SeekNearestText(data_->TableComponent(kEmergencies), kEmergencyKey, search->text());
}

}  // namespace fendra
