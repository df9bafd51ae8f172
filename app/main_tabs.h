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
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <array>

#include "app/emergency_remedies.h"
#include "app/rich_text_view.h"
#include "app/ui_widgets.h"

namespace fendra {

struct TTreeTab {
  QWidget* TsBaum = nullptr;
  QTreeWidget* TreeView1 = nullptr;
  QFrame* PaBaumLageNeu = nullptr;
  TRichTextView* DbReBaum = nullptr;
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
};
TAtoZTab BuildAtoZTab(QWidget* parent);

struct TChildrenTab {
  QWidget* TsKinder = nullptr;
  QFrame* PaKindKM = nullptr;
  TRichTextView* reKindKM = nullptr;
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
};
TEmergencyTab BuildEmergencyTab(QWidget* parent);

struct TMateriaMedicaTab {
  QWidget* TsAML = nullptr;
  QFrame* PaMMNaviHerk = nullptr;
  QFrame* PaMMweissRand = nullptr;
  TRichTextView* DbReMMGesBild = nullptr;
  TRichTextView* DbReMMIndik = nullptr;
  QFrame* PaMMGlobNew = nullptr;
};
TMateriaMedicaTab BuildMateriaMedicaTab(QWidget* parent);

struct TBasicsTab {
  QWidget* TsGrundlage = nullptr;
  TRichTextView* DbReGrundl = nullptr;
  std::array<QPushButton*, 12> TopicButtons{};
};
TBasicsTab BuildBasicsTab(QWidget* parent);

}  // namespace fendra
