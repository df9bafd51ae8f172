#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/emergency_incidence.h"
#include "app/main_tabs.h"
#include "app/tab_parts.h"

namespace fendra {

namespace {

QGroupBox* Group(QWidget* parent, const char* name, const QString& title) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  auto* rows = new QVBoxLayout(box);
  rows->setContentsMargins(12, 14, 12, 12);
  rows->setSpacing(6);
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

QLabel* Cell(QWidget* parent, const QString& name, const QString& text, Qt::Alignment align) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAlignment(align | Qt::AlignVCenter);
  label->setProperty("resultCell", true);
  label->setMinimumHeight(28);
  return label;
}

QFrame* BuildResultPanel(QWidget* parent, TEmergencyFinderPanel& f) {
  QFrame* panel = MakePanel(parent, "PaNotfModAuswLage", TPanelRole::Group);
  panel->setMinimumWidth(240);
  auto* rows = new QVBoxLayout(panel);
  rows->setContentsMargins(0, 0, 0, 12);
  rows->setSpacing(8);
  rows->addWidget(MakeHeading(panel, "PaNotfModAusw", QStringLiteral("Auswertung")));

  auto* grid = new QGridLayout();
  grid->setContentsMargins(14, 0, 14, 0);
  grid->setHorizontalSpacing(10);
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
    f.lbAM[n] = Cell(panel, QStringLiteral("lbAM%1").arg(n + 1), QString(), Qt::AlignLeft);
    f.lbPunkt[n] = Cell(panel, QStringLiteral("lbPunkt%1").arg(n + 1), QString(), Qt::AlignRight);
    grid->addWidget(f.lbRang[n], n + 1, 0);
    grid->addWidget(f.lbAM[n], n + 1, 1);
    grid->addWidget(f.lbPunkt[n], n + 1, 2);
  }
  rows->addLayout(grid);
  rows->addStretch(1);

  f.paNFStart = MakeNaviButton(panel, "paNFStart", QStringLiteral("   Start     "));
  f.paNFStart->setProperty("primary", true);
  auto* buttonRow = new QHBoxLayout();
  buttonRow->setContentsMargins(14, 0, 14, 0);
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
  // On screens narrower than the questionnaire it scrolls instead of
  // widening the window past the screen.
  auto* scroller = new QScrollArea(f.PaNotfModLag);
  scroller->setObjectName("PaNotfModScroll");
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setWidgetResizable(true);
  auto* sheet = new QWidget(scroller);
  sheet->setObjectName("PaNotfModSheet");
  sheet->setProperty("finderSheet", true);
  scroller->setWidget(sheet);
  auto* row = new QHBoxLayout(sheet);
  row->setContentsMargins(12, 12, 12, 12);
  row->setSpacing(12);

  QGroupBox* better = Group(sheet, "GbNotfMod1", QStringLiteral("Besser durch:"));
  QGroupBox* worse = Group(sheet, "GbNotfMod2", QStringLiteral("Schlimmer durch:"));
  QGroupBox* state = Group(sheet, "GbNotfMod3", QStringLiteral("Allgemeiner Zustand"));
  const auto& modalities = EmergencyModalities();
  for (int i = 0; i < kEmergencyModalityCount; ++i) {
    const EmergencyModality& m = modalities[i];
    QGroupBox* box = GroupOf(m.Group, better, worse, state);
    auto* check = new QCheckBox(QString::fromUtf8(m.Caption.data(), qsizetype(m.Caption.size())), box);
    check->setObjectName(QString::fromUtf8(m.CheckBoxName.data(), qsizetype(m.CheckBoxName.size())));
    box->layout()->addWidget(check);
    f.CheckBoxes[i] = check;
  }
  for (QGroupBox* box : {better, worse, state}) {
    static_cast<QVBoxLayout*>(box->layout())->addStretch(1);
    row->addWidget(box, 1);
  }
  row->addWidget(BuildResultPanel(sheet, f), 1);
  outer->addWidget(scroller, 1);
  return f;
}

}  // namespace fendra
