#include "ui/logic/always_on_top_pin.h"

#include "ui/logic/help_actions.h"

namespace tarvo {

void AlwaysOnTopPin::Set(bool on) {
  on_ = on;
  c_.SetAlwaysOnTop(on);
  shifts_.Clear();
  c_.FocusEntry();
  ShowHelpText(c_, on ? "Always visible mode enabled. This window is always on top" : "Always visible mode disabled");
}

bool AlwaysOnTopPin::Drop() {
  const bool was = on_;
  Set(false);
  return was;
}

}  // namespace tarvo
