#include "app/level_editor_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "app/tab_parts.h"

namespace fendra {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

// A hidden field edit the handlers read and write; never typed into.
TDBEdit* Hidden(QWidget* parent, QBoxLayout* into, const char* name) {
  TDBEdit* edit = tabparts::HiddenFieldEdit(parent, into, name);
  edit->setEnabled(false);
  return edit;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name, const QString& text) {
  auto* memo = new QPlainTextEdit(text, parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setFrameShape(QFrame::NoFrame);
  memo->setProperty("instructionMemo", true);
  return memo;
}

// A group box: the input with its label above the button row, the hidden
// edits at the end.
struct TGroupParts {
  QGroupBox* Box;
  QVBoxLayout* Column;
  QHBoxLayout* Buttons;
};
TGroupParts Group(QWidget* parent, const char* name, const QString& caption, const QString& label,
                  const QString& note, TDBEdit*& input, const char* inputName) {
  TGroupParts g{};
  g.Box = new QGroupBox(caption, parent);
  g.Box->setObjectName(name);
  g.Column = new QVBoxLayout(g.Box);
  auto* labelRow = new QHBoxLayout();
  auto* inputLabel = new QLabel(label, g.Box);
  labelRow->addWidget(inputLabel);
  if (!note.isEmpty()) labelRow->addWidget(new QLabel(note, g.Box));
  labelRow->addStretch(1);
  g.Column->addLayout(labelRow);
  input = new TDBEdit(g.Box, inputName);
  input->setEnabled(false);
  inputLabel->setBuddy(input);
  g.Column->addWidget(input);
  g.Buttons = new QHBoxLayout();
  g.Column->addLayout(g.Buttons);
  return g;
}

// The fixed picture: a root with branches and leaves, the three levels.
QPixmap TreePicture() {
  QPixmap picture(120, 90);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0, 0, 128), 2));
  const QPoint root(16, 45);
  const QPoint branches[] = {{56, 20}, {56, 70}};
  for (const QPoint& b : branches) {
    p.drawLine(root, b);
    for (int dy : {-10, 0, 10}) p.drawLine(b, QPoint(100, b.y() + dy));
  }
  p.setBrush(QColor(255, 215, 0));
  p.drawEllipse(root, 7, 7);
  p.setBrush(QColor(0, 128, 0));
  for (const QPoint& b : branches) {
    p.drawEllipse(b, 5, 5);
    for (int dy : {-10, 0, 10}) p.drawEllipse(QPoint(100, b.y() + dy), 4, 4);
  }
  return picture;
}

const QString kGeneralAdvice = QStringLiteral(
    "   Machen Sie eine schriftliche Skizze für die neue Struktur bevor Sie beginnen.\n"
    "   Ein neuer Eintrag der 1. Ebene (Stamm) steht direkt unter „Indikationen mit Schlüssel“; "
    "seine Zweige (2. Ebene) und Blätter (3. Ebene) legen Sie gleich danach an.\n"
    "   Die neuen Einträge zeigt der Baum nach einem Neustart des Programms.");
const QString kLevel1Steps = QStringLiteral(
    "Vorgehen:\n"
    "1. Klicken Sie auf „Neuer Eintrag“.\n"
    "2. Tippen Sie den Namen in das Eingabefeld.\n"
    "3. Klicken Sie auf „Speichern“. Sie werden gefragt, ob Sie zu diesem Eintrag eine "
    "Unterebene (Ebene 2) hinzufügen wollen.\n"
    "„Abbrechen“ verwirft den neuen Eintrag.");
const QString kLevel2Steps = QStringLiteral(
    "Vorgehen für die 2. Ebene:\n"
    "1. „Neuer Eintrag“ legt einen Zweig unter dem eben gespeicherten Eintrag der 1. Ebene an.\n"
    "2. Tippen Sie den Namen ein und klicken Sie auf „Speichern“. Sie werden gefragt, ob Sie "
    "eine Unterebene (Ebene 3) hinzufügen wollen.\n"
    "3. „Neustart“ beendet das Programm; beim nächsten Start zeigt der Baum die neue Struktur.");
