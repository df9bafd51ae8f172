#pragma once
// The main menu MainMenu1. Its items run the handlers of the tool bar
// commands they name, plus two of their own.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace fendra {

struct TMainMenu {
  QMenuBar* MainMenu1 = nullptr;
  QMenu* MuPrg = nullptr;
  QAction* MuPdf = nullptr;
  QAction* MuEnd = nullptr;
  QMenu* MuInhalt = nullptr;
  QAction* MuIndBaum = nullptr;
  QAction* MuIndAZ = nullptr;
  QAction* MuIndKind = nullptr;
  QAction* MuIndNotf = nullptr;
  QAction* MuMatMed = nullptr;
  QAction* MuGrdlg = nullptr;
  QMenu* MuSuche = nullptr;
  QAction* MuSuchBaum = nullptr;
  QAction* MuSuchAZ = nullptr;
  QAction* MuSuchSymKind = nullptr;
  QAction* MuSuchIndKind = nullptr;
  QAction* MuSuchIndNotf = nullptr;
  QAction* MuSuchModNotf = nullptr;
  QAction* MuSuchMatMed = nullptr;
  QMenu* MuHilfe = nullptr;
  QAction* MuImpress = nullptr;
};

TMainMenu BuildMainMenu(QWidget* parent);

}  // namespace fendra
