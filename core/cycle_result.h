// What one entry line gives: everything its cycle produced, in one value,
// and what the cycle tells its front end while it works.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/output_format.h"
#include "core/tape.h"
#include "engine/errors.h"
#include "engine/variables.h"

namespace tarvo {

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

// What became of one entry line. A front end draws it and acts on its
// requests; it never asks the calculator what the entry did.
struct CycleResult {
  enum class Outcome {
    kBlank,   // nothing but blanks: nothing happened
    kError,   // `error` says which error or notice it ended with
    kAnswer,  // `value` is the answer, now the last answer
  };
  Outcome outcome = Outcome::kBlank;
  ErrorNumber error = ErrorNumber::kNone;
  double value = 0;
  // An answer in the format in force: what the display and the message
  // lines show, and its line of text.
  AnswerView view;
  // The answer is an assignment's.
  bool assignment = false;
  // The answer is the first result of equations (a solver's): no number to
  // go on from.
  bool heldEquations = false;
  // The row the entry added to the calculator's tape, where it keeps one:
  // the entry as it was read and what it gave. None for a blank entry or
  // one refused before it was read.
  std::optional<TapeRow> tapeRow;
  // What the front end is to do now that the entry is done, whatever its
  // outcome: show the variable list for each solver that asked, beep.
  EntryRequests requests;

  // What goes on the clipboard: a non-zero answer of an expression in the
  // normal format, without the blank before a minus sign; empty: nothing.
  std::string ClipboardText() const {
    if (outcome != Outcome::kAnswer || assignment || value == 0) return {};
    std::string text = NormalAnswerText(value);
    return value < 0 ? text.substr(1) : text;
  }
};

}  // namespace tarvo
