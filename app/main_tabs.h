#pragma once
// The six tab sheets of the page control. Each builder composes one sheet
// from its left, centre and right areas and returns the controls the window's
// handlers switch; every control also carries its name as object name.
//
// The data-aware controls are bound to their fields by name once the sheets
// are built (control_bindings.h). Commands whose handlers are not there yet
// are present but disabled.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QTreeWidget>
#include <array>

#include "app/children_remedies.h"
#include "app/emergency_remedies.h"
#include "app/entry_form.h"
#include "app/level_editor_form.h"
#include "app/rich_text_view.h"
#include "app/ui_widgets.h"

namespace fendra {

struct TTreeTab {
  QWidget* TsBaum = nullptr;
  QTreeWidget* TreeView1 = nullptr;
  QFrame* PaBaumLageNeu = nullptr;
  TRichTextView* DbReBaum = nullptr;
  TLevelEditorForm Editor;  // on PaBaumLageNeu
  QPushButton* PaBtBaumNeu = nullptr;
  QPushButton* PaBtBaumDel = nullptr;
};
TTreeTab BuildTreeTab(QWidget* parent);

struct TAtoZTab {
  QWidget* TsIndikAZ = nullptr;
  QTableView* GrIndAZ = nullptr;
  QLineEdit* EdIndAZNaviSuch = nullptr;
  QFrame* PaIndAZLageNeu = nullptr;
  TRichTextView* DbReIndAZ = nullptr;
  QPushButton* PaBtIndAZNaviNeu = nullptr;
  QPushButton* PaBtIndAZNaviDel = nullptr;
  TEntryForm Form;  // in PaIndAZLageNeu
};
TAtoZTab BuildAtoZTab(QWidget* parent);

// The constitutional remedy finder PaKindKM of the children's tab.
struct TChildrenFinderPanel {
  QFrame* PaKindKM = nullptr;
  QScrollArea* ScrollBox1 = nullptr;
  std::array<QFrame*, kChildCheckListCount> CheckLists{};  // clbKonst .. clbMD
  std::array<QCheckBox*, kChildFeatureCount> Items{};       // in feature order
  QPushButton* PaBtKindAusw = nullptr;
  std::array<QLabel*, kChildResultRows> RankLabels{};    // LaKMLbNr48, ...
  std::array<QLabel*, kChildResultRows> NameLabels{};    // LaKMBezLb17, ...
  std::array<QLabel*, kChildResultRows> PointsLabels{};  // LaKMPktLb30, ...
  QListWidget* lbKMListe = nullptr;  // hidden: the 70 remedy names
  QLabel* lbKM = nullptr;            // hidden: the best remedy's name
  QLineEdit* EdKindKMGrp2 = nullptr;
  QLabel* DbTxtKindKMHeadl = nullptr;
  TRichTextView* reKindKM = nullptr;
  // Shown instead of heading and text when the remedy has no text of its own.
  QFrame* NoTextNotice = nullptr;
  QLabel* NoTextRemedy = nullptr;
};
TChildrenFinderPanel BuildChildrenFinderPanel(QWidget* parent);

struct TChildrenTab {
  QWidget* TsKinder = nullptr;
  TChildrenFinderPanel Finder;
  QFrame* PaKindLagIndik = nullptr;
  TRichTextView* DbReKindSuN = nullptr;
  QPushButton* PaPtKindNaviKonst = nullptr;
  QPushButton* PaPtKindNaviIndik = nullptr;
};
TChildrenTab BuildChildrenTab(QWidget* parent);

// The modality finder PaNotfModLag of the emergency tab.
struct TEmergencyFinderPanel {
  QFrame* PaNotfModLag = nullptr;
  std::array<QCheckBox*, kEmergencyModalityCount> CheckBoxes{};  // cb1BeKa .. cb31ZuSD
  std::array<QLabel*, kEmergencyResultRows> lbRang{};
  std::array<QLabel*, kEmergencyResultRows> lbAM{};
  std::array<QLabel*, kEmergencyResultRows> lbPunkt{};
  QPushButton* paNFStart = nullptr;
};
TEmergencyFinderPanel BuildEmergencyFinderPanel(QWidget* parent);

struct TEmergencyTab {
  QWidget* TsNotfall = nullptr;
  QFrame* PaNotfIndLag = nullptr;
  TRichTextView* DbReNotfInd = nullptr;
  QFrame* PaNotfLayerNeu = nullptr;
  TEmergencyFinderPanel Finder;
  QPushButton* PaPtKindNaviInd = nullptr;
  QPushButton* PaBtNotfNaviMod = nullptr;
  QPushButton* PaBtNotfNaviDel = nullptr;
  QPushButton* PaBtNotfNaviNew = nullptr;
  TEntryForm Form;  // in PaNotfLayerNeu
};
TEmergencyTab BuildEmergencyTab(QWidget* parent);

struct TMateriaMedicaTab {
  QWidget* TsAML = nullptr;
  QLineEdit* edAMEingabe = nullptr;
  QPushButton* PaMMBezeich = nullptr;
  QPushButton* PaMMGesBild = nullptr;
  QPushButton* PaMMIndik = nullptr;
  QPushButton* PaMMGoNew = nullptr;
  QPushButton* PaMMGoDel = nullptr;
  QFrame* PaMMNaviHerk = nullptr;
  TRichTextView* DbReMMHerk = nullptr;
  QFrame* PaMMweissRand = nullptr;
  TRichTextView* DbReMMGesBild = nullptr;
  TRichTextView* DbReMMIndik = nullptr;
  QFrame* PaMMGlobNew = nullptr;
  TRichTextView* ReMMDruck = nullptr;  // the tab's print buffer, never shown
  TEntryForm Form;                     // in PaMMGlobNew
};
TMateriaMedicaTab BuildMateriaMedicaTab(QWidget* parent);

// A topic button of the basics tab and the topic key of "tblGrdlgn" it
// shows, in button order ("Lehre" first, then "Praxis").
struct TBasicsTopic {
  const char* Button;
  const char* Caption;  // exact, blanks included
  const char* Key;      // UTF-8
};
inline constexpr int kBasicsTopicCount = 12;
inline constexpr int kTeachingTopicCount = 7;  // the first seven stand under "Lehre"
const std::array<TBasicsTopic, kBasicsTopicCount>& BasicsTopics();

struct TBasicsTab {
  QWidget* TsGrundlage = nullptr;
  TRichTextView* DbReGrundl = nullptr;
  std::array<QPushButton*, kBasicsTopicCount> TopicButtons{};
};
TBasicsTab BuildBasicsTab(QWidget* parent);

}  // namespace fendra
