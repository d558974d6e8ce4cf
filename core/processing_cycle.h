// The processing cycle: one entry line to a result or an error, on the
// engine the calculator owns. Private to core/: the front ends go through
// the Calculator.
#pragma once

#include <string>
#include <string_view>

#include "core/cycle_result.h"
#include "engine/state.h"

namespace tarvo {

// The entry's text for the last answer: "0.5", "(-2)".
std::string LastAnswerText(const EngineState& state);

// Completes an entry that is only a prefix key, a postfix mark or a function
// name, or that starts or ends with an operator, with the last answer.
std::string CompleteWithLastAnswer(const EngineState& state, std::string_view entry, bool& changed);

// Runs one entry line on `engine`: the outcome, error, value, whether it
// was an assignment or held equations, and the engine's requests (the view
// and the tape row are the calculator's). `read`, when given, receives the entry
// as the cycle read it (empty when it was refused before). An entry over
// kMaxEntryLength is refused (42) before it is read; one that runs out of
// memory ends with 4, and the engine goes on.
CycleResult ProcessEntryLine(Engine& engine, std::string_view line, const CycleHooks& hooks = {},
                             std::string* read = nullptr);

}  // namespace tarvo
