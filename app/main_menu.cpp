#include "app/main_menu.h"

namespace fendra {

namespace {

QMenu* Menu(QMenuBar* bar, const char* name, const QString& caption) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(name);
  menu->menuAction()->setObjectName(name);
  return menu;
}

QAction* Item(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

}  // namespace

TMainMenu BuildMainMenu(QWidget* parent) {
  TMainMenu m;
  m.MainMenu1 = new QMenuBar(parent);
  m.MainMenu1->setObjectName("MainMenu1");

  // Each menu opens with Alt and its first letter, which is underlined; the
  // captions read as written.
  m.MuPrg = Menu(m.MainMenu1, "MuPrg", QStringLiteral("&Programm"));
  m.MuPdf = Item(m.MuPrg, "MuPdf", QStringLiteral("Als PDF speichern…"));
  m.MuPrg->addSeparator();
  m.MuEnd = Item(m.MuPrg, "MuEnd", QStringLiteral("Beenden"));

  m.MuInhalt = Menu(m.MainMenu1, "MuInhalt", QStringLiteral("&Inhalte"));
  m.MuIndBaum = Item(m.MuInhalt, "MuIndBaum", QStringLiteral("Indikation als Baumstruktur"));
  m.MuIndAZ = Item(m.MuInhalt, "MuIndAZ", QStringLiteral("Indikationen von A bis Z"));
  m.MuIndKind = Item(m.MuInhalt, "MuIndKind", QStringLiteral("Indikationen bei Kindern"));
  m.MuIndNotf = Item(m.MuInhalt, "MuIndNotf", QStringLiteral("Indikation in Notfällen"));
  m.MuMatMed = Item(m.MuInhalt, "MuMatMed", QStringLiteral("Arzneimittellehre"));
  m.MuGrdlg = Item(m.MuInhalt, "MuGrdlg", QStringLiteral("Grundlagen"));

  m.MuSuche = Menu(m.MainMenu1, "MuSuche", QStringLiteral("&Suche"));
  m.MuSuchBaum = Item(m.MuSuche, "MuSuchBaum", QStringLiteral("in Verzeichnisbaum"));
  m.MuSuchAZ = Item(m.MuSuche, "MuSuchAZ", QStringLiteral("nach Indikationen von A bis Z"));
  m.MuSuchSymKind = Item(m.MuSuche, "MuSuchSymKind", QStringLiteral("nach Symptomenliste bei Kindern"));
  m.MuSuchIndKind = Item(m.MuSuche, "MuSuchIndKind", QStringLiteral("nach Indikationen bei Kindern"));
  m.MuSuchIndNotf = Item(m.MuSuche, "MuSuchIndNotf", QStringLiteral("nach Indikationen in Notfällen"));
  m.MuSuchModNotf = Item(m.MuSuche, "MuSuchModNotf", QStringLiteral("nach Modalitäten im Notfall"));
  m.MuSuchMatMed = Item(m.MuSuche, "MuSuchMatMed", QStringLiteral("Nach einzelnen Arzneimitteln"));

  m.MuHilfe = Menu(m.MainMenu1, "MuHilfe", QStringLiteral("&Hilfe"));
  m.MuImpress = Item(m.MuHilfe, "MuImpress", QStringLiteral("Impressum"));
  return m;
}

}  // namespace fendra
