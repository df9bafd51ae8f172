#include "app/entry_form.h"

#include <QHBoxLayout>
#include <QStringList>
#include <QVBoxLayout>

#include "app/ui_widgets.h"

namespace fendra {

namespace {

// The memos' lines as designed, blanks at their ends included.
QString Lines(const QStringList& lines) { return lines.join(QLatin1Char('\n')); }

const QStringList kAskLines{
    QStringLiteral("Tippen Sie in das Eingabefeld die Bezeichnung der neuen Indikation "),
    QStringLiteral("und speichern Sie anschließend ab."),
};

QString ListStoredText() {
  return Lines({
      QStringLiteral("Der neue Eintrag wurde links in die Indikationsliste eingetragen."),
      QString(),
      QStringLiteral("Klicken Sie auf  >> Weiter, um zur Textansicht zu gelangen. Hier"),
      QStringLiteral("können Sie den Text eingeben."),
      QString(),
      QStringLiteral("Sie können den Text auch aus einem Textverarbeitungsprogramm "),
      QStringLiteral("über den Zwischenspeicher (Strg + C) einfügen (Strg + V)."),
  });
}

QPlainTextEdit* Memo(QWidget* parent, const char* name, const QString& text) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setPlainText(text);
  memo->setReadOnly(true);
  memo->setFrameShape(QFrame::NoFrame);
  memo->setFocusPolicy(Qt::NoFocus);
  return memo;
}

const QString kDeleteText = QStringLiteral("Wählen Sie links in der Indikationsliste den zu löschenden Eintrag.");

}  // namespace

const TEntryFormDesign& AtoZEntryFormDesign() {
  static const TEntryFormDesign design{
      "LaIndikNeu", "DbEdIndAZNew", "MeIndAZTxt1", "MeIndAZTxt3", "MeIndAZTxt4", "BtIndikNeu",
      "BiIndAZStore", "BiIndAZCanc1", "BiIndAZDel", "BiIndAZGo", Lines(kAskLines), ListStoredText(),
  };
  return design;
}

const TEntryFormDesign& EmergencyEntryFormDesign() {
  static const TEntryFormDesign design{
      "LaNotfallNeu", "DbEdNotfallNew", "MeNotfallTxt1", "MeNotfallTxt2", "MeNotfallTxt3",
      "BtNotfallNeu", "BiNotfallStore", "BiNotfallCanc1", "BiNotfallDel", "BiNotfallGo",
      Lines(kAskLines), ListStoredText(),
  };
  return design;
}

const TEntryFormDesign& RemedyEntryFormDesign() {
  static const TEntryFormDesign design{
      "LaMatMedEintrag", "DbEdMMNew", "MeMMTxt1", "MeMMTxt2", "MeMMTxt3", "BtMatMedlNeu",
      "BiMatMedStor", "BiMatMedCanc1", "BiMatMedDel", "BiMatMedGo",
      Lines(kAskLines + QStringList{QString(), QStringLiteral("Doppelte Bezeichnungen dürfen nicht eingegeben werden!")}),
      Lines({
          QStringLiteral("Der neue Eintrag wurde links in die Indikationsliste eingetragen."),
          QString(),
          QStringLiteral("Klicken Sie auf  >> Weiter, um zur Seite der \"Herkunft\" zu gelangen. Hier können Sie "),
          QStringLiteral("die Textfelder ausfüllen und zum \"Gesamtbild\" und den \"Indikationen\" weitergehen."),
          QString(),
          QStringLiteral("Hier können Sie auch ein Bild mit dem .jpg oder .bmp Format hochladen. Das Bild "),
          QStringLiteral("sollte nicht größer als 200 X 200 Pixel sein."),
      }),
  };
  return design;
}

TEntryForm BuildEntryForm(QFrame* panel, const TEntryFormDesign& design) {
  TEntryForm f;
  f.Panel = panel;
  auto* rows = new QVBoxLayout(panel);
  rows->setContentsMargins(16, 16, 16, 16);
  rows->setSpacing(10);

  auto* inputRow = new QHBoxLayout();
  f.Label = new QLabel(QStringLiteral("Eingabe:"), panel);
  f.Label->setObjectName(QString::fromLatin1(design.Label));
  f.Input = new TDBEdit(panel, design.Input);
  f.Input->setEnabled(false);
  f.Label->setBuddy(f.Input);
  inputRow->addWidget(f.Label);
  inputRow->addWidget(f.Input, 1);
  rows->addLayout(inputRow);

  f.AskMemo = Memo(panel, design.AskMemo, design.AskText);
  f.StoredMemo = Memo(panel, design.StoredMemo, design.StoredText);
  f.DeleteMemo = Memo(panel, design.DeleteMemo, kDeleteText);
  f.StoredMemo->setVisible(false);
  f.DeleteMemo->setVisible(false);
  for (QPlainTextEdit* memo : {f.AskMemo, f.StoredMemo, f.DeleteMemo}) rows->addWidget(memo, 1);

  auto* buttons = new QHBoxLayout();
  buttons->setSpacing(6);
  f.New = MakeNaviButton(panel, design.NewButton, QStringLiteral("Neuer Eintrag "));
  f.Store = MakeNaviButton(panel, design.StoreButton, QStringLiteral("   Speichern     "));
  f.Cancel = MakeNaviButton(panel, design.CancelButton, QStringLiteral("  Abbrechen  "));
  f.Delete = MakeNaviButton(panel, design.DeleteButton, QStringLiteral("   Löschen        "));
  f.Go = MakeNaviButton(panel, design.GoButton, QStringLiteral(">>       Weiter       "));
  for (QPushButton* button : {f.New, f.Store, f.Cancel, f.Delete, f.Go}) buttons->addWidget(button);
  buttons->addStretch(1);
  rows->addLayout(buttons);
  return f;
}

}  // namespace fendra
