// The pin that keeps the calculator above every other window.
#pragma once

#include "ui/logic/controls.h"
#include "ui/logic/shift_state.h"

namespace tarvo {

// What the pin says where the window system cannot keep the window on top.
inline constexpr const char* kPinRefusedText =
    "Always visible mode is not available on this desktop\r\n"
    "Its window system decides alone which window stays on top";

class AlwaysOnTopPin {
 public:
  // Setting the pin clears pending shifts, like any key.
  AlwaysOnTopPin(MainControls& controls, ShiftState& shifts) : c_(controls), shifts_(shifts) {}

  // Keeps the window above all others or not, and says so; where the window
  // system cannot, the pin stays out and says that instead.
  void Set(bool on);
  void Toggle() { Set(!on_); }
  // A modal window must not hide behind a window kept on top: the pin is
  // dropped before it opens (returning what it was) and put back after.
  bool Drop();

 private:
  MainControls& c_;
  ShiftState& shifts_;
  bool on_ = false;
};

}  // namespace tarvo
