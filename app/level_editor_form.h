#pragma once
// The form of the tree's level editor PaBaumLageNeu: three group boxes, one
// per level below the root, of which one is shown at a time; each has an
// input on BezTree, its buttons and hidden edits on Baum_ID and Ebene. Next
// to them the instruction memos, under them the current entry's text and a
// fixed picture. The editor's behaviour is TLevelEditor's.
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/data_controls/db_edit.h"
#include "app/data_controls/db_rich_edit.h"

namespace fendra {

struct TLevelEditorForm {
  QFrame* PaBaumLageNeu = nullptr;

  QGroupBox* GbBaumEb1 = nullptr;
  TDBEdit* DbEdBaumNeuEb1Eing = nullptr;
  QPushButton* BiBaumNeuEb1New = nullptr;
  QPushButton* BiBaumNeuEb1Store = nullptr;
  QPushButton* BiBaumNeuEb1Canc = nullptr;
  QPushButton* BiBaumNeuEb1Del = nullptr;
  QPushButton* BiBaumNeuStart1 = nullptr;

  QGroupBox* GbBaumEb2 = nullptr;
  TDBEdit* DbEdBaumNeuEb2Eing = nullptr;
  QPushButton* BiBaumNeuEb2New = nullptr;
  QPushButton* BiBaumNeuEb2Store = nullptr;
  QPushButton* BiBaumNeuEb2Canc = nullptr;
  QPushButton* BiBaumNeuStart2 = nullptr;

  QGroupBox* GbBaumEb3 = nullptr;
  TDBEdit* DbEdBaumNeuEb3Eing = nullptr;
  QPushButton* BiBaumNeuEb3New = nullptr;
  QPushButton* BiBaumNeuEb3Store = nullptr;
  QPushButton* BiBaumNeuEb3Canc = nullptr;
  QPushButton* BiBaumNeuEb3Back = nullptr;
  QPushButton* BiBaumNeuStart3 = nullptr;

  // Hidden, on Baum_ID: dbedID1, dbedMaxID, DBEdit4, dbedID2, dbedID3,
  // dbEdit3; on Ebene: dbedEb1, dbedE2Z, dbedE3Z.
  TDBEdit* dbedID1 = nullptr;
  TDBEdit* dbedID2 = nullptr;
  TDBEdit* dbedID3 = nullptr;
  TDBEdit* dbedEb1 = nullptr;
  TDBEdit* dbedE2Z = nullptr;
  TDBEdit* dbedE3Z = nullptr;

  // MeBaum1 general advice, MeBaum2 level 1, MeBaum3 level 2, MeBaum4
  // level 3, MeBaum5 deleting.
  QPlainTextEdit* MeBaum1 = nullptr;
  QPlainTextEdit* MeBaum2 = nullptr;
  QPlainTextEdit* MeBaum3 = nullptr;
  QPlainTextEdit* MeBaum4 = nullptr;
  QPlainTextEdit* MeBaum5 = nullptr;
  TDBRichEdit* DbReBaumNeu = nullptr;
  QLabel* Image1 = nullptr;
};

// Fills `layer` with the form: level 1 and MeBaum2 shown, levels 2 and 3,
// the delete button and MeBaum3 to MeBaum5 hidden; inputs and the store,
// cancel and restart buttons disabled.
TLevelEditorForm BuildLevelEditorForm(QFrame* layer);

}  // namespace fendra
