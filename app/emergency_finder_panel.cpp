#include <algorithm>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/emergency_incidence.h"
#include "app/finder_layout.h"
#include "app/main_tabs.h"
#include "app/result_cell.h"
#include "app/tab_parts.h"

namespace fendra {

namespace {

QGroupBox* Group(QWidget* parent, const char* name, EmergencyModalityGroup group) {
  const std::string_view title = EmergencyGroupCaption(group);
  auto* box = new QGroupBox(QString::fromUtf8(title.data(), qsizetype(title.size())), parent);
  box->setObjectName(name);
  auto* columns = new TColumnsLayout(box);
  columns->setContentsMargins(10, 6, 10, 8);
  columns->setSpacing(3);
  return box;
}

QGroupBox* GroupOf(EmergencyModalityGroup group, QGroupBox* better, QGroupBox* worse,
                   QGroupBox* state) {
  switch (group) {
    case EmergencyModalityGroup::Better: return better;
    case EmergencyModalityGroup::Worse: return worse;
    case EmergencyModalityGroup::State: break;
  }
  return state;
}

QStringList RemedyNames() {
  QStringList names;
  for (std::string_view name : EmergencyRemedyNames())
    names << QString::fromUtf8(name.data(), qsizetype(name.size()));
  return names;
}

QLabel* Cell(QWidget* parent, const QString& name, const QString& text, Qt::Alignment align,
             bool remedyName = false) {
  auto* label = remedyName ? new TResultNameCell(RemedyNames(), text, parent) : new TResultCell(text, parent);
  label->setObjectName(name);
  label->setAlignment(align | Qt::AlignVCenter);
  label->setProperty("resultCell", true);
  label->setMinimumHeight(26);
  return label;
}

QFrame* BuildResultPanel(QWidget* parent, TEmergencyFinderPanel& f) {
  QFrame* panel = MakePanel(parent, "PaNotfModAuswLage", TPanelRole::Group);
  auto* rows = new QVBoxLayout(panel);
  rows->setContentsMargins(0, 0, 0, 12);
  rows->setSpacing(8);
  rows->addWidget(MakeHeading(panel, "PaNotfModAusw", QStringLiteral("Auswertung")));

  auto* grid = new QGridLayout();
  grid->setContentsMargins(12, 0, 12, 0);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  grid->setColumnStretch(1, 1);
  auto* points = Cell(panel, QStringLiteral("LaNotfModAuswPkte"), QStringLiteral("Punkte"),
                      Qt::AlignRight);
  points->setProperty("resultCell", QVariant());
  points->setProperty("columnHeader", true);
  grid->addWidget(points, 0, 2);
  for (int n = 0; n < kEmergencyResultRows; ++n) {
    f.lbRang[n] = Cell(panel, QStringLiteral("lbRang%1").arg(n + 1),
                       QStringLiteral("%1.").arg(n + 1), Qt::AlignRight);
    f.lbAM[n] = Cell(panel, QStringLiteral("lbAM%1").arg(n + 1), QString(), Qt::AlignLeft, true);
    f.lbPunkt[n] = Cell(panel, QStringLiteral("lbPunkt%1").arg(n + 1), QString(), Qt::AlignRight);
    grid->addWidget(f.lbRang[n], n + 1, 0);
    grid->addWidget(f.lbAM[n], n + 1, 1);
    grid->addWidget(f.lbPunkt[n], n + 1, 2);
  }
  rows->addLayout(grid);
  // "Start" follows the five results directly, where the eye already is.
  rows->addSpacing(4);

  f.paNFStart = MakeNaviButton(panel, "paNFStart", QStringLiteral("   Start     "));
  f.paNFStart->setProperty("primary", true);
  auto* buttonRow = new QHBoxLayout();
  buttonRow->setContentsMargins(12, 0, 12, 0);
  buttonRow->addWidget(f.paNFStart);
  rows->addLayout(buttonRow);
  return panel;
}

}  // namespace

TEmergencyFinderPanel BuildEmergencyFinderPanel(QWidget* parent) {
  TEmergencyFinderPanel f;
  f.PaNotfModLag = MakePanel(parent, "PaNotfModLag", TPanelRole::Plain);
  QVBoxLayout* outer = tabparts::FlushColumn(f.PaNotfModLag);
  outer->addWidget(MakeDecorBar(f.PaNotfModLag, "CbNotfMod"));
  // The sheet takes the arrangement its width allows (see TFinderLayout);
  // on screens too short for it, it scrolls vertically.
  auto* scroller = new QScrollArea(f.PaNotfModLag);
  scroller->setObjectName("PaNotfModScroll");
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setWidgetResizable(true);
  auto* sheet = new QWidget(scroller);
  sheet->setObjectName("PaNotfModSheet");
  sheet->setProperty("finderSheet", true);

  QGroupBox* better = Group(sheet, "GbNotfMod1", EmergencyModalityGroup::Better);
  QGroupBox* worse = Group(sheet, "GbNotfMod2", EmergencyModalityGroup::Worse);
  QGroupBox* state = Group(sheet, "GbNotfMod3", EmergencyModalityGroup::State);
  const auto& modalities = EmergencyModalities();
  for (int i = 0; i < kEmergencyModalityCount; ++i) {
    const EmergencyModality& m = modalities[i];
    QGroupBox* box = GroupOf(m.Group, better, worse, state);
    auto* check = new QCheckBox(QString::fromUtf8(m.Caption.data(), qsizetype(m.Caption.size())), box);
    check->setObjectName(QString::fromUtf8(m.CheckBoxName.data(), qsizetype(m.CheckBoxName.size())));
    box->layout()->addWidget(check);
    f.CheckBoxes[i] = check;
  }
  auto* arrangement = new TFinderLayout(sheet, better, worse, state,
                                        static_cast<TColumnsLayout*>(state->layout()),
                                        BuildResultPanel(sheet, f));
  arrangement->setContentsMargins(10, 10, 10, 10);
  arrangement->setSpacing(10);
  scroller->setWidget(sheet);
  outer->addWidget(scroller, 1);
  return f;
}

}  // namespace fendra
