// The output formats, one row each, and the format in force: what it makes
// of an answer it is given (the display's text, the text of one line, the
// message lines) and the menus of the formats that take a count, with their
// check marks. No window: the main window draws the view, the console
// prints its line.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/menu_entry.h"

namespace tarvo {

enum class OutputMode { kNormal, kFixed, kScientific, kFraction, kSexagesimal, kBinary, kHexadecimal, kDate };
inline constexpr int kOutputModeCount = 8;

// How a format is put in force: the normal one; a switch, which a second
// press turns off again; a count chosen from a menu, which stays.
enum class FormatKind { kNormal, kToggle, kCounted };

// The counts a counted format offers, first..last, and what one is called
// ("decimal"): its menu's entries and its caption name them.
struct FormatCounts {
  int first, last;
  std::string_view unit;
};

// An answer's text in a format (without the blank the display puts before
// it); nothing where the answer is beyond the format, which then gives way
// to the normal one. `count` is a counted format's.
using AnswerFormatting = std::optional<std::string>(double answer, int count);
using AnswerFormatter = AnswerFormatting*;

// One output format: every fact about it, in one row.
struct FormatRow {
  // Every part is given: a row that leaves one out does not compile, nor
  // one without a formatter (it is taken by reference).
  constexpr FormatRow(OutputMode mode_, std::string_view key_, std::string_view directive_, FormatKind kind_,
                      std::string_view caption_, std::string_view secondCaption_, FormatCounts counts_,
                      AnswerFormatting& format_)
      : mode(mode_), key(key_), directive(directive_), kind(kind_), caption(caption_),
        secondCaption(secondCaption_), counts(counts_), format(&format_) {}

  OutputMode mode;
  std::string_view key;        // the caption of the keypad key that shows it, lit while it is in force
  std::string_view directive;  // the console's (a counted format's takes the count after a blank)
  FormatKind kind;
  // The message lines when its key or directive puts it in force; a counted
  // format's caption goes on with its count ("... 2 decimals").
  std::string_view caption;
  std::string_view secondCaption;
  FormatCounts counts;  // {0, 0, ""} unless counted
  AnswerFormatter format;
};

// Every format, in the order of their keys.
std::span<const FormatRow> FormatTable();
const FormatRow& FormatOf(OutputMode mode);

// What the display and the message lines show for an answer.
struct AnswerView {
  std::string text;   // what the display draws: a blank, then the answer in the format
  std::string plain;  // the answer as one line of text: what the console prints and the tape keeps
  std::string upperMessage;
  std::string lowerMessage;
  OutputMode mode = OutputMode::kNormal;  // the format it is in: its key is lit
};

// The format in force. It formats the answers it is given and keeps only
// its own state: the format, and the counts chosen from the menus.
class OutputFormat {
 public:
  // The normal format, as a run starts.
  void Reset() { mode_ = OutputMode::kNormal; }

  // A new answer in the format in force: a toggle format stays on from one
  // answer to the next, a counted one draws without its caption, and a
  // format that cannot show the answer (hexadecimal or binary out of
  // range) ends in the normal one.
  AnswerView ShowAnswer(double answer);
  // The key or directive of a normal or toggle format: the normal format
  // shows the answer; a toggle format in force turns off, otherwise it
  // turns on and shows the answer.
  AnswerView Show(OutputMode mode, double answer);
  // A counted format's key opens its menu; a choice of it (its index, -1
  // for none) changes the format, and the view returned is what the display
  // shows then (nothing when the menu closed without a choice in another
  // format).
  std::vector<MenuEntry> Menu(OutputMode mode) const;
  std::optional<AnswerView> ChooseFromMenu(OutputMode mode, int choice, double answer);

 private:
  AnswerView Normal(double answer);
  AnswerView Counted(const FormatRow& row, bool caption, double answer) const;

  OutputMode mode_ = OutputMode::kNormal;
  std::array<int, kOutputModeCount> counts_{};  // the count chosen for each counted format
};

// A value as the normal output format shows it: NumberText after a blank.
std::string NormalAnswerText(double x);

}  // namespace tarvo
