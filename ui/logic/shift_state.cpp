#include "ui/logic/shift_state.h"

namespace tarvo {

std::string_view ShiftState::Message() const {
  if (arc && hyp) return " Inverse hyperbolic function for Argsinh, Argcosh and Argtanh";
  if (arc) return " Inverse trigonometric function for Arcsin, Arccos and Arctan";
  if (hyp) return " Hyperbolic function for sinh, cosh and tanh";
  return "";
}

std::string ShiftState::TrigonometricText(std::string_view name) const {
  const std::string n(name);
  if (arc && hyp) return "Arg" + n + "h ";
  if (arc) return "Arc" + n + " ";
  if (hyp) return n + "h ";
  return n + " ";
}

std::string ShiftState::TrigonometricHelp(std::string_view name) const {
  const std::string n(name);
  if (arc && hyp) return "Inverse hyperbolic function arg" + n + "h";
  if (arc) return "Inverse trigonometric function arc" + n;
  if (hyp) return "Hyperbolic function " + n + "h";
  return "Trigonometric function " + n;
}

}  // namespace tarvo
