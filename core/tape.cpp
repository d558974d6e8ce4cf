#include "core/tape.h"

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <utility>

#include "core/entry_encoding.h"
#include "core/folder_io.h"

namespace tarvo {
namespace {

using namespace folder_io;
using Kind = TapeRow::Kind;

constexpr std::string_view kHeader = "# Tarvo tape: time (UTC), kind, entry, result or message; tab-separated\n";

constexpr std::array<std::pair<Kind, std::string_view>, 3> kKinds = {
    {{Kind::kAnswer, "answer"}, {Kind::kError, "error"}, {Kind::kNotice, "notice"}}};

// Why a file was not read whole, as the window's message line goes on
// "The tape could not be read: ..." and tarvo-cli's ":tape" on "Error:
// cannot read FILE: ...".
constexpr const char* kTooLong = "it is longer than 1 MB: only its newest 1 MB is read";

// Why a line is no row, after "line N" or "lines N, M".
enum class Problem { kNone, kNotUtf8, kFields, kTime, kKind, kEscape };
struct ProblemText {
  Problem problem;
  const char* one;
  const char* many;
};
constexpr ProblemText kProblems[] = {
    {Problem::kNotUtf8, "is not UTF-8 text", "are not UTF-8 text"},
    {Problem::kFields, "has fewer than four tab-separated fields", "have fewer than four tab-separated fields"},
    {Problem::kTime, "has no time a row can have", "have no time a row can have"},
    {Problem::kKind, "has a kind other than answer, error or notice", "have a kind other than answer, error or notice"},
    {Problem::kEscape, "has a backslash that starts no escape", "have a backslash that starts no escape"},
};
// Line numbers named for one reason; more are counted.
constexpr size_t kNumbersNamed = 5;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The times a row can be written with: years 0000 to 9999.
constexpr std::int64_t kFirstTime = -62167219200000, kLastTime = 253402300799999;

void AppendTime(std::string& out, std::int64_t ms) {
  using namespace std::chrono;
  const sys_time<milliseconds> t{milliseconds(std::clamp(ms, kFirstTime, kLastTime))};
  const sys_days day = floor<days>(t);
  const year_month_day date(day);
  const hh_mm_ss<milliseconds> clock(t - day);
  char text[96];  // room for any int the compiler cannot rule out
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
  out += text;
}

bool ParseTime(std::string_view s, std::int64_t& ms) {
  using namespace std::chrono;
  constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd.dddZ";
  if (s.size() != kShape.size()) return false;
  for (size_t i = 0; i < s.size(); ++i)
    if (kShape[i] == 'd' ? s[i] < '0' || s[i] > '9' : s[i] != kShape[i]) return false;
  const auto number = [s](size_t at, size_t digits) {
    int n = 0;
    for (size_t i = at; i < at + digits; ++i) n = n * 10 + (s[i] - '0');
    return n;
  };
  const year_month_day date{year(number(0, 4)), month(static_cast<unsigned>(number(5, 2))),
                            day(static_cast<unsigned>(number(8, 2)))};
  const int h = number(11, 2), m = number(14, 2), sec = number(17, 2);
  if (!date.ok() || h > 23 || m > 59 || sec > 59) return false;
  ms = duration_cast<milliseconds>(sys_days(date).time_since_epoch() + hours(h) + minutes(m) + seconds(sec))
           .count() +
       number(20, 3);
  return true;
}

void AppendEscaped(std::string& out, unsigned char u) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[u >> 4];
  out += kHex[u & 15];
}

// A field's bytes as UTF-8 with the backslash and control characters escaped.
void AppendField(std::string& out, std::string_view bytes) {
  for (const char c : BytesToUtf8(bytes)) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\') out += "\\\\";
    else if (u < 0x20 || u == 0x7F) AppendEscaped(out, u);
    else out += c;
  }
}

// A field's bytes as a line shows them: a control character escaped as in
// the file, so that a row stays one line and no terminal acts on it.
std::string OnOneLine(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    if (IsControlByte(static_cast<unsigned char>(c))) AppendEscaped(out, static_cast<unsigned char>(c));
    else out += c;
  }
  return out;
}

// A field as AppendField wrote it, or as an editor may have changed it
// ("\x0a" for "\x0A"); an escape of anything AppendField does not escape is
// none.
bool ParseField(std::string_view field, std::string& bytes) {
  if (field.find('\\') == std::string_view::npos) {  // nothing escaped
    bytes = Utf8ToBytes(field);
    return true;
  }
  std::string utf8;
  utf8.reserve(field.size());
  const auto hex = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      utf8 += field[i];
    } else if (i + 1 < field.size() && field[i + 1] == '\\') {
      utf8 += '\\', ++i;
    } else if (i + 3 < field.size() && field[i + 1] == 'x') {
      const int high = hex(field[i + 2]), low = hex(field[i + 3]);
      const int code = high < 0 || low < 0 ? -1 : high * 16 + low;
      if ((code < 0 || code >= 0x20) && code != 0x7F) return false;  // only what AppendField escapes
      utf8 += static_cast<char>(code);
      i += 3;
    } else {
      return false;
    }
  }
  bytes = Utf8ToBytes(utf8);
  return true;
}

