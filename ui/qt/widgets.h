// Small widgets of the main window: pictures that report presses, labels
// with a pressed look, and the entry line that hands its keys to the logic.
// None of them decides anything; they call back.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <string>

namespace tarvo::ui {

// A picture that reports mouse press (with the point), release and click.
class PictureButton : public QWidget {
 public:
  explicit PictureButton(QWidget* parent = nullptr);
  void SetPicture(const QPixmap& pm);
  const QPixmap& Picture() const { return picture_; }

  std::function<void(QPoint)> onPress;
  std::function<void()> onRelease;
  std::function<void()> onClick;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QPixmap picture_;
};

// A keypad key: its normal and lit pictures.
class KeyImage : public PictureButton {
 public:
  KeyImage(int key, const QPixmap& normal, const QPixmap& lit, QWidget* parent);
  int Key() const { return key_; }
  void SetLit(bool lit);
  bool Lit() const { return lit_; }

 private:
  int key_;
  QPixmap normal_, lit_picture_;
  bool lit_ = false;
};

// The title line's "Minimize" and "Exit": pressed, they turn pink and move
// one pixel right and down.
class TitleButton : public QLabel {
 public:
  TitleButton(const QString& text, QWidget* parent);
  std::function<void()> onClick;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void SetColor(const QColor& c);
};

// The entry line. A key that is one of the keypad's shortcuts goes to
// `onShortcut` and no further. Every other key goes first to `onKeyDown` (the
// window's and the line's key-down handling) and then, for characters, to
// `onKeyPress`, which returns the character to insert (0: none). The line's
// own editing keys (Ctrl+A/C/V/X/Z, Shift+arrows, Home, End, Backspace,
// Delete) stay the line's.
class EntryLine : public QLineEdit {
 public:
  // The key codes the window's handlers name; any other key is code 0.
  static constexpr int kCodeControl = 17, kCodeLeft = 37, kCodeUp = 38, kCodeRight = 39, kCodeDown = 40,
                       kCodeF1 = 112;
  static constexpr int kShiftCtrl = 2;

  explicit EntryLine(QWidget* parent);

  std::function<bool(QKeyCombination key)> onShortcut;
  std::function<void(int keyCode, int shift)> onKeyDown;
  std::function<int(int c)> onKeyPress;
  std::function<void()> onMouse;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  // Ctrl went down with no other key held and nothing else was pressed
  // since: its release is "the Ctrl key alone".
  bool ctrlAlone_ = false;
};

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
