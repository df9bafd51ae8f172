#pragma once
// TLevelEditor: the behaviour of the tree's level editor. It appends new
// entries to "Baum" level by level (a first-level entry under the root, its
// second-level entries, the third-level entries of the last of those) and
// deletes single entries; the tree shows the changes after a restart.
//
// While a new entry is open (appended, not yet stored or cancelled) the
// tree, the tree tab's commands and, through PendingChanged, the window's
// other pages and page commands are disabled, so nothing else can move or
// post the half-filled record. Store writes only the record it appended;
// when that record is no longer being inserted, Store writes nothing.
//
// Every stored entry gets its parent's Baum_ID as Ebene (the root's for a
// first-level entry: the entry whose Ebene is 0, whatever its number) and a
// sort key Ls: two digits per level joined by points, the next free number
// among its siblings under the parent's key ("13", "03.05").
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "app/level_editor_form.h"

class QTreeWidget;
class QWidget;

namespace dvx {
class TDVXTable;
}

namespace fendra {

class TDataModule;

class TLevelEditor : public QObject {
  Q_OBJECT
 public:
  // `newCommand` and `deleteCommand` are PaBtBaumNeu and PaBtBaumDel,
  // `text` the tree tab's text DbReBaum, which the editor takes the place of.
  TLevelEditor(const TLevelEditorForm& form, QTreeWidget* tree, QWidget* text, QPushButton* newCommand,
               QPushButton* deleteCommand, TDataModule& data, QObject* parent = nullptr);
  ~TLevelEditor() override;

  // What the editor asks and tells, replaceable so tests run without
  // blocking dialogs: a Yes/No question (true: Yes), with a warning symbol
  // when `warning` is set, and a warning with an OK button.
  using TQuestion = std::function<bool(const QString& question, bool warning)>;
  using TWarning = std::function<void(const QString& message)>;
  void SetQuestion(TQuestion question) { question_ = std::move(question); }
  void SetWarning(TWarning warning) { warning_ = std::move(warning); }

  // The level of the new entry that is open, 0 when none is.
  int PendingLevel() const { return pendingLevel_; }
  const QString& ParentIdLevel1() const { return parentIdLevel1_; }
  const QString& ParentIdLevel2() const { return parentIdLevel2_; }
  bool Shown() const;

  // Enabled states of the editor's buttons by state 0 to 9; other values
  // change nothing.
  void SetLevelEditorButtons(int state);

  // The tree tab's commands: the editor for new entries, or for deleting.
  void PaBtBaumNeuClick();
  void PaBtBaumDelClick();
  // The tab's text again in front of the editor, which keeps its state;
  // nothing happens while a new entry is open.
  void CloseEditor();

  void BiBaumNeuEb1NewClick();
  void BiBaumNeuEb1StoreClick();
  void BiBaumNeuEb1CancClick();
  void BiBaumNeuEb1DelClick();
  void BiBaumNeuEb2NewClick();
  void BiBaumNeuEb2StoreClick();
  void BiBaumNeuEb2CancClick();
  void BiBaumNeuEb3NewClick();
  void BiBaumNeuEb3StoreClick();
  void BiBaumNeuEb3CancClick();
  void BiBaumNeuEb3BackClick();
  void BiBaumNeuStart1Click();

  // The sort key for a new entry under `parentKey` ("" for the root's
  // children) when its siblings have the keys `siblingKeys`: the number
  // after the highest sibling's last two digits, or when that passes 99
  // the lowest number from 1 not taken. Empty when all of 1 to 99 are taken.
  static QString NextSortKey(const QString& parentKey, const QStringList& siblingKeys);

 signals:
  void PendingChanged(bool pending);
  // "Neustart": the window closes, the program ends.
  void RestartRequested();

 private:
  dvx::TDVXTable& Baum() const;
  void ShowEditor(bool deleting);
  // Appends the new record of `level`; false when it could not begin.
  bool BeginEntry(int level);
  // The typed name, or nothing after the warning for an empty one.
  std::optional<QString> TypedName(TDBEdit* input);
  // Fills Ebene and Ls of the appended record and posts it; the stored
  // entry's Baum_ID. False when the record is no longer the one appended.
  std::optional<int32_t> StoreEntry(int level, int32_t parentId);
  // The appended record is gone, or was never there: the editor leaves
  // input state.
  bool CheckStillPending(int level);
  void CancelEntry();
  void SetPending(int level);
  void UpdateCommands();
  void AllowRestart(QPushButton* restart);
  std::optional<int32_t> RootId() const;
  bool Ask(const QString& question, bool warning = false);
  void Warn(const QString& message);

  TLevelEditorForm f_;
  QTreeWidget* tree_;
  QWidget* text_;
  QPushButton* newCommand_;
  QPushButton* deleteCommand_;
  TDataModule& data_;
  TQuestion question_;
  TWarning warning_;
  int pendingLevel_ = 0;
  bool newAllowed_ = true;
  bool deleteAllowed_ = true;
  // The Baum_IDs of the entries that take new second- and third-level
  // entries, as text; kept until the program ends.
  QString parentIdLevel1_;
  QString parentIdLevel2_;
};

}  // namespace fendra