// A line of the file (without its line end) as a row. The result is the
// rest of the line after the third tab: a tab an editor put there is part
// of it.
Problem ParseRow(std::string_view line, TapeRow& row) {
  if (!IsUtf8(line)) return Problem::kNotUtf8;
  std::array<std::string_view, 4> fields;
  for (size_t i = 0, at = 0; i < fields.size(); ++i) {
    const size_t tab = i + 1 < fields.size() ? line.find('\t', at) : line.size();
    if (tab == std::string_view::npos) return Problem::kFields;
    fields[i] = line.substr(at, tab - at);
    at = tab + 1;
  }
  if (!ParseTime(fields[0], row.time)) return Problem::kTime;
  const auto* kind = std::find_if(kKinds.begin(), kKinds.end(), [&](const auto& k) { return k.second == fields[1]; });
  if (kind == kKinds.end()) return Problem::kKind;
  row.kind = kind->first;
  return ParseField(fields[2], row.entry) && ParseField(fields[3], row.shown) ? Problem::kNone : Problem::kEscape;
}

std::string EncodeRow(const TapeRow& row) {
  std::string line;
  AppendTime(line, row.time);
  line += '\t';
  line += std::find_if(kKinds.begin(), kKinds.end(), [&](const auto& k) { return k.first == row.kind; })->second;
  line += '\t';
  AppendField(line, row.entry);
  line += '\t';
  AppendField(line, row.shown);
  return line;
}

// One line of a file's text as it stands (without its "\n"), read as a row
// where it is one.
struct Line {
  std::string_view text;
  bool isRow = false;
  TapeRow row;
};

