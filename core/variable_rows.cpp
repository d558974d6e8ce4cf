#include "core/variable_rows.h"

#include "engine/bytes.h"
#include "engine/number_text.h"
#include "engine/variables.h"

namespace tarvo {
namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The value as the list writes it: the zero put back before a leading point,
// and one blank before a value that is not negative, so that the digits of
// positive and negative values line up after " = ".
std::string ValueText(double v) {
  std::string t = Trim(NumberText(v));
  if (StartsWith(t, "-.")) {
    t = "-0." + t.substr(2);
  } else if (StartsWith(t, ".")) {
    t = "0" + t;
  }
  if (!(v < 0)) t = " " + t;
  return t;
}

// "i2", "i0.5", or just "i" for a unit imaginary part; empty unless the last
// polynomial equation left a complex pair.
std::string ImaginaryText(const VariableListShow& shown) {
  const double i = shown.values['i' - 'a'];
  if (i == 0 || (shown.complexMarker != 2 && shown.complexMarker != 3)) return "";
  std::string t = Trim(NumberText(i));
  if (t == "1") return "i";
  if (StartsWith(t, ".")) t = "0" + t;
  return "i" + t;
}

}  // namespace

std::vector<std::string> VariableListRows(const VariableListShow& shown, int listMode) {
  std::vector<std::string> rows;
  if (listMode != 1) return rows;
  const std::string imaginary = ImaginaryText(shown);
  const bool pair = shown.complexMarker == 2 || shown.complexMarker == 3;
  // The letters holding the pair: a and b after EQ2D, b and c after EQ3D.
  const char plusLetter = shown.complexMarker == 2 ? 'a' : 'b';
  const char minusLetter = shown.complexMarker == 2 ? 'b' : 'c';
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const size_t index = static_cast<size_t>(letter - 'a');
    if (shown.flags[index] == kUndefined || letter == 'e') continue;
    if (pair && letter == 'i') continue;
    std::string value = ValueText(shown.values[index]);
    // An imaginary part of 0 (underflowed) leaves the pair's rows plain
    // rather than ending in a dangling " + ".
    const bool complexRow = !imaginary.empty();
    if (complexRow && letter == plusLetter) {
      value = value != " 0" ? value + " + " + imaginary : " " + imaginary;
    } else if (complexRow && letter == minusLetter) {
      value = value != " 0" ? value + " - " + imaginary : "-" + imaginary;
    }
    rows.push_back(std::string(1, letter) + " = " + value);
  }
  return rows;
}

std::string VariableListClipboardText(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\r\n";
  return text;
}

}  // namespace tarvo
