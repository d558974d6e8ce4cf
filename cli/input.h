// Where tarvo-cli's entries come from when they are not on its command line:
// lines of standard input, whatever it is (a pipe, a file, a socket, a
// terminal), read with read(2) so that a failed read is an error code to
// report, never an exception that ends the session. Each keeps no more of a
// line than an entry can be, so a line of any length costs bounded memory.
#pragma once

#include <csignal>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "core/cycle_result.h"  // the entry-length limit

namespace tarvo::cli {

// Enough of a line (UTF-8 takes at most four bytes for a character) for the
// cycle to see that it is over the entry-length limit.
inline constexpr size_t kMaxLineBytes = 4 * (static_cast<size_t>(kMaxEntryLength) + 1);
// The characters of a line typed at the prompt that are kept, one more than
// an entry may have.
inline constexpr size_t kMaxLineCharacters = static_cast<size_t>(kMaxEntryLength) + 1;

struct InputLine {
  enum class Kind { kLine, kEnd, kError } kind = Kind::kEnd;
  std::string text;      // UTF-8, without its line end
  bool cutShort = false; // the line went on beyond what was kept of it
  int error = 0;         // errno of a failed read (kError)
};

class LineSource {
 public:
  virtual ~LineSource() = default;
  virtual InputLine Next() = 0;
};

// Runs before the input is waited for: the results so far go out first,
// since the one who reads them may be the one who writes the next line.
using BeforeWait = std::function<void()>;

// Lines of standard input as they come. A read that a signal interrupts is
// tried again: the stop signals leave an empty standard input behind. Input
// that is not ready yet (a descriptor in non-blocking mode) is waited for.
// Once `*stop` is not 0 (a stop signal's handler sets it) the input ends
// there, whatever was read ahead and not yet taken: a line editor that
// echoes each character to a terminal nobody reads would otherwise wait on
// each one.
std::unique_ptr<LineSource> PlainLines(BeforeWait beforeWait, const volatile std::sig_atomic_t* stop = nullptr);

// The interactive prompt "tarvo> " with line editing and a history, where
// the build has libedit; otherwise the prompt over PlainLines. The line is
// cut where it grows longer than an entry may be, however it grew (typed,
// pasted, yanked), so that the editor never holds much more of it.
std::unique_ptr<LineSource> PromptLines(BeforeWait beforeWait, const volatile std::sig_atomic_t* stop = nullptr);

}  // namespace tarvo::cli
