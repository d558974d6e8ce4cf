// The processing cycle: one entry line through the normaliser, the move of
// its equation texts and the evaluator, on the engine the calculator owns.
#include "core/processing_cycle.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/eval/functions.h"
#include "engine/number_text.h"
#include "engine/tokens.h"
#include "prepare/equation_texts.h"
#include "prepare/normalize.h"

namespace tarvo {
namespace {

// The engine's function table as the normaliser reads it.
const FunctionNames& LanguageNames() {
  static const FunctionNames names(FunctionTable());
  return names;
}

bool IsOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// Trim without the copy: the cycle trims the same entry several times.
std::string_view TrimmedView(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

std::string LastAnswerText(const EngineState& state) {
  const double answer = state.LastAnswer;
  std::string t = NumberText(std::fabs(answer));
  if (!t.empty() && t[0] == '.') t = "0" + t;
  return answer < 0 ? "(-" + t + ")" : t;
}

std::string CompleteWithLastAnswer(const EngineState& state, std::string_view entry, bool& changed) {
  std::string s = Replace(entry, " ", "");
  changed = false;
  // Most entries need neither the answer's text nor the lower-cased entry.
  std::string answerText;
  auto answer = [&answerText, &state]() -> const std::string& {
    if (answerText.empty()) answerText = LastAnswerText(state);
    return answerText;
  };
  // The entry alone, before anything is added to it; no name is longer than
  // nine characters, so a longer entry needs no lower-cased copy.
  const std::string lower = s.size() <= 9 ? Lower(s) : std::string();

  static constexpr std::string_view kPrefixAlone[] = {"\xC8", "\xC1", "10^", "E[", "&h", "&H", "&b", "&B"};
  static constexpr std::string_view kPostfixAlone[] = {"\"", "'", "\xBA", "\xB0", "%", "\xD3", "\xB3", "\xB2", "!"};
  if (std::find(std::begin(kPrefixAlone), std::end(kPrefixAlone), s) != std::end(kPrefixAlone)) {
    s += " " + answer();
    changed = true;
  }
  if (std::find(std::begin(kPostfixAlone), std::end(kPostfixAlone), s) != std::end(kPostfixAlone)) {
    s = answer() + s;
    changed = true;
  }
  if (!s.empty() && IsOneOf(s.front(), "+*\xD7\xB7/^\\\xCE")) {
    s = answer() + s;
    changed = true;
  }
  if (!s.empty() && IsOneOf(s.back(), "+-*\xD7\xB7/^\\\xCE")) {
    s += " " + answer();
    changed = true;
  }
  for (const FunctionRow& f : FunctionTable()) {
    if (lower.empty()) break;
    // A name that takes no operand ("pi") is a value of its own.
    if (lower != f.name || f.operand.kind == Operand::kNone) continue;
    s += " " + answer();
    changed = true;
    break;
  }
  return s;
}

namespace {

CycleResult Failed(const Engine& engine) {
  CycleResult r;
  r.outcome = CycleResult::Outcome::kError;
  r.error = engine.ErrorCode;
  return r;
}

CycleResult Answered(double x, bool assignment, const Engine& engine) {
  CycleResult r;
  r.outcome = CycleResult::Outcome::kAnswer;
  r.value = x;
  r.assignment = assignment;
  r.heldEquations = engine.EquationSlotCount > 0;
  return r;
}

// The cycle itself; ProcessEntryLine turns an allocation failure in it into
// the entry's error.
CycleResult Run(Engine& engine, std::string_view line, const CycleHooks& hooks, std::string* read) {
  auto busy = [&hooks](bool on) {
    if (hooks.busy) hooks.busy(on);
  };
  const std::string_view entry = TrimmedView(line);
  if (entry.empty()) return {};
  bool changed = false;
  const std::string completed = CompleteWithLastAnswer(engine, entry, changed);
  if (read != nullptr) *read = changed ? completed : std::string(entry);
  if (hooks.entryRead) hooks.entryRead(changed ? completed : std::string(entry), changed);

  engine.ErrorCode = ErrorNumber::kNone;
  std::string tokens = NormalizeExpression(engine, TrimmedView(completed), LanguageNames());
  if (engine.ErrorCode != ErrorNumber::kNone) return Failed(engine);

  tokens = MoveEquationTexts(engine, std::move(tokens), LanguageNames());
  if (engine.ErrorCode != ErrorNumber::kNone) return Failed(engine);

  if (tokens.size() >= 2 && tokens[1] == '=') {
    const char target = LowerByte(tokens[0]);
    busy(true);
    const double x = Evaluate(engine, std::string_view(tokens).substr(2));
    busy(false);
    if (engine.ErrorCode != ErrorNumber::kNone) return Failed(engine);
    engine.LastAnswer = x;
    AssignVariable(engine, target, x);
    if (engine.ErrorCode != ErrorNumber::kNone) return Failed(engine);
    return Answered(x, true, engine);
  }

  engine.ErrorCode = ErrorNumber::kNone;
  busy(true);
  const double x = Evaluate(engine, tokens);
  busy(false);
  if (engine.ErrorCode != ErrorNumber::kNone) return Failed(engine);
  engine.LastAnswer = x;
  return Answered(x, false, engine);
}

}  // namespace

CycleResult ProcessEntryLine(Engine& engine, std::string_view line, const CycleHooks& hooks, std::string* read) {
  // Refused whole, before it is prepared or kept in the history. Blanks
  // count: the entry line holds no more characters than this either, and
  // tarvo-cli hands over no more than a few times this of a longer line.
  if (line.size() > static_cast<size_t>(kMaxEntryLength)) {
    Fail(engine, ErrorNumber::kEntryTooLong);
    return Failed(engine);
  }
  // What the engine asks of the front end belongs to this entry alone.
  engine.Requests = {};
  // Running out of memory anywhere in one entry ends that entry like any
  // other error; the session, its variables and its history go on.
  try {
    CycleResult result = Run(engine, line, hooks, read);
    result.requests = std::move(engine.Requests);
    engine.Requests = {};
    return result;
  } catch (const std::bad_alloc&) {
    if (hooks.busy) hooks.busy(false);
    Fail(engine, ErrorNumber::kTooComplex);
  }
  CycleResult result = Failed(engine);
  result.requests = std::move(engine.Requests);
  engine.Requests = {};
  return result;
}

}  // namespace tarvo
