// Small widgets of the main window: pictures that report presses and labels
// with a pressed look. None of them decides anything; they call back.
#pragma once

#include <QAbstractScrollArea>
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "ui/logic/keypad.h"
#include "ui/logic/look.h"

namespace tarvo::ui {

// A picture that reports mouse press (with the point), release and click.
class PictureButton : public QWidget {
 public:
  explicit PictureButton(QWidget* parent = nullptr);
  void SetPicture(const QPixmap& pm);
  const QPixmap& Picture() const { return picture_; }
  // A button that switches something on and off (the pin) tells a screen
  // reader which it is: checked while on.
  void SetOn(bool on);
  std::optional<bool> On() const { return on_; }

  std::function<void(QPoint)> onPress;
  std::function<void()> onRelease;
  std::function<void()> onClick;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QPixmap picture_;
  std::optional<bool> on_;
};

// A keypad key: its normal and lit pictures. A key whose lit picture tells
// a state (the one in force of its group, a pending shift) says so to a
// screen reader: checked while lit.
class KeyImage : public PictureButton {
 public:
  enum Toggle { kNoToggle, kOneOfGroup, kOnOff };

  KeyImage(tarvo::Key key, const QPixmap& normal, const QPixmap& lit, QWidget* parent);
  tarvo::Key Key() const { return key_; }
  void SetLit(bool lit);
  // New pictures (another look), lit or not as before.
  void SetPictures(const QPixmap& normal, const QPixmap& lit);
  bool Lit() const { return lit_; }
  // Set before a screen reader first asks for the key.
  void SetToggles(Toggle toggles) { toggles_ = toggles; }
  Toggle Toggles() const { return toggles_; }

 private:
  tarvo::Key key_;
  QPixmap normal_, lit_picture_;
  bool lit_ = false;
  Toggle toggles_ = kNoToggle;
};

// The title line's "Minimize" and "Exit": pressed, they turn pink and move
// one pixel right and down.
class TitleButton : public QLabel {
 public:
  TitleButton(const QString& text, QWidget* parent);
  std::function<void()> onClick;
  // Its colour at rest (white in the default look).
  void SetRestingColor(const QColor& c);
  // Its colour while held (pink in the default look).
  void SetPressedColor(const QColor& c) { pressed_ = c; }

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void SetColor(const QColor& c);
  QColor resting_ = Qt::white;
  QColor pressed_ = QColor(255, 92, 92);
};

// One of the window's message lines. A screen reader reads its text as the
// name of a status bar (see accessibles.h).
class MessageLine : public QLabel {
 public:
  explicit MessageLine(QWidget* parent) : QLabel(parent) {}
};

// A message box's text whose lines are never broken, so that a file's path
// in it stays whole (a box breaks a long line where a "/" allows it).
QString WholeLines(const QString& text);
// A modal warning box with WholeLines over `parent` (centred on the screen
// without one).
void ShowWarningBox(QWidget* parent, const QString& title, const QString& text, Look look = Look::kDefault);
// Runs a modal window to its end, then gives the keyboard back to the window
// it was over. Which window a window manager focuses when one closes is its
// own choice, and not always ours: the keys typed next would go nowhere.
int RunModal(QDialog& box);
// Makes `window` the active one (again), where it is on screen and a client
// may (not on Wayland).
void TakeKeyboardBack(QWidget* window);

// The list windows (the variable list, the tape) look like the main
// window: its panel, the list in the dark bezel of its display, in the
// entry line's colours, and an edge of their own.
void StyleListRows(QAbstractScrollArea* list, Look look = Look::kDefault);
void PaintListWindow(QWidget* window, const QRect& list, Look look = Look::kDefault);

// The windows' text font at a pixel size.
QFont SansFont(int pixels, bool bold = false);
// Windows-1252 bytes as the text a person sees (the entry line's signs).
QString Unicode(const std::string& bytes);

// Moves a frameless window when the user drags its background or one of the
// labels it watches: through the window system where it can (the only way on
// Wayland), by following the cursor otherwise.
class WindowDrag : public QObject {
 public:
  explicit WindowDrag(QWidget* window);
  // Presses on `w` drag the window too (a title label).
  void Watch(QWidget* w) { w->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QWidget* window_;
  bool dragging_ = false;
  QPoint offset_;
};

}  // namespace tarvo::ui
