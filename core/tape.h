// The tape: each entry the window calculated, with what its display or its
// message line showed for it, kept between runs in the state folder's
// "tape.txt" beside the variable files.
//
// The file is UTF-8 text: a comment line that names the columns, then one
// line a row, oldest first, its four fields separated by tabs:
//
//   2026-03-14T09:26:53.589Z <TAB> answer <TAB> 2sin²(30)+|-3| <TAB> 3.5
//
// the time the row was calculated (UTC, to the millisecond, by the clock of
// the machine that calculated it), its kind (answer, error or notice), the
// entry as the entry line showed it and the result as the display showed
// it, or the message. In the last two a backslash is written "\\" and a
// control character "\xHH", so that no field holds a tab or a line break.
// Reading takes what an editor may make of that as well: a byte-order mark,
// CR LF line ends, "\xhh" in small letters, tabs in the result. Lines that
// begin with "#" are comments.
//
// A save keeps every line of the file as it stands, rows and lines that are
// no rows alike (a comment, a line that is not UTF-8): it only adds the
// session's new rows in order of time and, after a Clear, leaves out the
// lines the file held at that moment. The file keeps its newest kTapeRows
// rows in at most kTapeBytes bytes. Saves happen under the folder's lock,
// through a temporary that is renamed over the file, as the variable files
// are saved; where no new file can be made (a full disk, a folder without
// write access), the file is rewritten in place.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/state_files.h"

namespace tarvo {

inline constexpr const char* kTapeFile = "tape.txt";
inline constexpr size_t kTapeRows = 1000;
// The longest file a tape is written as or read from: a longer one is read
// from its newest rows that fit, and a save drops the oldest lines until
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

// The time a row is stamped with: this machine's clock, in milliseconds
// since 1970-01-01 00:00 UTC. The window's logic takes another (a test's).
using TapeClock = std::function<std::int64_t()>;
std::int64_t TapeTimeNow();

// "entry = shown": a row as the tape window lists it and the clipboard and
// tarvo-cli's ":tape" take it, on one line: a control character in either
// (a tab, a line break, an escape) shows as "\xHH".
std::string TapeLine(const TapeRow& row);

// The file's text for `rows` (oldest first): the newest rows that fit in
// kTapeBytes.
std::string EncodeTape(const std::vector<TapeRow>& rows);
// The rows of a file's text, in the file's order, the newest (last)
// kTapeRows of them. `damage` (when given) receives every reason why a
// line is no row, with the lines' numbers; it stays as it was when every
// line is a row.
std::vector<TapeRow> DecodeTape(std::string_view text, std::string* damage = nullptr);

// What a save writes over the file's text `file`: each of its lines as it
// stands, but those in `cleared` (and blank lines and the header, which is
// written anew), with the rows `added` by a session merged in by time
// before the first row of the file that is later (in the order added);
// only the newest kTapeRows rows, in kTapeBytes.
std::string MergeTape(std::string_view file, const std::deque<TapeRow>& added, const std::set<std::string>& cleared);

// Reads the tape of the state folder `dir` (tarvo-cli's ":tape"). A missing
// file (or folder) is an empty tape. A file that cannot be read at all, or
// only in part (longer than kTapeBytes, lines that are not rows), gives
// what could be read and a result that says why not all of it.
FileResult ReadTapeFile(const std::string& dir, std::vector<TapeRow>& rows, const FolderLocking& locking = {});

// The window's tape: the rows read at the start and those the session added.
class Tape {
 public:
  // Oldest first; at most kTapeRows.
  const std::deque<TapeRow>& Rows() const { return rows_; }

  // A new row at the newest end, with the time it has.
  const TapeRow& Add(TapeRow row);
  // Empties the tape, and the file of `dir` of every line it holds at this
  // moment: at once where the folder's lock can be had (the result is that
  // save's), else at the next save (the result says `busy`). Without a
  // folder (`dir` empty: a session that did not read the file) only the
  // rows this session saved leave the file at the next save.
  SaveResult Clear(const std::string& dir, const FolderLocking& locking = {});
  // Whether the next save has anything to write.
  bool Changed() const { return !added_.empty() || !cleared_.empty(); }
  // The rows the next save adds to the file.
  size_t Unsaved() const { return added_.size(); }

  // The rows of `dir`'s tape in place of those held (none when `dir` is
  // empty); see ReadTapeFile.
  FileResult Load(const std::string& dir, const FolderLocking& locking = {});
  // Writes the rows added since the last save into the tape of `dir`, and
  // leaves out what a Clear emptied (nothing when empty or unchanged). A
  // file that cannot be read is not overwritten. It may be tried again
  // after a failure. A failure leaves the file as it was.
  SaveResult Save(const std::string& dir, const FolderLocking& locking = {});

 private:
  SaveResult Write(const std::string& dir, const FolderLocking& locking, bool emptyFile);

  std::deque<TapeRow> rows_;
  // The line each row of rows_ has in the file's text.
  std::deque<std::string> lines_;
  std::deque<TapeRow> added_;  // since the last save, the newest kTapeRows
  // Lines the next save leaves out of the file (a Clear's).
  std::set<std::string> cleared_;
};

}  // namespace tarvo
