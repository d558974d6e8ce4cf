#include "ui/logic/console.h"

#include <charconv>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/state.h"
#include "output/draw.h"
#include "ui/logic/symbols.h"
#include "ui/logic/varlist.h"

namespace tarvo {

Console::Console(Engine& engine, std::function<void(const std::string&)> out,
                 std::function<void(const std::string&)> err)
    : out_(std::move(out)), err_(std::move(err)), engine_(engine), form_(*this, engine) {}

bool Console::Start(const std::string& stateDir) {
  StartEngine(engine_);
  const FileResult r = form_.StartSession(stateDir);
  if (!r.ok) err_("Error: cannot read " + r.file + ": " + r.reason);
  return r.ok;
}

bool Console::Finish(const std::string& stateDir) {
  const SaveResult r = form_.EndSession(stateDir);
  if (!r.ok) err_("Error: cannot save " + r.file + ": " + r.reason);
  return r.ok;
}

void Console::SetEntryText(const std::string& text) { SetEntryText(std::string(text)); }

void Console::SetEntryText(std::string&& text) {
  entry_ = std::move(text);
  selStart_ = static_cast<int>(entry_.size());
  selLength_ = 0;
}

void Console::SetSelection(int start, int length) {
  selStart_ = start;
  selLength_ = length;
}

int Console::PopupMenu(const std::vector<MenuEntry>&) {
  const int choice = nextMenuChoice_;
  nextMenuChoice_ = -1;
  return choice;
}

void Console::ShowVariableList() {
  // The list window: rows while it is open, the complex pair dropped when it closes.
  form_.ListMode = 1;
  PrintRows();
  engine_.ComplexMarker = 0;
}

void Console::ReportSelfCheck(const std::string& text, bool) { err_(BytesToUtf8(text)); }

void Console::PrintRows() {
  for (const std::string& row : VariableListRows(engine_, form_.ListMode)) out_(BytesToUtf8(row));
}

namespace {

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (Code(c) >= 0x80) return false;
  return true;
}

// ASCII is the same in UTF-8 and Windows-1252: most lines need no conversion.
std::string ToBytes(const std::string& utf8) { return IsAscii(utf8) ? utf8 : Utf8ToBytes(utf8); }
std::string ToUtf8(std::string bytes) { return IsAscii(bytes) ? bytes : BytesToUtf8(bytes); }

}  // namespace

void Console::PrintDisplay() {
  PlainResultText(display_, line_);
  out_(IsAscii(line_) ? line_ : BytesToUtf8(line_));
}

Console::Outcome Console::Run(const std::string& line) {
  std::string bytes = ToBytes(line);
  // A line over the entry-length limit goes to the cycle, which refuses it,
  // whatever it holds (only blanks, or a directive).
  if (bytes.size() <= static_cast<size_t>(kMaxEntryLength)) {
    const size_t first = bytes.find_first_not_of(' ');
    if (first == std::string::npos) return Outcome::kNothing;
    if (bytes[first] == ':') return RunDirective(Trim(bytes));
  }

  // What the keyboard rules of the entry line make of typed characters.
  for (char& c : bytes) c = static_cast<char>(TypedCharacter(Code(c)));
  SetEntryText(std::move(bytes));
  form_.ExecuteKey();
  if (engine_.ErrorCode != 0) {
    out_(ToUtf8(RTrim(upperMessage_)));
    return Outcome::kNotice;
  }
  PrintDisplay();
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
  if (name == ":deg") form_.AngleUnitKey(kKeyDeg);
  else if (name == ":rad") form_.AngleUnitKey(kKeyRad);
  else if (name == ":gra") form_.AngleUnitKey(kKeyGra);
  else if (name == ":vars") ShowVariableList();
  else if (name == ":clear") {
    form_.ClearVariablesKey();
    out_(BytesToUtf8(Trim(upperMessage_)));
  } else if (name == ":norm") { form_.NormalFormatKey(); PrintDisplay(); }
  else if (numberAfter(":fix", 0, 9, n)) { nextMenuChoice_ = n; form_.FixedFormatKey(); PrintDisplay(); }
  else if (numberAfter(":sci", 1, 12, n)) { nextMenuChoice_ = n - 1; form_.ScientificFormatKey(); PrintDisplay(); }
  else if (name == ":frac") { form_.FractionFormatKey(); PrintDisplay(); }
  else if (name == ":dms") { form_.SexagesimalFormatKey(); PrintDisplay(); }
  else if (name == ":bin") { form_.BinaryFormatKey(); PrintDisplay(); }
  else if (name == ":hex") { form_.HexadecimalFormatKey(); PrintDisplay(); }
  else if (name == ":date") { form_.DateFormatKey(); PrintDisplay(); }
  else {
    err_("Unknown command: " + BytesToUtf8(directive));
    return Outcome::kUnknownCommand;
  }
  return Outcome::kSuccess;
}

}  // namespace tarvo
