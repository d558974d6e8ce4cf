// The processing cycle: one entry line to a result or an error, without a
// window. Both front ends run every entry through it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/state.h"

namespace tarvo {

// What a typed character becomes in the entry line: "*" the multiplication
// dot, the ordinal sign the degree mark.
int TypedCharacter(int c);

// The entry's text for the last answer: "0.5", "(-2)".
std::string LastAnswerText(const EngineState& state);
// A value as the normal output format shows it: NumberText after a blank.
std::string NormalAnswerText(double x);

// Completes an entry that is only a prefix key, a postfix mark or a function
// name, or that starts or ends with an operator, with the last answer.
std::string CompleteWithLastAnswer(const EngineState& state, std::string_view entry, bool& changed);

// What the cycle tells its front end while it works; either may be empty.
struct CycleHooks {
  // The entry has been read, before any calculation: `entry` is trimmed, or
  // completed with the last answer (`completed`; the entry line should then
  // show it). The window keeps it in its history.
  std::function<void(const std::string& entry, bool completed)> entryRead;
  // A calculation starts (true) or ends (false), so a window can show that
  // it works.
  std::function<void(bool)> busy;
};

// What became of one entry line.
struct CycleResult {
  enum class Outcome {
    kBlank,   // nothing but blanks: nothing happened
    kError,   // the engine's ErrorCode says which
    kAnswer,  // LastAnswer holds the result
  };
  Outcome outcome = Outcome::kBlank;
  // For an answer that was no assignment: its normal-format text (a blank,
  // then NumberText), which the display and the clipboard share.
  std::string normalText;
  // What the front end is to do now that the entry is done, whatever its
  // outcome: show the variable list for each solver that asked, beep.
  EntryRequests requests;
};

// Runs one entry line on `engine`. An entry over kMaxEntryLength is refused
// (42) before it is read; one that runs out of memory ends with 4, and the
// engine goes on.
CycleResult ProcessEntryLine(Engine& engine, std::string_view line, const CycleHooks& hooks = {});

}  // namespace tarvo
