// The help menu's actions, which open windows the always-on-top pin must not
// cover, and a key's help on the message lines.
#pragma once

#include <string>
#include <string_view>

#include "ui/logic/controls.h"
#include "ui/logic/always_on_top_pin.h"
#include "ui/logic/look.h"

namespace tarvo {

// A key's help on the message lines: its first line above, the rest (after
// a CR LF) below.
void ShowHelpText(MainControls& controls, std::string_view help);

class HelpActions {
 public:
  HelpActions(MainControls& controls, AlwaysOnTopPin& pin, LookSettings& looks)
      : c_(controls), pin_(pin), looks_(looks) {}

  // Runs the help menu's entry `choice` (a HelpChoice; -1 for none).
  void Run(int choice);
  // The manual's viewer opens as a window of its own, which a calculator
  // kept on top would cover; the pin is not put back, since the viewer stays.
  void OpenManual();
  // The desktop took the manual at first and then failed to open it.
  void ManualNotOpened(const std::string& path);
  void OpenHomePage();
  void OpenDonationPage();
  void ShowAbout();
  // The tape window opens beside the calculator, or closes.
  void ToggleTape() { c_.ShowTapeWindow(!c_.TapeWindowShown()); }
  // A look chosen (none: the desktop's): shown at once, kept for the next
  // runs, and named on the message lines with whether it could be kept.
  void ChooseLook(std::optional<Look> look);

 private:
  MainControls& c_;
  AlwaysOnTopPin& pin_;
  LookSettings& looks_;
};

}  // namespace tarvo
