#include "app/level_editor.h"

#include <QMessageBox>
#include <QTreeWidget>
#include <algorithm>
#include <set>

#include "app/data_module.h"
#include "app/indication_tree.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "engine/query/query.h"

namespace fendra {

namespace {

constexpr const char* kTree = "tblTree";
constexpr const char* kRestartAllowed = "restartAllowed";
constexpr const char* kRootName = "Indikationen mit Schlüssel";

const QString kNoName = QStringLiteral("Sie müssen eine Indikation eintippen!");
const QString kAskLevel2 = QStringLiteral("Wollen Sie zu diesem Eintrag eine Unterebene (Ebene2) hinzufügen?");
const QString kAskLevel3 = QStringLiteral("Wollen Sie zu diesem Eintrag eine Unterebene (Ebene3) hinzufügen?");
const QString kNotTheRoot = QStringLiteral("Diesen Eintrag können Sie nicht löschen!");

QString Trimmed(const std::string& utf8) {
  QString text = QString::fromStdString(utf8);
  while (text.endsWith(QLatin1Char(' '))) text.chop(1);
  return text;
}

// One column of the rows of "Baum" whose `where` field equals `value`, read
// through a short-lived query of its own, so "Baum" keeps its current
// record and state (a new entry may be open in it).
QStringList ColumnWhere(const char* column, const char* where, int32_t value) {
  dvx::TDVXQuery query;
  query.SetDatabaseName("dbBaum");
  query.SetReadOnly(true);
  query.SetSQLText(std::string("SELECT ") + column + " FROM Baum WHERE " + where + " = :value");
  query.ParamNamed("value").SetAsInteger(value);
  query.Open();
  QStringList values;
  for (query.First(); !query.Eof(); query.Next()) values << Trimmed(query.FieldByName(column).AsString());
  query.Close();
  return values;
}

void SetShown(std::initializer_list<QWidget*> widgets, bool shown) {
  for (QWidget* w : widgets) w->setVisible(shown);
}

}  // namespace

TLevelEditor::TLevelEditor(const TLevelEditorForm& form, QTreeWidget* tree, QWidget* text, QPushButton* newCommand,
                           QPushButton* deleteCommand, TDataModule& data, QObject* parent)
    : QObject(parent),
      f_(form),
      tree_(tree),
      text_(text),
      newCommand_(newCommand),
      deleteCommand_(deleteCommand),
      data_(data) {
  for (auto [command, hint] : {std::pair{newCommand_, QStringLiteral("Neue Einträge Ebene für Ebene anlegen")},
                               std::pair{deleteCommand_, QStringLiteral("Einen Eintrag ohne Untereinträge löschen")}}) {
    command->setToolTip(hint);
    command->setStatusTip(hint);
  }
  connect(newCommand_, &QPushButton::clicked, this, &TLevelEditor::PaBtBaumNeuClick);
  connect(deleteCommand_, &QPushButton::clicked, this, &TLevelEditor::PaBtBaumDelClick);
  connect(f_.BiBaumNeuEb1New, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb1NewClick);
  connect(f_.BiBaumNeuEb1Store, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb1StoreClick);
  connect(f_.BiBaumNeuEb1Canc, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb1CancClick);
  connect(f_.BiBaumNeuEb1Del, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb1DelClick);
  connect(f_.BiBaumNeuEb2New, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb2NewClick);
  connect(f_.BiBaumNeuEb2Store, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb2StoreClick);
  connect(f_.BiBaumNeuEb2Canc, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb2CancClick);
  connect(f_.BiBaumNeuEb3New, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb3NewClick);
  connect(f_.BiBaumNeuEb3Store, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb3StoreClick);
  connect(f_.BiBaumNeuEb3Canc, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb3CancClick);
  connect(f_.BiBaumNeuEb3Back, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuEb3BackClick);
  // All three "Neustart" buttons do the same.
  for (QPushButton* restart : {f_.BiBaumNeuStart1, f_.BiBaumNeuStart2, f_.BiBaumNeuStart3})
    connect(restart, &QPushButton::clicked, this, &TLevelEditor::BiBaumNeuStart1Click);
  UpdateCommands();
}

TLevelEditor::~TLevelEditor() {
  parentIdLevel1_.clear();
  parentIdLevel2_.clear();
}

dvx::TDVXTable& TLevelEditor::Baum() const { return data_.TableComponent(kTree); }

bool TLevelEditor::Shown() const { return !f_.PaBaumLageNeu->isHidden(); }

bool TLevelEditor::Ask(const QString& question, bool warning) {
  if (question_) return question_(question, warning);
  QWidget* window = f_.PaBaumLageNeu->window();
  const auto yesNo = QMessageBox::Yes | QMessageBox::No;
  const QMessageBox::StandardButton answer =
      warning ? QMessageBox::warning(window, QStringLiteral("Fendra"), question, yesNo, QMessageBox::No)
              : QMessageBox::question(window, QStringLiteral("Fendra"), question, yesNo, QMessageBox::Yes);
  return answer == QMessageBox::Yes;
}

void TLevelEditor::Warn(const QString& message) {
  if (warning_)
    warning_(message);
  else
    QMessageBox::warning(f_.PaBaumLageNeu->window(), QStringLiteral("Fendra"), message);
}

void TLevelEditor::SetLevelEditorButtons(int state) {
  auto set = [](std::initializer_list<std::pair<QPushButton*, bool>> buttons) {
    for (auto [button, on] : buttons) button->setEnabled(on);
  };
  switch (state) {
    case 0:
      set({{f_.BiBaumNeuEb1New, true}, {f_.BiBaumNeuEb1Store, false}, {f_.BiBaumNeuEb1Canc, false},
           {f_.BiBaumNeuEb1Del, true}});
      break;
    case 1:
      set({{f_.BiBaumNeuEb1New, false}, {f_.BiBaumNeuEb1Store, true}, {f_.BiBaumNeuEb1Canc, true},
           {f_.BiBaumNeuEb1Del, false}});
      break;
    case 2:
      set({{f_.BiBaumNeuEb1New, true}, {f_.BiBaumNeuEb1Store, false}, {f_.BiBaumNeuEb1Canc, true},
           {f_.BiBaumNeuEb1Del, true}});
      break;
    case 3:
      set({{f_.BiBaumNeuEb2New, false}, {f_.BiBaumNeuEb2Store, true}, {f_.BiBaumNeuEb2Canc, true}});
      break;
    case 4:
    case 5:
    case 6:
      set({{f_.BiBaumNeuEb2New, true}, {f_.BiBaumNeuEb2Store, false}, {f_.BiBaumNeuEb2Canc, false}});
      break;
    case 7:
      set({{f_.BiBaumNeuEb3New, false}, {f_.BiBaumNeuEb3Store, true}, {f_.BiBaumNeuEb3Canc, true},
           {f_.BiBaumNeuEb3Back, false}});
      break;
    case 8:
    case 9:
      set({{f_.BiBaumNeuEb3New, true}, {f_.BiBaumNeuEb3Store, false}, {f_.BiBaumNeuEb3Canc, false},
           {f_.BiBaumNeuEb3Back, true}});
      break;
    default:
      break;
  }
}

// --- Bringing the editor up ------------------------------------------------

// The editor takes the text's place; for deleting, level 1 shows its delete
// button and the deleting instructions. Whatever level the editor was left
// at, it is shown again there.
void TLevelEditor::ShowEditor(bool deleting) {
  text_->setVisible(false);
  f_.PaBaumLageNeu->setVisible(true);
  if (!f_.GbBaumEb1->isHidden()) {
    f_.BiBaumNeuEb1Del->setVisible(deleting);
    f_.MeBaum5->setVisible(deleting);
    f_.MeBaum2->setVisible(!deleting);
  }
}

void TLevelEditor::PaBtBaumNeuClick() {
  if (pendingLevel_ != 0) return;
  ShowEditor(false);
}

void TLevelEditor::PaBtBaumDelClick() {
  if (pendingLevel_ != 0) return;
  ShowEditor(true);
}

void TLevelEditor::CloseEditor() {
  if (pendingLevel_ != 0 || !Shown()) return;
  f_.PaBaumLageNeu->setVisible(false);
  text_->setVisible(true);
}

// --- Pending entries -------------------------------------------------------

void TLevelEditor::UpdateCommands() {
  const bool idle = pendingLevel_ == 0;
  newCommand_->setEnabled(newAllowed_ && idle);
  deleteCommand_->setEnabled(deleteAllowed_ && idle);
  tree_->setEnabled(idle);
  // "Neustart" ends the program: not while a new entry is open.
  for (QPushButton* restart : {f_.BiBaumNeuStart1, f_.BiBaumNeuStart2, f_.BiBaumNeuStart3})
    restart->setEnabled(restart->property(kRestartAllowed).toBool() && idle);
}

void TLevelEditor::AllowRestart(QPushButton* restart) {
  restart->setProperty(kRestartAllowed, true);
  UpdateCommands();
}

void TLevelEditor::SetPending(int level) {
  const bool changed = (pendingLevel_ != 0) != (level != 0);
  pendingLevel_ = level;
  UpdateCommands();
  if (changed) emit PendingChanged(level != 0);
}

std::optional<int32_t> TLevelEditor::RootId() const {
  const QStringList roots = ColumnWhere("Baum_ID", "Ebene", 0);
  if (roots.isEmpty()) return std::nullopt;
  return roots.front().toInt();
}

bool TLevelEditor::BeginEntry(int level) {
  dvx::TDVXTable& baum = Baum();
  // A change of the current entry begun elsewhere is not this editor's to
  // store; it is dropped rather than posted with the new entry's values.
  if (baum.State() == dvx::dsEdit) baum.Cancel();
  baum.Append();
  SetPending(level);
  return true;
}

bool TLevelEditor::CheckStillPending(int level) {
  if (pendingLevel_ == level && Baum().State() == dvx::dsInsert) return true;
  // Nothing of ours is open any more: store nothing, leave input state.
  SetPending(0);
  return false;
}

void TLevelEditor::CancelEntry() {
  if (pendingLevel_ != 0 && Baum().State() == dvx::dsInsert) {
    Baum().Cancel();
    // Cancelling an appended record leaves "Baum" at its end; it goes back
    // to the entry the tree shows selected, which the editor then names.
    if (const QTreeWidgetItem* node = tree_->currentItem()) Baum().SeekKey(static_cast<int64_t>(TreeNodeId(*node)));
  }
  SetPending(0);
}

std::optional<QString> TLevelEditor::TypedName(TDBEdit* input) {
  const QString name = input->text().trimmed();
  if (!name.isEmpty()) {
    if (name != input->text()) input->setText(name);
    return name;
  }
  // The new record stays open, ready for the name.
  Warn(kNoName);
  input->setFocus(Qt::OtherFocusReason);
  return std::nullopt;
}

QString TLevelEditor::NextSortKey(const QString& parentKey, const QStringList& siblingKeys) {
  std::set<int> taken;
  for (const QString& key : siblingKeys) {
    bool number = false;
    const int last = key.section(QLatin1Char('.'), -1).toInt(&number);
    if (number && last > 0) taken.insert(last);
  }
  int next = taken.empty() ? 1 : *taken.rbegin() + 1;
  if (next > 99) {
    next = 0;
    for (int n = 1; n <= 99 && next == 0; ++n)
      if (!taken.count(n)) next = n;
    if (next == 0) return QString();
  }
  const QString digits = QStringLiteral("%1").arg(next, 2, 10, QLatin1Char('0'));
  return parentKey.isEmpty() ? digits : parentKey + QLatin1Char('.') + digits;
}

std::optional<int32_t> TLevelEditor::StoreEntry(int level, int32_t parentId) {
  if (!CheckStillPending(level)) return std::nullopt;
  dvx::TDVXTable& baum = Baum();
  const QStringList parentKey = ColumnWhere("Ls", "Baum_ID", parentId);
  // First-level entries stand under the root, whose own key ("00") is not
  // part of theirs.
  const QString prefix = level == 1 || parentKey.isEmpty() ? QString() : parentKey.front();
  const QString key = NextSortKey(prefix, ColumnWhere("Ls", "Ebene", parentId));
  if (key.isEmpty()) {
    Warn(QStringLiteral("Unter diesem Eintrag ist kein Platz mehr für einen weiteren Eintrag."));
    return std::nullopt;
  }
  baum.FieldByName("Ebene").SetAsInteger(parentId);
  baum.FieldByName("Ls").SetAsString(key.toStdString());
  baum.Post();  // a refusal is shown by the default error handling; the record stays open
  const int32_t id = baum.FieldByName("Baum_ID").AsInteger();
  SetPending(0);
  baum.Refresh();
  return id;
}

// --- Level 1 ---------------------------------------------------------------

void TLevelEditor::BiBaumNeuEb1NewClick() {
  if (pendingLevel_ != 0) return;
  if (!RootId()) {
    Warn(QStringLiteral("Der Baum hat keinen Stamm (keinen Eintrag der Ebene 0); "
                        "neue Einträge können nicht angelegt werden."));
    return;
  }
  SetLevelEditorButtons(1);
  f_.DbEdBaumNeuEb1Eing->setEnabled(true);
  BeginEntry(1);
  f_.DbEdBaumNeuEb1Eing->setFocus(Qt::OtherFocusReason);
}

void TLevelEditor::BiBaumNeuEb1StoreClick() {
  if (!CheckStillPending(1)) {
    SetLevelEditorButtons(0);
    f_.DbEdBaumNeuEb1Eing->setEnabled(false);
    return;
  }
  if (!TypedName(f_.DbEdBaumNeuEb1Eing)) return;
  const std::optional<int32_t> root = RootId();
  if (!root) {
    Warn(QStringLiteral("Der Baum hat keinen Stamm (keinen Eintrag der Ebene 0); "
                        "der Eintrag kann nicht gespeichert werden."));
    return;
  }
  const bool subLevel = Ask(kAskLevel2);
  const std::optional<int32_t> id = StoreEntry(1, *root);
  if (!id) return;
  f_.DbEdBaumNeuEb1Eing->setEnabled(false);
  AllowRestart(f_.BiBaumNeuStart1);
  newAllowed_ = false;
  if (subLevel) {
    SetLevelEditorButtons(2);
    f_.BiBaumNeuEb1New->setEnabled(false);
    deleteAllowed_ = false;
    f_.GbBaumEb1->setVisible(false);
    f_.GbBaumEb2->setVisible(true);
    f_.GbBaumEb3->setVisible(false);
    f_.MeBaum2->setVisible(false);
    f_.MeBaum5->setVisible(false);
    f_.MeBaum3->setVisible(true);
    parentIdLevel1_ = QString::number(*id);
  } else {
    f_.BiBaumNeuEb1Store->setEnabled(false);
    f_.BiBaumNeuEb1Canc->setEnabled(false);
  }
  UpdateCommands();
}

void TLevelEditor::BiBaumNeuEb1CancClick() {
  CancelEntry();
  SetLevelEditorButtons(0);
  f_.DbEdBaumNeuEb1Eing->setEnabled(false);
}

void TLevelEditor::BiBaumNeuEb1DelClick() {
  dvx::TDVXTable& baum = Baum();
  if (pendingLevel_ != 0) {
    // The new entry goes first; the question is about a stored one.
    const int level = pendingLevel_;
    CancelEntry();
    if (level == 1) {
      SetLevelEditorButtons(0);
      f_.DbEdBaumNeuEb1Eing->setEnabled(false);
    }
  }
  if (baum.State() == dvx::dsEdit) baum.Cancel();
  if (baum.IsEmpty()) return;
  baum.Refresh();
  const QString name = Trimmed(baum.FieldByName("BezTree").AsString());
  const dvx::TField& ebene = baum.FieldByName("Ebene");
  if (name == QString::fromUtf8(kRootName) || (!ebene.IsNull() && ebene.AsInteger() == 0)) {
    Warn(kNotTheRoot);
    return;
  }
  const int32_t id = baum.FieldByName("Baum_ID").AsInteger();
  if (!ColumnWhere("Baum_ID", "Ebene", id).isEmpty()) {
    Warn(QStringLiteral("Der Eintrag „%1“ hat Untereinträge und wird nicht gelöscht. "
                        "Löschen Sie zuerst die Untereinträge, von der 3. Ebene aufwärts.")
             .arg(name));
    return;
  }
  if (!Ask(QStringLiteral("Wollen Sie den Eintrag „%1“ wirklich löschen? "
                          "Der Eintrag wird unwiderruflich gelöscht!")
               .arg(name),
           true))
    return;
  baum.Delete();
  newAllowed_ = false;
  AllowRestart(f_.BiBaumNeuStart1);
  UpdateCommands();
}

// --- Level 2 ---------------------------------------------------------------

void TLevelEditor::BiBaumNeuEb2NewClick() {
  if (pendingLevel_ != 0) return;
  f_.DbEdBaumNeuEb2Eing->setEnabled(true);
  BeginEntry(2);
  SetLevelEditorButtons(3);
  f_.DbEdBaumNeuEb2Eing->setFocus(Qt::OtherFocusReason);
}

void TLevelEditor::BiBaumNeuEb2StoreClick() {
  if (!CheckStillPending(2)) {
    SetLevelEditorButtons(6);
    f_.DbEdBaumNeuEb2Eing->setEnabled(false);
    return;
  }
  if (!TypedName(f_.DbEdBaumNeuEb2Eing)) return;
  const bool subLevel = Ask(kAskLevel3);
  const std::optional<int32_t> id = StoreEntry(2, parentIdLevel1_.toInt());
  if (!id) return;
  parentIdLevel2_ = QString::number(*id);
  f_.DbEdBaumNeuEb2Eing->setEnabled(false);
  AllowRestart(f_.BiBaumNeuStart2);
  if (subLevel) {
    f_.GbBaumEb3->setVisible(true);
    f_.GbBaumEb2->setVisible(false);
    f_.MeBaum3->setVisible(false);
    f_.MeBaum4->setVisible(true);
    SetLevelEditorButtons(9);
  } else {
    SetLevelEditorButtons(4);
    newAllowed_ = false;
  }
  UpdateCommands();
}

void TLevelEditor::BiBaumNeuEb2CancClick() {
  SetLevelEditorButtons(5);
  CancelEntry();
  f_.DbEdBaumNeuEb2Eing->setEnabled(false);
}

// --- Level 3 ---------------------------------------------------------------

void TLevelEditor::BiBaumNeuEb3NewClick() {
  if (pendingLevel_ != 0) return;
  f_.DbEdBaumNeuEb3Eing->setEnabled(true);
  f_.BiBaumNeuEb3Canc->setEnabled(true);
  f_.BiBaumNeuEb3Back->setEnabled(true);
  BeginEntry(3);
  SetLevelEditorButtons(7);
  f_.DbEdBaumNeuEb3Eing->setFocus(Qt::OtherFocusReason);
}

void TLevelEditor::BiBaumNeuEb3StoreClick() {
  if (!CheckStillPending(3)) {
    SetLevelEditorButtons(9);
    f_.DbEdBaumNeuEb3Eing->setEnabled(false);
    return;
  }
  if (!TypedName(f_.DbEdBaumNeuEb3Eing)) return;
  if (!StoreEntry(3, parentIdLevel2_.toInt())) return;
  f_.DbEdBaumNeuEb3Eing->setEnabled(false);
  AllowRestart(f_.BiBaumNeuStart3);
  SetLevelEditorButtons(8);
}

void TLevelEditor::BiBaumNeuEb3CancClick() {
  SetLevelEditorButtons(9);
  CancelEntry();
  f_.DbEdBaumNeuEb3Eing->setEnabled(false);
}

void TLevelEditor::BiBaumNeuEb3BackClick() {
  if (pendingLevel_ != 0) return;
  f_.GbBaumEb3->setVisible(false);
  f_.GbBaumEb2->setVisible(true);
  f_.MeBaum3->setVisible(true);
  f_.MeBaum4->setVisible(false);
  SetLevelEditorButtons(6);
}

void TLevelEditor::BiBaumNeuStart1Click() {
  if (pendingLevel_ != 0) return;
  emit RestartRequested();
}

}  // namespace fendra
