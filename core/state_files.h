// The variable files kept between runs in a state folder (the current
// directory unless the front end is told otherwise):
// "Varreal.dat" (28 little-endian doubles: a..z, AngleFactor, LastAnswer)
// and "vardimr.dat" (26 little-endian 16-bit defined-flags).
//
// Sessions sharing a folder exclude each other with flock(2) on the folder
// itself: a shared lock while a session reads the pair, an exclusive one
// while it reads, merges and writes it. A save keeps what other sessions saved since
// it read the files, except where it wrote itself (a variable, the angle
// factor, the last answer), so sessions that overlap keep each other's
// values; where both wrote a variable the later save wins.
//
// A save is committed by one rename: the new pair goes first, whole, into
// ".tarvo.pending" and only then over the two files; a session that finds a
// pending pair (its saver was killed half-way) takes it as the files'
// content, and the next save completes it (and removes the temporaries a
// killed save left, hidden files named ".Varreal.dat.XXXXXXXX" and the like).
#pragma once

#include <sys/types.h>

#include <array>
#include <bitset>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "engine/variables.h"

namespace tarvo {

inline constexpr const char* kValueFile = "Varreal.dat";
inline constexpr const char* kFlagFile = "vardimr.dat";
inline constexpr const char* kPendingFile = ".tarvo.pending";

// What the state files hold, field by field. "Varreal.dat" holds the 26
// values, the angle factor and the last answer as little-endian doubles
// (224 bytes); "vardimr.dat" the 26 defined-flags as little-endian 16-bit
// values (52 bytes).
struct SavedState {
  std::array<double, kVariableCount> values = PresetValues();
  std::array<std::int16_t, kVariableCount> flags = PresetFlags();
  double angleFactor = 0;  // 0: none saved, a first run
  double lastAnswer = 0;
};

inline constexpr size_t kValueBytes = (kVariableCount + 2) * 8;
inline constexpr size_t kFlagBytes = kVariableCount * 2;

// The pair in its file layout: what a session read, or what it would write.
struct StoredPair {
  std::array<unsigned char, kValueBytes> values{};
  std::array<unsigned char, kFlagBytes> flags{};
};

// What a session wrote (whatever the value): its save puts these fields
// over what other sessions saved meanwhile.
struct WrittenFields {
  std::bitset<kVariableCount> variables;
  bool angleFactor = false;
  bool lastAnswer = false;
};

struct FileResult {
  bool ok = true;
  std::string file;    // the full path of the file concerned
  std::string reason;  // why it could not be read or written
  // Another session held the folder's lock and the wait for it was given
  // up: nothing was read or written.
  bool busy = false;
};

// One turn of a wait for the state folder's lock while another session
// holds it.
struct LockWaitTurn {
  pid_t holder = 0;  // that session's process, where the system tells; else 0
  std::chrono::milliseconds waited{0};
};
// Asked at once when the lock is refused, then about every 50 ms (a signal
// cuts the pause short) until it is granted; false gives up the wait. An
// empty one waits quietly until the lock is free.
using LockWait = std::function<bool(const LockWaitTurn&)>;
using SaveResult = FileResult;

// Reads both files from `dir` over what `state` holds. A short file fills
// only its leading fields; a value that is not a finite number is ignored
// (what `state` held stays). Missing files are a first run, no error. A file
// that exists but cannot be read (permissions, not a regular file, a link
// that may not be followed) is reported and nothing is loaded.
FileResult LoadStateFiles(const std::string& dir, SavedState& state, const LockWait& wait = {});

// Writes `state` into `dir`. With `read` (what the session loaded), a
// field the session did not write and that another session saved in
// between keeps what the files hold now; without it all of `state` is
// written. Files that cannot be read are not
// overwritten. Each file keeps its permission bits and, where the saver
// may, its owner; nothing the save creates on the way is more readable than
// they are. Where the folder allows no new files, or the file system has no
// room for them, but both files are writable, they are rewritten in place.
SaveResult SaveStateFiles(const std::string& dir, const SavedState& state, const SavedState* read = nullptr,
                          const WrittenFields& written = {}, const LockWait& wait = {});

// Keeps the state folder's exclusive lock from construction to destruction,
// so that a short run (tarvo-cli with its entries on the command line) loads,
// calculates and saves as one step that no other session comes between;
// this process's own loads and saves inside it do not lock again. A long
// session (the window, the prompt) does not hold it: others would wait.
class StateFolderLock {
 public:
  // Where the lock cannot be had (no folder yet, a wait given up), each
  // load and save locks for itself; `Result()` says why.
  explicit StateFolderLock(const std::string& dir, const LockWait& wait = {});
  ~StateFolderLock();
  StateFolderLock(const StateFolderLock&) = delete;
  StateFolderLock& operator=(const StateFolderLock&) = delete;
  // Gives the lock up before the object ends.
  void Release();
  const FileResult& Result() const { return result_; }

 private:
  bool held_ = false;
  FileResult result_;
};

// The state folder of the user's desktop session: $XDG_STATE_HOME/tarvo, or
// ~/.local/state/tarvo; made (mode 0700) when missing. Empty when there is
// no home to put it in; `error` then says why.
std::string UserStateDirectory(std::string* error = nullptr);

// Test-only: called at each named step of a save ("temporaries written",
// "pending pair committed", "flags renamed", "values renamed", "pending pair
// removed"); a test kills the process there. nullptr: none.
void SetSaveInterruptionForTest(void (*hook)(const char* step));

}  // namespace tarvo
