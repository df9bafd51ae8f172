#pragma once
// The small widgets the window's sheets are built from: panels, navigation
// buttons, headings and decorative bars. The rich-text view and the record
// navigator have files of their own.
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace fendra {

// Panel roles the style sheet dresses differently.
enum class TPanelRole { Plain, Side, Content, Group };

QFrame* MakePanel(QWidget* parent, const char* name, TPanelRole role = TPanelRole::Plain);
// A side column of a sheet: `width` wide where the window has room, never
// wider, and narrowing down to `minimumWidth` on small screens.
QFrame* MakeSidePanel(QWidget* parent, const char* name, int width, int minimumWidth);
// The content area of a sheet, asking for at least `width`: where the window
// is too narrow for every area's wish, all of them give up room evenly, so
// the side columns narrow along with the text rather than leaving it a sliver.
QFrame* MakeContentPanel(QWidget* parent, const char* name, int width);
// A right-hand navigation command; the caption is kept exactly, blanks and
// all, and shown centred without them. Return runs it like Space.
QPushButton* MakeNaviButton(QWidget* parent, const char* name, const QString& caption);
// A heading strip above a group of commands or a result.
QLabel* MakeHeading(QWidget* parent, const char* name, const QString& text);
// A narrow decorative bar at the top of a text area.
QFrame* MakeDecorBar(QWidget* parent, const char* name);

}  // namespace fendra
