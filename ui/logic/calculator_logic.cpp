#include "ui/logic/calculator_logic.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/number_text.h"
#include "engine/state.h"
#include "engine/tokens.h"
#include "prepare/normalize.h"

namespace tarvo {
namespace {

constexpr char kDot = '\xB7';        // the multiplication dot of the entry line
constexpr char kDegree = '\xB0';
constexpr char kOrdinal = '\xBA';    // typed in place of the degree mark

bool IsOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// Characters that continue a calculation from its result when typed first.
constexpr std::string_view kContinueChars = "\xB7+-/\\^!%\xB2\xB3\xD3\xB0'\"";

// Equation-taking functions whose first argument is a text.
constexpr Token kFirstArgTextCodes[] = {
    Token::ReservedEvaluateText, Token::ReservedSimpson, Token::ReservedDerivativeAt,
    Token::ReservedSecondDerivativeAt, Token::SolveOnInterval, Token::ReservedMaximum,
    Token::ReservedMinimum, Token::ReservedInflection, Token::ReservedRectangleRule,
    Token::ReservedReno, Token::ReservedMoneyValue, Token::ReservedGraph, Token::ReservedSum};
// Equation-taking functions whose every argument is a text.
constexpr Token kAllArgsTextCodes[] = {Token::QuadraticEquation, Token::CubicEquation,
                                       Token::LinearSystem2, Token::LinearSystem3};

// Stores an equation text in the next slot. False (ErrorCode set) when the
// slots are exhausted or the text is empty.
bool StoreEquationText(EngineState& s, const std::string& text) {
  if (++s.EquationSlotCount > 9) {
    s.ErrorCode = kErrTooManyEquations;
    return false;
  }
  s.EquationSlots[static_cast<size_t>(s.EquationSlotCount)] = text;
  if (text.empty()) {
    s.ErrorCode = kErrSyntax;
    return false;
  }
  return true;
}

// Trim without the copy: the cycle trims the same entry several times.
std::string_view TrimmedView(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

int TypedCharacter(int c) {
  if (c == '*') return Code(kDot);
  if (c == Code(kOrdinal)) return Code(kDegree);
  return c;
}

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
  for (const FunctionToken& f : FunctionTokenTable) {
    if (lower.empty()) break;
    // The name first: it differs at once in size or first byte for nearly
    // every entry, which spares the four exclusions their comparisons.
    if (lower != f.name) continue;
    if (f.name == "ans" || f.name == "pi" || f.name == "rnd" || f.name == "ran#") continue;
    s += " " + answer();
    changed = true;
    break;
  }
  return s;
}

std::string MoveEquationTexts(EngineState& state, std::string_view tokens, int code) {
  std::string s(tokens);
  const std::string call = Chr(code) + "(";
  long p = InStr(s, call);
  while (p > 0) {
    long depth = 0;
    long found = 0;
    for (long j = p + 2; j <= static_cast<long>(s.size()); ++j) {
      const char c = At(s, j);
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (c == ByteOf(Token::ArgumentMark) && depth == 0) {
        found = j;
        break;
      }
    }
    if (found > 0) {
      if (!StoreEquationText(state, Mid(s, p + 2, found - p - 2))) return {};
      s = Left(s, p + 1) + std::to_string(state.EquationSlotCount) + Mid(s, found);
    }
    p = InStr(s, call, p + 2);
  }
  return s;
}

std::string MoveAllEquationTexts(EngineState& state, std::string_view tokens, int code) {
  std::string s(tokens);
  const std::string call = Chr(code) + "(";
  long p = InStr(s, call);
  while (p > 0) {
    long a = p + 1;
    long depth = 0;
    bool stored = false;
    for (long j = a; j <= static_cast<long>(s.size()); ++j) {
      const char c = At(s, j);
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (((c == ',' || c == ByteOf(Token::ArgumentMark)) && depth == 1) || depth == 0) {
        if (!StoreEquationText(state, Mid(s, a + 1, j - a - 1))) return {};
        // Blank the argument and write the slot number over its start, so that
        // positions after it stay valid.
        const std::string number = std::to_string(state.EquationSlotCount);
        for (long k = a + 1; k <= j - 1; ++k) s[static_cast<size_t>(k - 1)] = ' ';
        s.replace(static_cast<size_t>(a), number.size(), number);
        a = j;
        stored = true;
        if (depth == 0) break;
      }
    }
    if (!stored) {
      state.ErrorCode = kErrSyntax;
      return {};
    }
    p = InStr(s, call, p + 2);
  }
  return Replace(s, " ", "");
}

void CalculatorLogic::ShowError() {
  const int code = engine_.ErrorCode;
  const std::string message(ErrorMessage(code));
  c_.SetEntryColor(IsNotice(code) ? kNoticeGreen : kErrorRed);
  c_.SetUpperMessage(message + " ");
  c_.SetLowerMessage("");
}

void CalculatorLogic::ProcessEntry() {
  // Running out of memory anywhere in one entry ends that entry like any
  // other error; the session, its variables and its history go on.
  try {
    EvaluateEntry();
  } catch (const std::bad_alloc&) {
    c_.SetBusy(false);
    engine_.ErrorCode = kErrTooComplex;
    ShowError();
  }
}

void CalculatorLogic::EvaluateEntry() {
  EngineState& s = engine_;
  const std::string text = c_.EntryText();
  // Refused whole, before it is prepared or kept in the history. Blanks
  // count: the entry line holds no more characters than this either, and
  // tarvo-cli hands over no more than a few times this of a longer line.
  if (text.size() > static_cast<size_t>(kMaxEntryLength)) {
    s.ErrorCode = kErrEntryTooLong;
    ShowError();
    return;
  }
  const std::string_view entry = TrimmedView(text);
  if (entry.empty()) {
    c_.Beep();
    return;
  }
  c_.SetEntryColor(kBlack);
  bool changed = false;
  const std::string completed = CompleteWithLastAnswer(engine_, entry, changed);
  if (changed) {
    c_.SetEntryText(completed);
    c_.SetSelection(static_cast<int>(completed.size()), 0);
    RecordInHistory();  // what the entry line made of the completed text
  } else {
    RecordEntryInHistory(std::string(entry));  // the line still holds `text`
  }

  s.ErrorCode = 0;
  std::string tokens = NormalizeExpression(engine_, TrimmedView(completed));
  if (s.ErrorCode != 0) {
    ShowError();
    return;
  }

  s.EquationSlotCount = 0;
  // A text function whose token is not in the string changes nothing (and the
  // normaliser leaves no blank for MoveAllEquationTexts to drop).
  bool present[256] = {};
  auto survey = [&] {
    std::fill(std::begin(present), std::end(present), false);
    for (char c : tokens) present[Code(c)] = true;
  };
  survey();
  auto holds = [&present](Token t) { return present[CodeOf(t)] || present[Code(' ')]; };
  for (Token t : kFirstArgTextCodes) {
    if (s.ErrorCode == 0 && holds(t)) {
      tokens = MoveEquationTexts(engine_, tokens, CodeOf(t));
      survey();
    }
  }
  for (Token t : kAllArgsTextCodes) {
    if (s.ErrorCode == 0 && holds(t)) {
      tokens = MoveAllEquationTexts(engine_, tokens, CodeOf(t));
      survey();
    }
  }
  if (s.ErrorCode != 0) {
    ShowError();
    return;
  }

  if (At(tokens, 2) == '=') {
    const char target = LowerByte(At(tokens, 1));
    c_.SetBusy(true);
    const double x = Evaluate(engine_, Mid(tokens, 3));
    c_.SetBusy(false);
    if (s.ErrorCode != 0) {
      ShowError();
      return;
    }
    s.LastAnswer = x;
    AssignVariable(engine_, target, x);
    if (s.ErrorCode != 0) {
      ShowError();
      return;
    }
    ShowNewAnswer();
    return;
  }

  s.ErrorCode = 0;
  c_.SetBusy(true);
  const double x = Evaluate(engine_, tokens);
  c_.SetBusy(false);
  if (s.ErrorCode != 0) {
    ShowError();
    return;
  }
  s.LastAnswer = x;
  // The clipboard takes the display's normal text, without the blank before
  // a minus sign: one NumberText serves both.
  std::string shown = NormalAnswerText(x);
  if (x != 0) c_.SetClipboardText(x < 0 ? shown.substr(1) : shown);
  ShowNewAnswer(std::move(shown));
}

bool CalculatorLogic::EntryFits(size_t length) {
  if (length <= static_cast<size_t>(kMaxEntryLength)) return true;
  engine_.ErrorCode = kErrEntryTooLong;
  ShowError();
  return false;
}

void CalculatorLogic::InsertAtCaret(const std::string& keyText, const std::string& help) {
  ArcShift = false;
  HypShift = false;
  std::string k = keyText;
  if (!k.empty()) {
    if (ResultShown) c_.SetEntryText("");
    const std::string text = c_.EntryText();
    const int size = static_cast<int>(text.size());
    const int p = std::clamp(c_.SelectionStart(), 0, size);
    const int n = std::clamp(c_.SelectionLength(), 0, size - p);
    if (p > 0 && text[static_cast<size_t>(p - 1)] == ' ' && k.front() == ' ') k.erase(0, 1);
    // A key that would make the line too long writes nothing (and its help
    // would hide the message).
    if (!EntryFits(text.size() - static_cast<size_t>(n) + k.size())) return;
    c_.SetEntryText(Left(text, p) + k + Mid(text, p + n + 1));
    c_.SetSelection(p + static_cast<int>(k.size()), 0);
  }
  c_.FocusEntry();
  if (!help.empty()) {
    const long split = InStr(help, "\r\n");
    if (split > 0) {
      c_.SetUpperMessage(Left(help, split - 1) + " ");
      c_.SetLowerMessage(Mid(help, split + 2) + " ");
    } else {
      c_.SetUpperMessage(help + " ");
      c_.SetLowerMessage(" ");
    }
  }
}

void CalculatorLogic::DeleteKey() {
  c_.FocusEntry();
  ArcShift = HypShift = false;
  const std::string text = c_.EntryText();
  const int size = static_cast<int>(text.size());
  const int p = std::clamp(c_.SelectionStart(), 0, size);
  const int n = std::clamp(c_.SelectionLength(), 0, size - p);
  if (n > 0) {
    c_.SetEntryText(Left(text, p) + Mid(text, p + n + 1));
    c_.SetSelection(p, 0);
  } else if (p > 0) {
    c_.SetEntryText(Left(text, p - 1) + Mid(text, p + 1));
    c_.SetSelection(p - 1, 0);
  }
}

void CalculatorLogic::ClearEntryKey() {
  RecordInHistory();
  c_.SetEntryText("");
  c_.FocusEntry();
  ArcShift = HypShift = false;
  c_.SetUpperMessage("");
  c_.SetLowerMessage("");
}

void CalculatorLogic::LastAnswerKey() {
  InsertAtCaret(LastAnswerText(engine_), "Last answer");
  ArcShift = HypShift = false;
}

void CalculatorLogic::ExecuteKey() {
  ProcessEntry();
  ArcShift = HypShift = false;
  if (engine_.ErrorCode == 0) {
    c_.SetUpperMessage("");
    c_.SetLowerMessage("");
    ResultShown = !c_.EntryText().empty();
    if (engine_.EquationSlotCount != 0) ResultShown = false;
    c_.FocusEntry();
  }
}

const std::string& CalculatorLogic::HistoryEntry(int i) const {
  static const std::string kNone;
  if (i < 1 || i > kHistorySize) return kNone;
  return history_[static_cast<size_t>((historyStart_ + i - 1) % kHistorySize)];
}

void CalculatorLogic::RecordInHistory() { RecordEntryInHistory(Trim(c_.EntryText())); }

void CalculatorLogic::RecordEntryInHistory(std::string entry) {
  HistoryCursor = HistoryLast;
  if (entry.empty() || entry == HistoryEntry(HistoryLast)) return;
  if (HistoryLast == kHistorySize) {
    // The oldest entry's slot becomes the newest's.
    historyStart_ = (historyStart_ + 1) % kHistorySize;
  } else {
    ++HistoryLast;
  }
  history_[static_cast<size_t>((historyStart_ + HistoryLast - 1) % kHistorySize)] = std::move(entry);
  HistoryCursor = HistoryLast;
}

int CalculatorLogic::EntryLineKeyPress(int c) {
  if (c == 13) {
    ExecuteKey();
    return 0;
  }
  c = TypedCharacter(c);
  const int size = static_cast<int>(c_.EntryText().size());
  if (c_.SelectionStart() != size) ResultShown = false;
  if (ResultShown && c > 0 && c < 256 && IsOneOf(static_cast<char>(c), kContinueChars)) {
    ResultShown = false;
    ClearEntryKey();
    LastAnswerKey();
  }
  ResultShown = false;
  return c;
}

void CalculatorLogic::EntryLineKeyDown(int keyCode) {
  switch (keyCode) {
    case 37:  // Left
    case 39:  // Right
      ResultShown = false;
      break;
    case 38:  // Up: the older entry
      ReviewHistory(0, 0, -1, 1);
      break;
    case 40:  // Down: the newer entry
      ReviewHistory(0, 0, -1, 20);
      break;
    default:
      break;
  }
}

void CalculatorLogic::EntryLineChanged() {
  if (!(c_.EntryColor() == kBlack)) c_.SetEntryColor(kBlack);
}

void CalculatorLogic::ReviewHistory(int /*button*/, int /*shift*/, int /*x*/, int y) {
  c_.FocusEntry();
  ResultShown = false;
  if (HistoryLast == 0) return;
  if (HistoryCursor == HistoryLast) RecordInHistory();
  if (y <= 13) {
    HistoryCursor = std::max(HistoryCursor - 1, 1);
  } else {
    HistoryCursor = std::min(HistoryCursor + 1, HistoryLast);
  }
  const std::string& entry = HistoryEntry(HistoryCursor);
  c_.SetEntryText(entry);
  c_.SetSelection(static_cast<int>(entry.size()), 0);
}

void CalculatorLogic::AngleUnitKey(int key) {
  for (int k = kKeyDeg; k <= kKeyGra; ++k) c_.SetKeyLit(k, k == key);
  EngineState& s = engine_;
  switch (key) {
    case kKeyDeg:
      s.AngleFactor = 180 / s.Pi;
      InsertAtCaret("", "Angular unit is degree: 1 right angle = 90\xB0 (90 degrees)");
      break;
    case kKeyRad:
      s.AngleFactor = 1.0;
      InsertAtCaret("", "Angular unit is radian: 1 right angle = \xCB/2 rad");
      break;
    case kKeyGra:
      s.AngleFactor = 200 / s.Pi;
      InsertAtCaret("", "Angular unit is gradient: 1 right angle = 100 gra");
      break;
    default:
      break;
  }
}

void CalculatorLogic::RestoreAngleUnit(double saved) {
  EngineState& s = engine_;
  if (saved == 0 || std::fabs(saved - 180 / s.Pi) < 0.1) AngleUnitKey(kKeyDeg);
  if (saved == 1.0) AngleUnitKey(kKeyRad);
  if (std::fabs(saved - 200 / s.Pi) < 0.1) AngleUnitKey(kKeyGra);
  if (s.AngleFactor == 0) AngleUnitKey(kKeyDeg);
}

void CalculatorLogic::ClearVariablesKey() {
  c_.FocusEntry();
  ArcShift = HypShift = false;
  ClearVariables(engine_);
  c_.SetUpperMessage(" Variables were cleared");
  c_.SetLowerMessage("");
}

}  // namespace tarvo

namespace tarvo {

FileResult CalculatorLogic::StartSession(const std::string& stateDir) {
  EngineState& s = engine_;
  ArcShift = HypShift = false;
  s.ComplexMarker = 0;
  FileResult loaded;
  if (!stateDir.empty()) loaded = LoadVariableFiles(engine_, stateDir, &loadedPair_);
  s.VariableStore[4] = Exp1();
  s.DefinedFlag[4] = kDefined;
  LayOutKeypad();
  RestoreAngleUnit(s.VariableStore[kStoreAngleFactor]);
  c_.SetUpperMessage("");
  c_.SetLowerMessage("");
  c_.SetKeyLit(kKeyNor, true);
  s.OutputMode = OUT_NORMAL;
  AlwaysVisible = -1;
  s.LastAnswer = s.VariableStore[kStoreLastAnswer];
  HistoryLast = 0;
  HistoryCursor = 0;
  ToggleAlwaysOnTop();  // leaves the window off the top-most band
  KeypadPage = 1;
  TurnKeypadPage();  // shows the first page
  c_.SetEntryText("0");
  ProcessEntry();
  // The display keeps showing the 0 (a cleared display at start would read
  // as a fault).
  c_.SetEntryText("");
  return loaded;
}

SaveResult CalculatorLogic::EndSession(const std::string& stateDir) {
  if (stateDir.empty()) return {};
  return SaveVariableFiles(engine_, stateDir, &loadedPair_);
}

}  // namespace tarvo
