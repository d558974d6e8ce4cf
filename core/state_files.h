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
#include <type_traits>
#include <utility>

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

// Keeps a state folder's exclusive lock from construction to destruction
// (or Release), so that a session's loads and saves of that folder inside
// it are one step no other session comes between. A short run (tarvo-cli
// with its entries on the command line) holds it for the whole run, the
// window only to read the variables and the tape together and to save them
// together; a long session does not hold it while it calculates, since
// others would wait. The session owns the lock and hands it to each load
// and save (FolderLocking), which then lock nothing themselves: whether the
// session holds the lock is this value, never a question to the file
// system, so a session cannot wait for itself.
class StateFolderLock {
 public:
  // Where the lock cannot be had (no folder yet, a wait given up), it is
  // not held and `Result()` says why; each load and save then locks for
  // itself.
  explicit StateFolderLock(const std::string& dir, const LockWait& wait = {});
  ~StateFolderLock();
  StateFolderLock(const StateFolderLock&) = delete;
  StateFolderLock& operator=(const StateFolderLock&) = delete;
  // Gives the lock up before the object ends.
  void Release();
  bool Held() const { return folder_ >= 0; }
  // The folder as it was locked: the loads and saves inside the lock read
  // and write there, whatever its path names by then.
  int Folder() const { return folder_; }
  const std::string& Dir() const { return dir_; }
  const FileResult& Result() const { return result_; }

 private:
  std::string dir_;
  int folder_ = -1;  // the folder's descriptor, which carries the lock
  FileResult result_;
};

// How one load or save of a state folder gets the folder's lock: inside
// `held`, a lock the session holds on that folder, it takes none; otherwise
// it locks the folder for itself, waiting as `wait` says. A wait alone
// converts to it.
struct FolderLocking {
  FolderLocking() = default;
  template <typename Wait>
    requires std::is_constructible_v<LockWait, Wait&&>
  FolderLocking(Wait&& how) : wait(std::forward<Wait>(how)) {}  // NOLINT: a wait is a way of locking
  FolderLocking(LockWait how, const StateFolderLock* inside) : wait(std::move(how)), held(inside) {}

  LockWait wait;
  const StateFolderLock* held = nullptr;
};

// Reads both files from `dir` over what `state` holds. A short file fills
// only its leading fields; a value that is not a finite number is ignored
// (what `state` held stays). Missing files are a first run, no error. A file
// that exists but cannot be read (permissions, not a regular file, a link
// that may not be followed, a failed read) is reported and nothing is
// loaded.
FileResult LoadStateFiles(const std::string& dir, SavedState& state, const FolderLocking& locking = {});

// Called at each named step of a save ("temporaries written", "pending
// pair committed", "flags renamed", "values renamed", "pending pair
// removed"): a test stops the process there.
using SaveSteps = std::function<void(const char* step)>;

// Writes `state` into `dir`. With `read` (what the session loaded), a
// field the session did not write and that another session saved in
// between keeps what the files hold now; without it all of `state` is
// written. Files that cannot be read are not
// overwritten. Each file keeps its permission bits and, where the saver
// may, its owner; nothing the save creates on the way is more readable than
// they are. Where the folder allows no new files, or the file system has no
// room for them, but both files are writable, they are rewritten in place.
// The result tells the truth: a failure leaves the values the files held
// before; success means that sessions read the new values from now on, even
// where the last steps failed and could not be undone (the pending pair
// then stands for the files until the next save completes it).
SaveResult SaveStateFiles(const std::string& dir, const SavedState& state, const SavedState* read = nullptr,
                          const WrittenFields& written = {}, const FolderLocking& locking = {},
                          const SaveSteps& steps = {});

// The state folder of the user's desktop session: $XDG_STATE_HOME/tarvo, or
// ~/.local/state/tarvo; made (mode 0700) when missing. Empty when there is
// no home to put it in; `error` then says why.
std::string UserStateDirectory(std::string* error = nullptr);

}  // namespace tarvo
