// How every file in a state folder is read and written, whatever it holds
// (the variable files, the tape): each name opened without following a
// link, links followed only by the rule of the kernel's protected links,
// the folder's lock, and new contents written whole to a temporary beside
// the file, with no more access than the file it replaces, and renamed
// over it. For the files of tarvo_core only.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/state_files.h"

namespace tarvo::folder_io {

// Every open of a name in a state folder: no link is followed, and a FIFO or
// a device standing there cannot block the open.
inline constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Reset(); }
  int get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  explicit operator bool() const { return fd_ >= 0; }
  void Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

Fd Duplicate(int fd);

FileResult Failure(const std::string& file, std::string reason);
FileResult Failure(const std::string& file, int err);

// One state file: the folder that holds its bytes (for a link the user owns,
// the folder of the link's target) and its name there.
struct StateFile {
  std::string shown;  // the full path the user knows it by
  Fd folder;
  std::string name;
  bool exists = false;
  struct stat status {};
};

// Finds `name` in the folder `dirFd`: a regular file, nothing (a first run),
// or a link of the user's or root's whose chain of links, each of them the
// user's or root's, ends at a regular file or at nothing. Anything else is
// refused with the reason, the file named as `shown`.
FileResult Locate(int dirFd, const std::string& shown, const char* name, StateFile& file);

// Reads until `size` bytes or the end of the file.
FileResult ReadAll(int fd, const std::string& shown, unsigned char* out, size_t size, size_t& got);
// Up to `size` bytes from `offset` of the file; a missing file has none.
FileResult ReadStart(const StateFile& file, unsigned char* out, size_t size, size_t& got, off_t offset = 0);
FileResult WriteAll(int fd, const std::string& shown, const unsigned char* data, size_t size, off_t offset);

// Holds flock(2) `operation` on the state folder itself, waiting as `wait`
// says while another session holds it; empty, with `refusal` set (the
// folder named as `shown`), when the lock cannot be had.
Fd LockFolder(int dirFd, int operation, const LockWait& wait, FileResult& refusal, const std::string& shown);

// The state folder `dir` for one load or save, locked as `locking` says:
// inside a held lock, that lock's folder, locked already; otherwise the
// folder opened anew with a lock of its own (`operation`). `folder` stays
// empty where there is no such folder (the result is ok: a first run) or
// it cannot be used (the result says why, the folder named as `shown`, or
// the lock refused).
struct FolderInUse {
  Fd folder;
  Fd lock;  // empty inside a held lock
};
FileResult UseFolder(const std::string& dir, int operation, const FolderLocking& locking, const std::string& shown,
                     FolderInUse& use);

std::string FolderOrDot(const std::string& dir);
// The folder's full path, and that of a name in it, as messages show them.
std::string FolderShown(const std::string& dir);
std::string Shown(const std::string& dir, const char* name);

// Failures that only mean the folder takes no new file: no permission, or
// no room for it (a full disk or quota), where rewriting the files in place
// may still work.
bool NoNewFile(int err);

// The state files whose access a new file is to take: the existing ones
// among `files`, in order.
using Likeness = std::vector<const StateFile*>;
Likeness Existing(std::initializer_list<const StateFile*> files);
// A state file's new copy takes its access; a file not yet made, its
// sibling's.
Likeness ValuesLike(const StateFile& file, const StateFile& sibling);

// A new file beside a state file, made exclusively under a name nobody can
// guess (".NAME.XXXXXXXX"), filled and flushed to disk; removed again unless
// renamed into place.
class Temporary {
 public:
  Temporary() = default;
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() {
    if (!name_.empty()) unlinkat(folder_, name_.c_str(), 0);
  }

  // Made with no more access than the files `like` have (their owner,
  // group, bits and ACL), whatever the folder gives new files; without
  // files, with what the umask and the folder give. `refused` tells a
  // folder that takes no new file (NoNewFile) from any other failure.
  FileResult Write(const StateFile& file, const Likeness& like, const unsigned char* data, size_t size,
                   bool& refused);
  FileResult RenameOver(const StateFile& file);

 private:
  Fd Create(const StateFile& file, mode_t mode);

  int folder_ = -1;
  std::string name_;
};

// Temporaries of saves of `files` that were killed before they finished,
// found under the exclusive lock, when no save of this folder can be writing
// them: the user's own regular files with a temporary's name.
void RemoveStaleTemporaries(int dirFd, std::initializer_list<const char*> files);

}  // namespace tarvo::folder_io
