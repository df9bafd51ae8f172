#pragma once
// The small set of widgets the window is built from: panels, navigation
// buttons, headings, decorative bars, a rich-text view whose text area can be
// narrowed, and a record navigator.
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

namespace fendra {

// Panel roles the style sheet dresses differently.
enum class TPanelRole { Plain, Side, Content, Group };

QFrame* MakePanel(QWidget* parent, const char* name, TPanelRole role = TPanelRole::Plain);
// A right-hand navigation command; the caption is kept exactly, blanks and all,
// and shown left-aligned so leading blanks read as indent.
QPushButton* MakeNaviButton(QWidget* parent, const char* name, const QString& caption);
// A heading strip above a group of commands or a result.
QLabel* MakeHeading(QWidget* parent, const char* name, const QString& text);
// A narrow decorative bar at the top of a text area.
QFrame* MakeDecorBar(QWidget* parent, const char* name);

// A rich-text view. Its text area can be narrowed on the left and right; the
// narrowing lives in the view, not in its QTextDocument, so it survives every
// change of content.
class TRichTextView : public QTextEdit {
  Q_OBJECT
 public:
  enum class TAccess {
    ReadOnly,           // never edited
    EditableWhenBound,  // a field's text: editable once bound to its field
    Editable,           // a free buffer
  };
  TRichTextView(QWidget* parent, const char* name, TAccess access);

  // Binding to (or losing) its field makes an EditableWhenBound view
  // editable (or read-only). Until then typing could not be stored, so the
  // view does not accept it.
  void SetFieldBound(bool bound);
  TAccess Access() const { return access_; }

  void NarrowTextArea(int left, int right);
  int TextAreaLeftInset() const { return insetLeft_; }
  int TextAreaRightInset() const { return insetRight_; }

 private:
  TAccess access_;
  int insetLeft_ = 0;
  int insetRight_ = 0;
};

// First / prior / next / last buttons of a record list. Until a dataset is
// attached the buttons are disabled.
class TDbNavigator : public QFrame {
  Q_OBJECT
 public:
  TDbNavigator(QWidget* parent, const char* name);
  QToolButton* First() const { return first_; }
  QToolButton* Prior() const { return prior_; }
  QToolButton* Next() const { return next_; }
  QToolButton* Last() const { return last_; }

 private:
  QToolButton* first_;
  QToolButton* prior_;
  QToolButton* next_;
  QToolButton* last_;
};

}  // namespace fendra