// The lines of a file's text that a save keeps: every line but blank ones
// and the header (a save writes its own); a byte-order mark at the start is
// passed over. `problems` (when given) receives each line that is no row,
// by its number, comments aside.
std::vector<Line> ReadLines(std::string_view text, std::vector<std::pair<size_t, Problem>>* problems = nullptr) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::vector<Line> lines;
  for (size_t number = 1; !text.empty(); ++number) {
    const size_t end = std::min(text.find('\n'), text.size());
    Line line;
    line.text = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    std::string_view bare = line.text;
    if (bare.ends_with('\r')) bare.remove_suffix(1);  // CR LF
    if (bare.empty() || bare == kHeader.substr(0, kHeader.size() - 1)) continue;
    if (bare.front() != '#') {
      const Problem problem = ParseRow(bare, line.row);
      line.isRow = problem == Problem::kNone;
      if (!line.isRow && problems != nullptr) problems->emplace_back(number, problem);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Every reason why lines are no rows, each with the lines' numbers:
// "line 3 is not UTF-8 text; lines 5 and 9 have a kind other than ...".
std::string Describe(const std::vector<std::pair<size_t, Problem>>& problems) {
  std::string out;
  for (const ProblemText& kind : kProblems) {
    std::vector<size_t> numbers;
    for (const auto& [number, problem] : problems)
      if (problem == kind.problem) numbers.push_back(number);
    if (numbers.empty()) continue;
    if (!out.empty()) out += "; ";
    out += numbers.size() == 1 ? "line " : "lines ";
    const size_t named = std::min(numbers.size(), kNumbersNamed);
    for (size_t i = 0; i < named; ++i) {
      if (i > 0) out += i + 1 == named && named == numbers.size() ? " and " : ", ";
      out += std::to_string(numbers[i]);
    }
    if (named < numbers.size()) out += " and " + std::to_string(numbers.size() - named) + " more";
    out += ' ';
    out += numbers.size() == 1 ? kind.one : kind.many;
  }
  if (!out.empty()) out += " (such lines are kept as they stand)";
  return out;
}

void AddReason(std::string& damage, const std::string& reason) {
  if (reason.empty()) return;
  if (!damage.empty()) damage += "; ";
  damage += reason;
}

// A located tape file's text: its last kTapeBytes when it is longer, from
// the first line that starts there (`whole` false, and `damage` says so).
FileResult ReadText(const StateFile& file, std::string& text, bool& whole, std::string& damage) {
  text.clear();
  whole = true;
  if (!file.exists) return {};
  const auto size = static_cast<size_t>(std::max<off_t>(file.status.st_size, 0));
  whole = size <= kTapeBytes;
  // One byte before the part kept tells whether it starts a line.
  const off_t from = whole ? 0 : static_cast<off_t>(size - kTapeBytes - 1);
  text.assign(whole ? size : kTapeBytes + 1, '\0');
  size_t got = 0;
  const FileResult r = ReadStart(file, reinterpret_cast<unsigned char*>(text.data()), text.size(), got, from);
  if (!r.ok) return text.clear(), r;
  text.resize(got);
  if (!whole) {
    AddReason(damage, kTooLong);
    text.erase(0, std::min(text.find('\n'), text.size() - 1) + 1);
  }
  return {};
}

// A line as a save writes it.
void AppendLine(std::string& out, std::string_view line) {
  out += line;
  out += '\n';
}

// Where no new file can be made beside the tape: the text written over the
// file from its first byte, the room for a longer one taken first, so that
// a full disk refuses it before anything changes. `old` is the file's whole
// text; it goes back where a step fails.
FileResult RewriteInPlace(const StateFile& file, std::string_view old, std::string_view text, const FileResult& refusal) {
  if (!file.exists) return refusal;
  Fd fd(openat(file.folder.get(), file.name.c_str(), O_WRONLY | kOpenFlags));
  struct stat st {};
  if (!fd) return Failure(file.shown, errno);
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Failure(file.shown, "it is not a regular file");
  if (st.st_size != static_cast<off_t>(old.size())) return refusal;  // changed since it was read
  if (text.size() > old.size() && fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(text.size())) != 0)
    return errno == EOPNOTSUPP ? refusal : Failure(file.shown, errno);
  const auto overwrite = [&](std::string_view bytes) {
    FileResult r = WriteAll(fd.get(), file.shown, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0);
    if (r.ok && ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0) r = Failure(file.shown, errno);
    if (r.ok && fsync(fd.get()) != 0) r = Failure(file.shown, errno);
    return r;
  };
  FileResult r = overwrite(text);
  if (!r.ok && !overwrite(old).ok) r.reason += "; it could not be put back as it was and may hold part of the new rows";
  return r;
}

// The tape file of `dir`, read without the folder's lock: a save replaces
// it whole, so what is read is what one save or another left (only a
// rewrite in place on a full disk could be seen half done).
void ReadUnlocked(const std::string& dir, std::string& text) {
  text.clear();
  const Fd folder(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  StateFile file;
  bool whole = true;
  std::string damage;
  if (folder && Locate(folder.get(), Shown(dir, kTapeFile), kTapeFile, file).ok) (void)ReadText(file, text, whole, damage);
}

}  // namespace

std::int64_t TapeTimeNow() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string TapeLine(const TapeRow& row) { return OnOneLine(row.entry) + " = " + OnOneLine(row.shown); }

std::string EncodeTape(const std::vector<TapeRow>& rows) { return MergeTape({}, {rows.begin(), rows.end()}, {}); }

std::vector<TapeRow> DecodeTape(std::string_view text, std::string* damage) {
  std::vector<std::pair<size_t, Problem>> problems;
  std::vector<TapeRow> rows;
  for (Line& line : ReadLines(text, &problems))
    if (line.isRow) rows.push_back(std::move(line.row));
  if (rows.size() > kTapeRows) rows.erase(rows.begin(), rows.end() - kTapeRows);
  if (damage != nullptr) AddReason(*damage, Describe(problems));
  return rows;
}

std::string MergeTape(std::string_view file, const std::deque<TapeRow>& added, const std::set<std::string>& cleared) {
  std::vector<Line> lines = ReadLines(file);
  std::erase_if(lines, [&](const Line& line) { return cleared.contains(std::string(line.text)); });
  std::vector<std::string> encoded;  // the added rows' lines
  encoded.reserve(added.size());
  for (const TapeRow& row : added) encoded.push_back(EncodeRow(row));
  // The order written: the file's lines, each added row before the first
  // later row of the file.
  std::vector<std::pair<std::string_view, bool>> merged;  // a line, and whether it is a row
  merged.reserve(lines.size() + added.size());
  size_t next = 0;
  for (const Line& line : lines) {
    for (; line.isRow && next < added.size() && added[next].time < line.row.time; ++next)
      merged.emplace_back(encoded[next], true);
    merged.emplace_back(line.text, line.isRow);
  }
  for (; next < added.size(); ++next) merged.emplace_back(encoded[next], true);
  // The newest lines that fit, no more than kTapeRows rows among them.
  size_t first = merged.size(), bytes = kHeader.size(), rows = 0;
  for (; first > 0; --first) {
    const auto& [line, isRow] = merged[first - 1];
    if ((isRow && rows == kTapeRows) || bytes + line.size() + 1 > kTapeBytes) break;
    bytes += line.size() + 1;
    rows += isRow ? 1 : 0;
  }
  std::string text;
  text.reserve(bytes);
  text += kHeader;
  for (size_t i = first; i < merged.size(); ++i) AppendLine(text, merged[i].first);
  return text;
}

FileResult ReadTapeFile(const std::string& dir, std::vector<TapeRow>& rows, const FolderLocking& locking) {
  rows.clear();
  const std::string shown = Shown(dir, kTapeFile);
  FolderInUse use;
  FileResult r = UseFolder(dir, LOCK_SH, locking, shown, use);
  if (!r.ok || !use.folder) return r;  // no folder yet: no tape
  StateFile tape;
  std::string text, damage;
  bool whole = true;
  r = Locate(use.folder.get(), shown, kTapeFile, tape);
  if (r.ok) r = ReadText(tape, text, whole, damage);
  if (!r.ok) return r;
  rows = DecodeTape(text, &damage);
  return damage.empty() ? FileResult{} : Failure(shown, damage);
}

const TapeRow& Tape::Add(TapeRow row) {
  lines_.push_back(EncodeRow(row));
  rows_.push_back(row);
  if (rows_.size() > kTapeRows) rows_.pop_front(), lines_.pop_front();
  added_.push_back(std::move(row));
  if (added_.size() > kTapeRows) added_.pop_front();
  return rows_.back();
}

SaveResult Tape::Clear(const std::string& dir, const FolderLocking& locking) {
  // What this session shows and has saved leaves the file, whatever else a
  // save finds there; what it has not saved yet is simply dropped.
  const size_t saved = rows_.size() - std::min(added_.size(), rows_.size());
  cleared_.insert(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(saved));
  rows_.clear();
  lines_.clear();
  added_.clear();
  if (dir.empty()) return {};
  const SaveResult r = Write(dir, locking, true);
  if (r.busy) {
    // Another session is saving: what the file holds now goes at the next
    // save, which may come after that session added rows of its own.
    std::string text;
    ReadUnlocked(dir, text);
    for (const Line& line : ReadLines(text)) cleared_.insert(std::string(line.text));
  }
  return r;
}

FileResult Tape::Load(const std::string& dir, const FolderLocking& locking) {
  FileResult r;
  std::string text, damage;
  bool whole = true;
  if (!dir.empty()) {
    const std::string shown = Shown(dir, kTapeFile);
    FolderInUse use;
    r = UseFolder(dir, LOCK_SH, locking, shown, use);
    if (r.busy) return r;
    StateFile tape;
    if (r.ok && use.folder) r = Locate(use.folder.get(), shown, kTapeFile, tape);
    if (r.ok && use.folder) r = ReadText(tape, text, whole, damage);
  }
  rows_.clear();
  lines_.clear();
  std::vector<std::pair<size_t, Problem>> problems;
  for (Line& line : ReadLines(text, &problems)) {
    if (!line.isRow) continue;
    rows_.push_back(std::move(line.row));
    lines_.emplace_back(line.text);
  }
  while (rows_.size() > kTapeRows) rows_.pop_front(), lines_.pop_front();
  added_.clear();
  cleared_.clear();
  AddReason(damage, Describe(problems));
  if (r.ok && !damage.empty()) r = Failure(Shown(dir, kTapeFile), damage);
  return r;
}

SaveResult Tape::Save(const std::string& dir, const FolderLocking& locking) { return Write(dir, locking, false); }

SaveResult Tape::Write(const std::string& dir, const FolderLocking& locking, bool emptyFile) {
  if (dir.empty() || (!emptyFile && !Changed())) return {};
  const std::string shown = Shown(dir, kTapeFile);
  FolderInUse use;
  FileResult r = UseFolder(dir, LOCK_EX, locking, shown, use);
  if (r.ok && !use.folder) r = Failure(shown, ENOENT);
  if (!r.ok) return r;
  StateFile tape, values;
  r = Locate(use.folder.get(), shown, kTapeFile, tape);
  if (!r.ok) return r;
  // A new tape takes the access of the values beside it.
  (void)Locate(use.folder.get(), Shown(dir, kValueFile), kValueFile, values);
  std::string old, damage;
  bool whole = true;
  r = ReadText(tape, old, whole, damage);
  if (!r.ok) return r;  // a file that cannot be read is never overwritten
  if (emptyFile)
    for (const Line& line : ReadLines(old)) cleared_.insert(std::string(line.text));
  const std::string text = MergeTape(old, added_, cleared_);
  Temporary temporary;
  bool refused = false;
  r = temporary.Write(tape, ValuesLike(tape, values), reinterpret_cast<const unsigned char*>(text.data()),
                      text.size(), refused);
  if (r.ok) r = temporary.RenameOver(tape);
  else if (refused && whole) r = RewriteInPlace(tape, old, text, r);
  if (!r.ok) return r;
  fsync(tape.folder.get());
  added_.clear();
  cleared_.clear();
  RemoveStaleTemporaries(use.folder.get(), {kTapeFile});
  return {};
}

}  // namespace tarvo
