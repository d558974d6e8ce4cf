// The output format in force and what it makes of the last answer: the
// display's text, the message lines, and the FIX and SCI menus with their
// check marks. No window: the main window draws the view, the console prints
// its text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/state.h"
#include "core/menu_entry.h"

namespace tarvo {

// The output formats; the code only tells the values apart.
enum OutputModeValue : std::int32_t {
  OUT_DMS = 1,
  OUT_BIN = 2,
  OUT_FRAC = 3,
  OUT_FIX = 7,
  OUT_SCI = 8,
  OUT_NORMAL = 9,
  OUT_DATE = 12,
  OUT_HEX = 16,
};

// What the display and the message lines show for the last answer.
struct AnswerView {
  std::string text;  // a blank, then the number in the format
  std::string upperMessage;
  std::string lowerMessage;
  std::int32_t mode = OUT_NORMAL;  // the format it is in: its key is lit
};

class OutputFormat {
 public:
  // Shows the last answer of `state`.
  explicit OutputFormat(const EngineState& state) : state_(state) {}

  // The normal format, as a run starts.
  void Reset() { mode_ = OUT_NORMAL; }
  std::int32_t Mode() const { return mode_; }

  // A new answer in the format in force: a toggle format stays on from one
  // answer to the next, FIX and SCI draw without their caption, and a format
  // that cannot show the answer (hexadecimal or binary out of range) ends in
  // the normal one. `normalText` is the answer's NormalAnswerText when the
  // caller has it already ("" otherwise).
  AnswerView ShowAnswer(std::string normalText = {});
  // The normal format key.
  AnswerView Normal(std::string normalText = {});
  // A toggle key (OUT_FRAC, OUT_DMS, OUT_BIN, OUT_HEX, OUT_DATE): a format
  // in force turns off, otherwise it turns on and shows the answer.
  AnswerView Toggle(std::int32_t mode);

  // The FIX and SCI keys open a menu; a choice of it (its index, -1 for none)
  // changes the format, and the view returned is what the display shows then
  // (nothing when the menu closed without a choice in another format).
  std::vector<MenuEntry> FixedMenu() const;
  std::vector<MenuEntry> ScientificMenu() const;
  std::optional<AnswerView> ChooseFromFixedMenu(int choice);
  std::optional<AnswerView> ChooseFromScientificMenu(int choice);

 private:
  AnswerView FixedView(bool caption) const;
  AnswerView ScientificView(bool caption) const;

  const EngineState& state_;
  std::int32_t mode_ = OUT_NORMAL;
  int fixDecimals_ = 0;
  int sciDigits_ = 0;
};

}  // namespace tarvo
