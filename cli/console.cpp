#include "cli/console.h"

#include <charconv>
#include <vector>

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
  calculator_.ForgetComplexPair();
}

bool Console::PrintTape() {
  std::vector<TapeRow> rows;
  const FileResult r = stateDir_.empty() ? FileResult{} : ReadTapeFile(stateDir_, rows, {wait_, held_});
  for (const TapeRow& row : rows) out_(ToUtf8(TapeLine(row)));
  if (!r.ok && !r.busy) err_("Error: cannot read " + r.file + ": " + r.reason);
  return r.ok;
}

void Console::Print(const AnswerView& view) { out_(IsAscii(view.plain) ? view.plain : BytesToUtf8(view.plain)); }

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
    out_(ToUtf8(std::string(ErrorMessage(r.error))));
    return Outcome::kNotice;
  }
  Print(r.view);
  return Outcome::kSuccess;
}

namespace {

// The format whose directive `name` (lower-cased) gives: the whole of it,
// or for a counted format its start, before a blank.
const FormatRow* FormatOfDirective(std::string_view name) {
  for (const FormatRow& row : FormatTable()) {
    if (row.kind != FormatKind::kCounted ? name == row.directive
                                         : name.starts_with(row.directive) && name.size() > row.directive.size() &&
                                               name[row.directive.size()] == ' ')
      return &row;
  }
  return nullptr;
}

}  // namespace

Console::Outcome Console::RunDirective(const std::string& directive) {
  const std::string name = Lower(directive);
  auto numberAfter = [&](std::string_view prefix, int lo, int hi, int& n) {
    if (name.rfind(prefix, 0) != 0) return false;
    const std::string arg = Trim(name.substr(prefix.size()));
    auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), n);
    return ec == std::errc() && end == arg.data() + arg.size() && n >= lo && n <= hi &&
           name.size() > prefix.size() && name[prefix.size()] == ' ';
  };
  if (name == ":deg") calculator_.SetAngleUnit(AngleUnit::kDegree);
  else if (name == ":rad") calculator_.SetAngleUnit(AngleUnit::kRadian);
  else if (name == ":gra") calculator_.SetAngleUnit(AngleUnit::kGradient);
  else if (name == ":vars") PrintVariables(calculator_.Variables());
  else if (name == ":tape") return PrintTape() ? Outcome::kSuccess : Outcome::kNotice;
  else if (name == ":clear") {
    calculator_.ClearVariables();
    out_("Variables were cleared");
  } else if (const FormatRow* row = FormatOfDirective(name); row == nullptr) {
    return Unknown(directive);
  } else if (row->kind != FormatKind::kCounted) {
    Print(calculator_.ShowFormat(row->mode));
  } else {
    // A count from the format's menu, as its key would choose it.
    int n = 0;
    if (!numberAfter(row->directive, row->counts.first, row->counts.last, n)) return Unknown(directive);
    Print(*calculator_.ChooseFromFormatMenu(row->mode, n - row->counts.first));
  }
  return Outcome::kSuccess;
}

Console::Outcome Console::Unknown(const std::string& directive) {
  err_("Unknown command: " + BytesToUtf8(directive));
  return Outcome::kUnknownCommand;
}

std::string Console::DirectivesHelp(size_t width) {
  std::vector<std::string> words = {"Lines", "starting", "with", "':'", "are", "directives:", ":deg", ":rad", ":gra"};
  for (const FormatRow& row : FormatTable())
    words.push_back(std::string(row.directive) + (row.kind == FormatKind::kCounted ? " N" : ""));
  for (const char* word : {":vars", ":clear,", "and", ":tape,", "which", "prints", "the", "tape", "of", "entries",
                           "and", "results", "that", "the", "window", "keeps", "in", "the", "state", "folder"})
    words.push_back(word);
  std::string text, line;
  for (const std::string& word : words) {
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      text += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return text + line + "\n";
}

}  // namespace tarvo
