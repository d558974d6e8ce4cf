// The colours of each look, which everything the windows paint takes:
// the key pictures, the panel, the display, the entry and message lines,
// the list windows and the ring that marks the focus. The default look's
// are the calculator's own; the high-contrast look keeps every text at
// least 7:1 against what is behind it and rings the focus; the dark look is
// the calculator in graphite, every text at least 4.5:1.
#pragma once

#include <QColor>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <utility>
#include <optional>

#include "ui/logic/controls.h"
#include "ui/logic/keypad.h"
#include "ui/logic/look.h"

namespace tarvo::ui {

// A key family's picture: its body from top to bottom, its caption, its edge.
struct KeyColours {
  QColor top, bottom, text, edge;
};

struct LookColours {
  // Bodies, bezels and the display in one colour each, without the
  // highlights that lower the contrast of what stands on them.
  bool flat = false;
  QColor window;
  // The keypad panel's box of mode keys, its box of the other keys, its
  // frames and dark etched lines, and the light lines beside them.
  QColor modeBox, keysBox, panelDark, panelLight;
  QColor bezelTop, bezelBottom, bezelEdge;
  QColor title, subtitle, titleButton;
  QColor entryBase, entryText, errorText, noticeText;
  QColor displayTop, displayMiddle, displayBottom, displayEdge, displayText;
  QColor message;
  QColor listBase, listText, selection, selectedText;
  QColor button, buttonPressed;
  QColor selectorFrame, shiftFrame;
  int shiftFrameWidth = 2;
  // The ring around the control that has the focus; none where invalid.
  QColor focus;
  int focusWidth = 0;
};

const LookColours& ColoursOf(Look look);
KeyColours KeyColoursOf(Look look, KeyLook family, bool lit);
// The colour that `specified` stands for in `look`: the window logic names
// the default look's colours (the entry line's black, error red and notice
// green, the list buttons' blue at rest and pressed).
QColor Ink(Look look, Rgb specified);
Rgb InkRgb(Look look, Rgb specified);
// The colour of one of the panel's specified boxes and lines in `look`.
QColor PanelColour(Look look, const PanelShape& shape);

// The desktop's look as Qt reports it: a dark colour scheme, or a palette
// of light text on a dark window, is dark; a palette of pure black and
// white is high contrast; anything else reports none.
std::optional<Look> DesktopLook();
std::optional<Look> LookOfPalette(const QPalette& palette);

// Sets palette roles of `widget` for when its window is active and when it
// is not (the disabled colours stay the style's).
void SetColours(QWidget* widget, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> roles);

// A list window in `look`: the palette its buttons and labels inherit (the
// list's rows take StyleListRows).
void StyleListWindow(QWidget* window, Look look);

// Tells `onChange` when the desktop's palette or theme changes (the
// application hears of it, not each window).
class DesktopSchemeWatch : public QObject {
 public:
  explicit DesktopSchemeWatch(QObject* parent);
  std::function<void()> onChange;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
};

// A ring around whichever control of `window` has the focus, in the look's
// focus colour; none in a look without one. It follows the control as it
// moves, and never takes a click.
class FocusRing : public QWidget {
 public:
  explicit FocusRing(QWidget* window);
  void SetLook(Look look);
  // The control it rings now; nullptr when hidden.
  QWidget* Ringed() const { return isVisible() ? target_.data() : nullptr; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Follow(QWidget* focused);
  void Place();

  QPointer<QWidget> target_;
  QColor colour_;
  int width_ = 0;
};

}  // namespace tarvo::ui
