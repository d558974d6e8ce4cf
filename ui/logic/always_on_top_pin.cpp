#include "ui/logic/always_on_top_pin.h"

#include "ui/logic/help_actions.h"

namespace tarvo {

void AlwaysOnTopPin::Set(bool on) {
  // Where the window system keeps no window on top for it, the pin says so
  // rather than claim what would not happen.
  const bool refused = on && !c_.CanKeepOnTop();
  on_ = on && !refused;
  c_.SetAlwaysOnTop(on_);
  shifts_.Clear();
  c_.FocusEntry();
  ShowHelpText(c_, refused ? kPinRefusedText
                   : on    ? "Always visible mode enabled. This window is always on top"
                           : "Always visible mode disabled");
}

bool AlwaysOnTopPin::Drop() {
  const bool was = on_;
  Set(false);
  return was;
}

}  // namespace tarvo