const QString kLevel3Steps = QStringLiteral(
    "Vorgehen für die 3. Ebene:\n"
    "1. „Neuer Eintrag“ legt ein Blatt unter dem eben gespeicherten Zweig an.\n"
    "2. Tippen Sie den Namen ein und klicken Sie auf „Speichern“.\n"
    "3. „Rückgängig“ verwirft den neuen Eintrag; „<< Zurück“ führt zur 2. Ebene, um dort "
    "weitere Zweige anzulegen.");
const QString kDeleteSteps = QStringLiteral(
    "Löschen:\n"
    "1. Wählen Sie im Baum den Eintrag; das Eingabefeld zeigt seinen Namen.\n"
    "2. Klicken Sie auf „Löschen“ und bestätigen Sie.\n"
    "Löschen Sie von der 3. Ebene aufwärts: Ein Eintrag, der noch Untereinträge hat, wird "
    "nicht gelöscht. Der Stamm „Indikationen mit Schlüssel“ bleibt immer.");

}  // namespace

TLevelEditorForm BuildLevelEditorForm(QFrame* layer) {
  TLevelEditorForm f;
  f.PaBaumLageNeu = layer;
  auto* column = new QVBoxLayout(layer);
  column->setContentsMargins(8, 8, 8, 8);
  column->setSpacing(8);
  auto* top = new QHBoxLayout();
  column->addLayout(top);
  auto* groups = new QVBoxLayout();
  top->addLayout(groups, 3);

  TGroupParts g1 = Group(layer, "GbBaumEb1", QStringLiteral("1. Ebene (Stamm a)"), QStringLiteral("Eingabefeld "),
                         QString(), f.DbEdBaumNeuEb1Eing, "DbEdBaumNeuEb1Eing");
  f.GbBaumEb1 = g1.Box;
  f.BiBaumNeuEb1New = Button(g1.Box, "BiBaumNeuEb1New", QStringLiteral("Neuer Eintrag "));
  f.BiBaumNeuEb1Store = Button(g1.Box, "BiBaumNeuEb1Store", QStringLiteral("   Speichern     "));
  f.BiBaumNeuEb1Canc = Button(g1.Box, "BiBaumNeuEb1Canc", QStringLiteral("  Abbrechen  "));
  f.BiBaumNeuEb1Del = Button(g1.Box, "BiBaumNeuEb1Del", QStringLiteral("   Löschen        "));
  f.BiBaumNeuStart1 = Button(g1.Box, "BiBaumNeuStart1", QStringLiteral("   Neustart        "));
  for (QPushButton* b : {f.BiBaumNeuEb1New, f.BiBaumNeuEb1Store, f.BiBaumNeuEb1Canc, f.BiBaumNeuEb1Del,
                         f.BiBaumNeuStart1})
    g1.Buttons->addWidget(b);
  f.BiBaumNeuEb1Del->setVisible(false);
  f.dbedID1 = Hidden(g1.Box, g1.Column, "dbedID1");
  Hidden(g1.Box, g1.Column, "dbedMaxID");
  f.dbedEb1 = Hidden(g1.Box, g1.Column, "dbedEb1");

  TGroupParts g2 = Group(layer, "GbBaumEb2", QStringLiteral("2. Ebene (Zweig b..)"), QStringLiteral("Eingabefeld "),
                         QString(), f.DbEdBaumNeuEb2Eing, "DbEdBaumNeuEb2Eing");
  f.GbBaumEb2 = g2.Box;
  f.BiBaumNeuEb2New = Button(g2.Box, "BiBaumNeuEb2New", QStringLiteral("Neuer Eintrag "));
  f.BiBaumNeuEb2Store = Button(g2.Box, "BiBaumNeuEb2Store", QStringLiteral("   Speichern     "));
  f.BiBaumNeuEb2Canc = Button(g2.Box, "BiBaumNeuEb2Canc", QStringLiteral("  Abbrechen  "));
  f.BiBaumNeuStart2 = Button(g2.Box, "BiBaumNeuStart2", QStringLiteral("   Neustart        "));
  for (QPushButton* b : {f.BiBaumNeuEb2New, f.BiBaumNeuEb2Store, f.BiBaumNeuEb2Canc, f.BiBaumNeuStart2})
    g2.Buttons->addWidget(b);
  f.dbedID2 = Hidden(g2.Box, g2.Column, "dbedID2");
  Hidden(g2.Box, g2.Column, "DBEdit4");
  f.dbedE2Z = Hidden(g2.Box, g2.Column, "dbedE2Z");

  TGroupParts g3 = Group(layer, "GbBaumEb3", QStringLiteral("3. Ebene (Blatt c..)"), QStringLiteral("Eingabefeld"),
                         QStringLiteral("zur 2. Ebene"), f.DbEdBaumNeuEb3Eing, "DbEdBaumNeuEb3Eing");
  f.GbBaumEb3 = g3.Box;
  f.BiBaumNeuEb3New = Button(g3.Box, "BiBaumNeuEb3New", QStringLiteral("Neuer Eintrag "));
  f.BiBaumNeuEb3Store = Button(g3.Box, "BiBaumNeuEb3Store", QStringLiteral("   Speichern     "));
  f.BiBaumNeuEb3Canc = Button(g3.Box, "BiBaumNeuEb3Canc", QStringLiteral("  Rückgängig  "));
  f.BiBaumNeuEb3Back = Button(g3.Box, "BiBaumNeuEb3Back", QStringLiteral("<<    Zurück           "));
  f.BiBaumNeuStart3 = Button(g3.Box, "BiBaumNeuStart3", QStringLiteral("   Neustart        "));
  for (QPushButton* b : {f.BiBaumNeuEb3New, f.BiBaumNeuEb3Store, f.BiBaumNeuEb3Canc, f.BiBaumNeuEb3Back,
                         f.BiBaumNeuStart3})
    g3.Buttons->addWidget(b);
  f.dbedID3 = Hidden(g3.Box, g3.Column, "dbedID3");
  Hidden(g3.Box, g3.Column, "dbEdit3");
  f.dbedE3Z = Hidden(g3.Box, g3.Column, "dbedE3Z");

  for (QGroupBox* box : {f.GbBaumEb1, f.GbBaumEb2, f.GbBaumEb3}) groups->addWidget(box);
  groups->addStretch(1);
  f.GbBaumEb2->setVisible(false);
  f.GbBaumEb3->setVisible(false);
  for (QPushButton* b : {f.BiBaumNeuEb1Store, f.BiBaumNeuEb1Canc, f.BiBaumNeuStart1, f.BiBaumNeuEb2Store,
                         f.BiBaumNeuEb2Canc, f.BiBaumNeuStart2, f.BiBaumNeuEb3Store, f.BiBaumNeuEb3Canc,
                         f.BiBaumNeuStart3})
    b->setEnabled(false);

  auto* memos = new QVBoxLayout();
  top->addLayout(memos, 2);
  f.MeBaum1 = Memo(layer, "MeBaum1", kGeneralAdvice);
  f.MeBaum2 = Memo(layer, "MeBaum2", kLevel1Steps);
  f.MeBaum3 = Memo(layer, "MeBaum3", kLevel2Steps);
  f.MeBaum4 = Memo(layer, "MeBaum4", kLevel3Steps);
  f.MeBaum5 = Memo(layer, "MeBaum5", kDeleteSteps);
  for (QPlainTextEdit* memo : {f.MeBaum1, f.MeBaum2, f.MeBaum3, f.MeBaum4, f.MeBaum5}) memos->addWidget(memo);
  for (QPlainTextEdit* memo : {f.MeBaum3, f.MeBaum4, f.MeBaum5}) memo->setVisible(false);

  auto* bottom = new QHBoxLayout();
  column->addLayout(bottom, 1);
  // The current entry's text, for reading beside the form.
  f.DbReBaumNeu = new TDBRichEdit(layer, "DbReBaumNeu", TRichTextView::TAccess::ReadOnly);
  bottom->addWidget(f.DbReBaumNeu, 1);
  f.Image1 = new QLabel(layer);
  f.Image1->setObjectName("Image1");
  f.Image1->setPixmap(TreePicture());
  f.Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  bottom->addWidget(f.Image1);
  return f;
}

}  // namespace fendra
