#include <QFont>
#include <QPalette>
#include <QStyleFactory>

#include "app/fendra_application.h"

namespace fendra {

namespace {

// Navy ink on calm blue-grey surfaces; white text areas; one accent.
const char* const kStyleSheet = R"css(
QMainWindow, #ClientArea { background: #e9eef4; }
QWidget[finderSheet="true"], #PaNotfModScroll { background: #ffffff; }
#TbHaupt {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfcfe, stop:1 #dfe6ef);
  border-bottom: 1px solid #b9c4d2;
}
#TbHaupt QToolButton { border: 1px solid transparent; border-radius: 4px; }
#TbHaupt QToolButton:hover { background: #d3e0f0; border-color: #9fb6d3; }
#TbHaupt QToolButton:pressed, #TbHaupt QToolButton:checked { background: #bcd0ea; border-color: #7f9cc3; }
#TbHaupt QToolButton:focus { border-color: #1f3a68; }
#TbHaupt QToolButton:focus:!checked:!pressed { background: #e6eef8; }
#TbHaupt QLabel { color: #1f3a68; }
QFrame[toolSeparator="true"] { color: #b9c4d2; }

QTabWidget::pane { border: none; background: #e9eef4; }
QTabBar::tab {
  font-family: Arial; font-size: 13px; font-weight: bold; color: #1f3a68;
  background: #d9e1eb; border: 1px solid #b9c4d2; border-bottom: none;
  padding: 6px 16px; margin-right: 2px; margin-top: 4px;
  border-top-left-radius: 5px; border-top-right-radius: 5px;
}
QTabBar::tab:selected { background: #e9eef4; margin-top: 0px; padding-bottom: 8px; }
QTabBar::tab:hover:!selected { background: #e4eaf2; }
QTabBar { background: #f3f6fa; }

QWidget[tabSheet="true"] QLabel, QWidget[tabSheet="true"] QCheckBox,
QWidget[tabSheet="true"] QGroupBox { color: #000080; }
QWidget[tabSheet="true"] QLabel, QWidget[tabSheet="true"] QGroupBox,
QWidget[tabSheet="true"] QPushButton, QWidget[tabSheet="true"] QCheckBox {
  font-size: 13px; font-weight: bold;
}

QFrame[panelRole="side"] { background: #dde5ee; border: 1px solid #bac6d4; border-radius: 6px; }
QFrame[panelRole="content"] { background: #ffffff; border: 1px solid #bac6d4; border-radius: 6px; }
QFrame[panelRole="group"] { background: #f4f7fb; border: 1px solid #bac6d4; border-radius: 6px; }
QFrame[decor="true"] {
  border: none; border-top-left-radius: 5px; border-top-right-radius: 5px;
  background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #1f3a68, stop:1 #6d8fbf);
}

QLabel[heading="true"], QWidget[tabSheet="true"] QLabel[heading="true"] {
  color: #ffffff; font-weight: bold; padding: 3px 8px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3d5f93, stop:1 #1f3a68);
  border-radius: 4px;
}
QWidget[tabSheet="true"] QLabel[remedyHeading="true"] { font-size: 20px; color: #1f3a68; }
QLabel[picture="true"] { background: #f4f7fb; border: 1px dashed #bac6d4; }
QLabel[columnHeader="true"] { color: #4a5d78; font-weight: bold; }
QWidget[tabSheet="true"] QLabel[resultCell="true"] { font-size: 15px; font-weight: normal; }
QLabel#lbAM1, QLabel#lbAM2, QLabel#lbAM3, QLabel#lbAM4, QLabel#lbAM5 {
  background: #ffffff; border: 1px solid #d3dbe5; border-radius: 3px; padding: 0 8px; color: #1f3a68;
}
QLabel[remedyCell="true"] {
  background: #ffffff; border: 1px solid #d3dbe5; border-radius: 3px; padding: 0 8px; color: #1f3a68;
}
QLabel[remedyCell="true"][bestResult="true"] { background: #fff1b8; border-color: #e0c25c; }
QWidget[tabSheet="true"] QLabel[resultCell="true"][noPoints="true"] { color: #8d99a8; }
QLabel[remedyCell="true"][noPoints="true"] { background: #f4f6f9; border-color: #e1e6ec; }
QWidget[tabSheet="true"] QLabel[notice="true"] {
  color: #7a4b00; background: #fff6dc; border: 1px solid #e8c777; border-radius: 5px;
  padding: 12px; font-size: 15px;
}
QLabel#lbPunkt1, QLabel#lbPunkt2, QLabel#lbPunkt3, QLabel#lbPunkt4, QLabel#lbPunkt5 { padding-right: 6px; }

QPushButton[navi="true"] {
  padding: 4px 10px; color: #1f3a68; font-weight: bold;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e8eef6);
  border: 1px solid #a9b9cd; border-radius: 5px;
}
QPushButton[navi="true"]:hover { background: #dce8f6; border-color: #6f8fba; }
QPushButton[navi="true"]:pressed { background: #c5d7ee; }
QPushButton[navi="true"]:focus { border-color: #1f3a68; }
QPushButton[navi="true"]:disabled { color: #8d99a8; background: #eef1f5; border-color: #c9d2dd; }
QPushButton[primary="true"] {
  color: #ffffff;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3d6fb3, stop:1 #24508c);
  border-color: #1f3a68;
}
QPushButton[primary="true"]:hover { background: #2f609f; }
QPushButton[primary="true"]:focus { border: 2px solid #f0a830; padding: 3px 9px; }

QGroupBox {
  background: #ffffff; border: 1px solid #bac6d4; border-radius: 6px;
  margin-top: 14px; padding-top: 8px; font-weight: bold;
}
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }
QCheckBox { spacing: 8px; }

QTextEdit[richView="true"] { background: #ffffff; border: none; color: #000000; }
QTextEdit[imprintBlock="true"] { background: transparent; color: #303a48; }
QLabel[imprintPublisher="true"] { color: #000080; font-weight: bold; }
QTableView, QTreeView { background: #ffffff; border: 1px solid #bac6d4; border-radius: 4px; }
QLineEdit { background: #ffffff; border: 1px solid #a9b9cd; border-radius: 4px; padding: 3px 6px; }
QLineEdit:focus { border-color: #3d6fb3; }

#SbHaupt { background: #dfe6ef; border-top: 1px solid #b9c4d2; }
QLabel[statusPanel="true"] {
  color: #1f3a68; padding: 0 8px; border-right: 1px solid #b9c4d2; font-size: 13px;
}
QLabel#SbHauptPanel2 { padding: 0 2px; border-right: none; }
)css";

}  // namespace

void ApplyFendraLook(QApplication& app) {
  // The window's base font, Arial at 15 pixels, is every widget's default.
  QFont base(QStringLiteral("Arial"));
  base.setPixelSize(15);
  app.setFont(base);
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
  QPalette palette = app.palette();
  palette.setColor(QPalette::Window, QColor(0xe9, 0xee, 0xf4));
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Highlight, QColor(0x3d, 0x6f, 0xb3));
  palette.setColor(QPalette::ToolTipBase, QColor(0xff, 0xfb, 0xe6));
  palette.setColor(QPalette::ToolTipText, QColor(0x1f, 0x3a, 0x68));
  app.setPalette(palette);
  app.setStyleSheet(QString::fromLatin1(kStyleSheet));
}

}  // namespace fendra
