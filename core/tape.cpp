#include "core/tape.h"

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
// "The tape could not be read: ...".
constexpr const char* kTooLong = "it is longer than 1 MB";
constexpr const char* kNotUtf8 = "some of it is not UTF-8 text";
constexpr const char* kNotRows = "some of its lines are no rows of a tape";

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

bool ParseField(std::string_view field, std::string& bytes) {
  if (field.find('\\') == std::string_view::npos) {  // nothing escaped
    bytes = Utf8ToBytes(field);
    return true;
  }
  std::string utf8;
  utf8.reserve(field.size());
  const auto hex = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; };
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

bool ParseRow(std::string_view line, TapeRow& row) {
  std::array<std::string_view, 4> fields;
  size_t count = 0;
  for (size_t at = 0;;) {
    const size_t tab = line.find('\t', at);
    if (count == fields.size()) return false;
    fields[count++] = line.substr(at, tab == std::string_view::npos ? tab : tab - at);
    if (tab == std::string_view::npos) break;
    at = tab + 1;
  }
  if (count != fields.size()) return false;
  const auto* kind = std::find_if(kKinds.begin(), kKinds.end(), [&](const auto& k) { return k.second == fields[1]; });
  if (kind == kKinds.end()) return false;
  row.kind = kind->first;
  return ParseTime(fields[0], row.time) && ParseField(fields[2], row.entry) && ParseField(fields[3], row.shown);
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
  line += '\n';
  return line;
}

// The rows of a located tape file: its last kTapeBytes when it is longer,
// from the first line that starts there.
FileResult ReadRows(const StateFile& file, std::vector<TapeRow>& rows, std::string& damage) {
  rows.clear();
  if (!file.exists) return {};
  const auto size = static_cast<size_t>(std::max<off_t>(file.status.st_size, 0));
  const bool tooLong = size > kTapeBytes;
  // One byte before the part kept tells whether it starts a line.
  const off_t from = tooLong ? static_cast<off_t>(size - kTapeBytes - 1) : 0;
  std::string text(tooLong ? kTapeBytes + 1 : size, '\0');
  size_t got = 0;
  const FileResult r = ReadStart(file, reinterpret_cast<unsigned char*>(text.data()), text.size(), got, from);
  if (!r.ok) return r;
  std::string_view view(text.data(), got);
  if (tooLong) {
    damage = kTooLong;
    view.remove_prefix(std::min(view.find('\n'), view.size() - 1) + 1);
  }
  rows = DecodeTape(view, &damage);
  return {};
}

Fd OpenFolder(const std::string& dir) { return Fd(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); }

}  // namespace

std::int64_t TapeTimeNow() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string TapeLine(const TapeRow& row) { return OnOneLine(row.entry) + " = " + OnOneLine(row.shown); }

std::string EncodeTape(const std::vector<TapeRow>& rows) {
  std::vector<std::string> lines;
  size_t bytes = kHeader.size(), first = rows.size();
  for (; first > 0; --first) {
    std::string line = EncodeRow(rows[first - 1]);
    if (bytes + line.size() > kTapeBytes) break;
    bytes += line.size();
    lines.push_back(std::move(line));
  }
  std::string text;
  text.reserve(bytes);
  text += kHeader;
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) text += *line;
  return text;
}

std::vector<TapeRow> DecodeTape(std::string_view text, std::string* damage) {
  std::vector<TapeRow> rows;
  const auto note = [damage](const char* why) {
    if (damage != nullptr && damage->empty()) *damage = why;
  };
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    TapeRow row;
    if (!IsUtf8(line)) note(kNotUtf8);
    else if (!ParseRow(line, row)) note(kNotRows);
    else rows.push_back(std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const TapeRow& a, const TapeRow& b) { return a.time < b.time; });
  if (rows.size() > kTapeRows) rows.erase(rows.begin(), rows.end() - kTapeRows);
  return rows;
}

