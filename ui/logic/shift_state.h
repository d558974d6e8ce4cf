// The ARC and HYP shift keys: pending from the press until the next key uses
// or clears them, and what the trigonometric keys write under them.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

struct ShiftState {
  bool arc = false;
  bool hyp = false;

  void Clear() { arc = hyp = false; }
  bool Pending() const { return arc || hyp; }
  // The message line's text for the shifts now pending ("" for none).
  std::string_view Message() const;
  // What trigonometric key `name` ("sin", "cos"...) writes and its help.
  std::string TrigonometricText(std::string_view name) const;
  std::string TrigonometricHelp(std::string_view name) const;
};

}  // namespace tarvo
