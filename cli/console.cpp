#include "cli/console.h"

#include <charconv>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "output/draw.h"
#include "core/processing_cycle.h"
#include "core/entry_encoding.h"
#include "core/tape.h"
#include "core/variable_rows.h"

namespace tarvo {
namespace {

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (Code(c) >= 0x80) return false;
  return true;
}

// ASCII is the same in UTF-8 and Windows-1252: most lines need no conversion.
std::string ToBytes(const std::string& utf8, size_t& dropped) {
  return IsAscii(utf8) ? utf8 : Utf8ToBytes(utf8, &dropped);
}
std::string ToUtf8(std::string bytes) { return IsAscii(bytes) ? bytes : BytesToUtf8(bytes); }

}  // namespace

bool Console::Start(const std::string& stateDir) {
  stateDir_ = stateDir;
  const SessionStart start = calculator_.Start(stateDir, {wait_, held_});
  started_ = start.files;
  if (!start.files.ok && !start.files.busy)
    err_("Error: cannot read " + start.files.file + ": " + start.files.reason);
  return start.files.ok;
}

bool Console::Finish(const std::string& stateDir) {
  const SaveResult r = calculator_.End(stateDir, {wait_, held_});
  if (!r.ok) err_("Error: cannot save " + r.file + ": " + r.reason);
  return r.ok;
}

void Console::PrintVariables(const VariableListShow& shown) {
  for (const std::string& row : VariableListRows(shown, kListOpen)) out_(BytesToUtf8(row));
  calculator_.GetEngine().ForgetComplexPair();
}

bool Console::PrintTape() {
  std::vector<TapeRow> rows;
  const FileResult r = stateDir_.empty() ? FileResult{} : ReadTapeFile(stateDir_, rows, {wait_, held_});
  for (const TapeRow& row : rows) out_(ToUtf8(TapeLine(row)));
  if (!r.ok && !r.busy) err_("Error: cannot read " + r.file + ": " + r.reason);
  return r.ok;
}

void Console::Print(const AnswerView& view) {
  PlainResultText(view.text, line_);
  out_(IsAscii(line_) ? line_ : BytesToUtf8(line_));
}

Console::Outcome Console::Run(const std::string& line, bool cutShort) {
  size_t dropped = 0;
  std::string bytes = cutShort ? std::string() : ToBytes(line, dropped);
  // The characters that stand for no byte count too: a line is refused past
  // the limit however little of it makes an entry.
  if (cutShort || bytes.size() + dropped > static_cast<size_t>(kMaxEntryLength)) {
    out_(std::string(ErrorMessage(ErrorNumber::kEntryTooLong)));
    return Outcome::kNotice;
  }
  const size_t first = bytes.find_first_not_of(' ');
  if (first == std::string::npos) return Outcome::kNothing;
  if (bytes[first] == ':') return RunDirective(Trim(bytes));

  // What the keyboard rules of the entry line make of typed characters.
  for (char& c : bytes) c = static_cast<char>(TypedCharacter(Code(c)));
  const CycleResult r = calculator_.Calculate(bytes);
  // The lists a solver asked for come before the entry's own line, as a
  // list window would open before the result shows.
  for (const VariableListShow& shown : r.requests.variableLists) PrintVariables(shown);
  if (r.outcome != CycleResult::Outcome::kAnswer) {
    out_(ToUtf8(std::string(ErrorMessage(calculator_.GetEngine().ErrorCode))));
    return Outcome::kNotice;
  }
  Print(calculator_.Format().ShowAnswer(r.normalText));
  return Outcome::kSuccess;
}

Console::Outcome Console::RunDirective(const std::string& directive) {
  const std::string name = Lower(directive);
  auto numberAfter = [&](std::string_view prefix, int lo, int hi, int& n) {
    if (name.rfind(prefix, 0) != 0) return false;
    const std::string arg = Trim(name.substr(prefix.size()));
    auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), n);
    return ec == std::errc() && end == arg.data() + arg.size() && n >= lo && n <= hi &&
           name.size() > prefix.size() && name[prefix.size()] == ' ';
  };
  int n = 0;
  OutputFormat& format = calculator_.Format();
  if (name == ":deg") calculator_.SetAngleUnit(AngleUnit::kDegree);
  else if (name == ":rad") calculator_.SetAngleUnit(AngleUnit::kRadian);
  else if (name == ":gra") calculator_.SetAngleUnit(AngleUnit::kGradient);
  else if (name == ":vars") PrintVariables(VariablesShown(calculator_.GetEngine()));
  else if (name == ":tape") return PrintTape() ? Outcome::kSuccess : Outcome::kNotice;
  else if (name == ":clear") {
    ClearVariables(calculator_.GetEngine());
    out_("Variables were cleared");
  } else if (name == ":norm") Print(format.Normal());
  else if (numberAfter(":fix", 0, 9, n)) Print(*format.ChooseFromFixedMenu(n));
  else if (numberAfter(":sci", 1, 12, n)) Print(*format.ChooseFromScientificMenu(n - 1));
  else if (name == ":frac") Print(format.Toggle(OUT_FRAC));
  else if (name == ":dms") Print(format.Toggle(OUT_DMS));
  else if (name == ":bin") Print(format.Toggle(OUT_BIN));
  else if (name == ":hex") Print(format.Toggle(OUT_HEX));
  else if (name == ":date") Print(format.Toggle(OUT_DATE));
  else {
    err_("Unknown command: " + BytesToUtf8(directive));
    return Outcome::kUnknownCommand;
  }
  return Outcome::kSuccess;
}

}  // namespace tarvo