std::vector<TapeRow> MergeTape(std::vector<TapeRow> file, const std::deque<TapeRow>& added,
                               std::optional<std::int64_t> clearedAt) {
  if (clearedAt)
    std::erase_if(file, [&](const TapeRow& row) { return row.time <= *clearedAt; });
  std::vector<TapeRow> rows;
  rows.reserve(file.size() + added.size());
  std::merge(std::make_move_iterator(file.begin()), std::make_move_iterator(file.end()), added.begin(), added.end(),
             std::back_inserter(rows), [](const TapeRow& a, const TapeRow& b) { return a.time < b.time; });
  if (rows.size() > kTapeRows) rows.erase(rows.begin(), rows.end() - kTapeRows);
  return rows;
}

FileResult ReadTapeFile(const std::string& dir, std::vector<TapeRow>& rows, const LockWait& wait) {
  rows.clear();
  const std::string shown = Shown(dir, kTapeFile);
  const Fd folder = OpenFolder(dir);
  if (!folder) return errno == ENOENT ? FileResult{} : Failure(shown, errno);  // no folder yet: no tape
  FileResult r;
  const Fd lock = LockFolder(folder.get(), LOCK_SH, wait, r, FolderShown(dir));
  if (!lock) return r;
  StateFile tape;
  std::string damage;
  r = Locate(folder.get(), shown, kTapeFile, tape);
  if (r.ok) r = ReadRows(tape, rows, damage);
  if (r.ok && !damage.empty()) r = Failure(shown, damage);
  return r;
}

const TapeRow& Tape::Add(TapeRow row) {
  row.time = lastTime_ = std::max(row.time, lastTime_ + 1);
  rows_.push_back(row);
  if (rows_.size() > kTapeRows) rows_.pop_front();
  added_.push_back(std::move(row));
  if (added_.size() > kTapeRows) added_.pop_front();
  return rows_.back();
}

void Tape::Clear(std::int64_t now) {
  rows_.clear();
  added_.clear();
  clearedAt_ = lastTime_ = std::max(now, lastTime_);
}

FileResult Tape::Load(const std::string& dir, const LockWait& wait) {
  std::vector<TapeRow> rows;
  const FileResult r = dir.empty() ? FileResult{} : ReadTapeFile(dir, rows, wait);
  if (r.busy) return r;
  rows_.assign(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  added_.clear();
  clearedAt_.reset();
  lastTime_ = rows_.empty() ? 0 : rows_.back().time;
  return r;
}

SaveResult Tape::Save(const std::string& dir, const LockWait& wait) {
  if (dir.empty() || !Changed()) return {};
  const std::string shown = Shown(dir, kTapeFile);
  const Fd folder = OpenFolder(dir);
  if (!folder) return Failure(shown, errno);
  FileResult r;
  const Fd lock = LockFolder(folder.get(), LOCK_EX, wait, r, FolderShown(dir));
  if (!lock) return r;
  StateFile tape, values;
  r = Locate(folder.get(), shown, kTapeFile, tape);
  if (!r.ok) return r;
  // A new tape takes the access of the values beside it.
  (void)Locate(folder.get(), Shown(dir, kValueFile), kValueFile, values);
  std::vector<TapeRow> file;
  std::string damage;  // what cannot be read of the file is not kept
  r = ReadRows(tape, file, damage);
  if (!r.ok) return r;
  const std::string text = EncodeTape(MergeTape(std::move(file), added_, clearedAt_));
  Temporary temporary;
  bool refused = false;
  r = temporary.Write(tape, ValuesLike(tape, values), reinterpret_cast<const unsigned char*>(text.data()),
                      text.size(), refused);
  if (r.ok) r = temporary.RenameOver(tape);
  if (!r.ok) return r;
  fsync(tape.folder.get());
  added_.clear();
  clearedAt_.reset();
  RemoveStaleTemporaries(folder.get(), {kTapeFile});
  return {};
}

}  // namespace tarvo
