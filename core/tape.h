// The tape: each entry the window calculated, with what its display or its
// message line showed for it, kept between runs in the state folder's
// "tape.txt" beside the variable files.
//
// The file is UTF-8 text: a comment line that names the columns, then one
// line a row, oldest first, its four fields separated by tabs:
//
//   2026-03-14T09:26:53.589Z <TAB> answer <TAB> 2sin²(30)+|-3| <TAB> 3.5
//
// the time the row was calculated (UTC, to the millisecond), its kind
// (answer, error or notice), the entry as the entry line showed it and the
// result as the display showed it, or the message. In the last two a
// backslash is written "\\" and a control character "\xHH", so that no
// field holds a tab or a line break. Lines that begin with "#" are
// comments; a line that is not a row (or not UTF-8) is passed over.
//
// The file keeps the newest kTapeRows rows in at most kTapeBytes bytes.
// A session saves the rows it added since it last saved, merged by time
// with the rows the file holds (which may include rows another session
// saved meanwhile), under the folder's lock and through a temporary that is
// renamed over the file, as the variable files are saved.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state_files.h"

namespace tarvo {

inline constexpr const char* kTapeFile = "tape.txt";
inline constexpr size_t kTapeRows = 1000;
// The longest file a tape is written as or read from: a longer one is read
// from its newest rows that fit, and a save drops the oldest rows until
// the rest fit.
inline constexpr size_t kTapeBytes = 1'000'000;

struct TapeRow {
  enum class Kind { kAnswer, kError, kNotice };
  std::int64_t time = 0;  // milliseconds since 1970-01-01 00:00 UTC
  Kind kind = Kind::kAnswer;
  std::string entry;  // as the entry line held it (Windows-1252 bytes)
  std::string shown;  // the result as the display showed it, or the message
  friend bool operator==(const TapeRow&, const TapeRow&) = default;
};

// The time now, as a row keeps it.
std::int64_t TapeTimeNow();

// "entry = shown": a row as the tape window lists it and the clipboard and
// tarvo-cli's ":tape" take it, on one line: a control character in either
// (a tab, a line break, an escape) shows as "\xHH".
std::string TapeLine(const TapeRow& row);

// The file's text for `rows` (oldest first): the newest rows that fit in
// kTapeBytes.
std::string EncodeTape(const std::vector<TapeRow>& rows);
// The rows of a file's text, oldest first, the newest kTapeRows of them.
// `damage` (when given) says why a line was passed over, the first reason
// found; it stays as it was when every line is a row.
std::vector<TapeRow> DecodeTape(std::string_view text, std::string* damage = nullptr);
// What a save writes: the rows of the file that are later than `clearedAt`
// (all of them without it) and the rows the session added, in order of
// time (the file's first where two times are equal), the newest kTapeRows.
std::vector<TapeRow> MergeTape(std::vector<TapeRow> file, const std::deque<TapeRow>& added,
                               std::optional<std::int64_t> clearedAt);

// Reads the tape of the state folder `dir` (tarvo-cli's ":tape"). A missing
// file (or folder) is an empty tape. A file that cannot be read at all, or
// only in part (longer than kTapeBytes, lines that are not rows), gives
// what could be read and a result that says why not all of it.
FileResult ReadTapeFile(const std::string& dir, std::vector<TapeRow>& rows, const LockWait& wait = {});

// The window's tape: the rows read at the start and those the session added.
class Tape {
 public:
  // Oldest first; at most kTapeRows.
  const std::deque<TapeRow>& Rows() const { return rows_; }

  // A new row at the newest end; its time is made later than the row's
  // before it, so that this session's rows keep their order in a merge.
  const TapeRow& Add(TapeRow row);
  // Empties the tape; the next save empties the file of every row up to
  // `now` as well.
  void Clear(std::int64_t now);
  // Whether the next save has anything to write.
  bool Changed() const { return !added_.empty() || clearedAt_.has_value(); }

  // The rows of `dir`'s tape in place of those held (none when `dir` is
  // empty); see ReadTapeFile.
  FileResult Load(const std::string& dir, const LockWait& wait = {});
  // Writes the rows added since the last save and a Clear into the tape of
  // `dir` (nothing when empty or unchanged). A file that cannot be read is
  // not overwritten; one read in part is written with what could be read.
  // It may be tried again after a failure.
  SaveResult Save(const std::string& dir, const LockWait& wait = {});

 private:
  std::deque<TapeRow> rows_;
  std::deque<TapeRow> added_;  // since the last save, the newest kTapeRows
  std::optional<std::int64_t> clearedAt_;
  std::int64_t lastTime_ = 0;
};

}  // namespace tarvo
