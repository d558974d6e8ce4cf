// The always-on-top pin and the help menu's actions, which open windows the
// pin must not cover.
#pragma once

#include <string_view>

#include "ui/logic/controls.h"
#include "ui/logic/shift_state.h"

namespace tarvo {

// A key's help on the message lines: its first line above, the rest (after
// a CR LF) below.
void ShowHelpText(MainControls& controls, std::string_view help);

class AlwaysOnTopPin {
 public:
  // Setting the pin clears pending shifts, like any key.
  AlwaysOnTopPin(MainControls& controls, ShiftState& shifts) : c_(controls), shifts_(shifts) {}

  // Keeps the window above all others or not, and says so.
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

class HelpActions {
 public:
  HelpActions(MainControls& controls, AlwaysOnTopPin& pin) : c_(controls), pin_(pin) {}

  // Runs the help menu's entry `choice` (a HelpChoice; -1 for none).
  void Run(int choice);
  // The manual's viewer opens as a window of its own, which a calculator
  // kept on top would cover; the pin is not put back, since the viewer stays.
  void OpenManual();
  void OpenHomePage();
  void OpenDonationPage();
  void ShowAbout();
  // The tape window opens beside the calculator, or closes.
  void ToggleTape() { c_.ShowTapeWindow(!c_.TapeWindowShown()); }

 private:
  MainControls& c_;
  AlwaysOnTopPin& pin_;
};

}  // namespace tarvo
