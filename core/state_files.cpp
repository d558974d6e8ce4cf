#include "core/state_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/sysmacros.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <bit>
#include <bitset>
#include <cerrno>
#include <chrono>
#include <climits>
#include <ctime>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

namespace tarvo {
namespace {

namespace fs = std::filesystem;

void (*saveInterruption)(const char*) = nullptr;

void Step(const char* name) {
  if (saveInterruption != nullptr) saveInterruption(name);
}

// Every open of a name in a state folder: no link is followed, and a FIFO or
// a device standing there cannot block the open.
constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;

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

Fd Duplicate(int fd) { return Fd(fcntl(fd, F_DUPFD_CLOEXEC, 0)); }

FileResult Failure(const std::string& file, std::string reason) { return {false, file, std::move(reason)}; }
FileResult Failure(const std::string& file, int err) { return Failure(file, std::strerror(err != 0 ? err : EIO)); }

// Little-endian on disk whatever the host's order.
template <typename T>
T ReadLittle(const unsigned char* p) {
  using U = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint16_t>;
  U u = 0;
  for (size_t i = 0; i < sizeof(T); ++i) u |= static_cast<U>(static_cast<U>(p[i]) << (8 * i));
  return std::bit_cast<T>(u);
}

template <typename T>
void WriteLittle(unsigned char* p, T value) {
  using U = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint16_t>;
  const U u = std::bit_cast<U>(value);
  for (size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
}

// The pair as it stands on disk; a short file has fewer bytes than the layout.
struct DiskPair {
  StoredPair bytes;
  size_t valueBytes = 0, flagBytes = 0;
};

// One state file: the folder that holds its bytes (for a link the user owns,
// the folder of the link's target) and its name there.
struct StateFile {
  std::string shown;  // the full path the user knows it by
  Fd folder;
  std::string name;
  bool exists = false;
  struct stat status {};
};

// Links in a chain of links from a state file, as many as the kernel itself
// follows in one path.
constexpr int kMaxLinks = 40;

// The rule the kernel's protected links apply in shared folders: a link is
// followed only where its owner is the user or root, since anyone could
// plant the others. The check and the reading of the link go through one
// descriptor of the link itself, so that nobody can swap the link in between.
FileResult ReadOwnLink(int linkFd, const struct stat& st, const std::string& shown, std::string& target) {
  if (st.st_uid != geteuid() && st.st_uid != 0)
    return Failure(shown, "it is reached through a symbolic link owned by another user, which is not followed");
  char buffer[PATH_MAX];
  const ssize_t n = readlinkat(linkFd, "", buffer, sizeof buffer);
  if (n < 0) return Failure(shown, errno);
  if (static_cast<size_t>(n) >= sizeof buffer) return Failure(shown, ENAMETOOLONG);
  target.assign(buffer, static_cast<size_t>(n));
  return {};
}

// Walks a link's target from the folder that holds the link, following
// each link on the way (by the rule above), down to the folder of the
// target's last component; `name` receives that component.
FileResult WalkToFolder(int from, const std::string& target, const std::string& shown, Fd& folder,
                        std::string& name) {
  std::vector<std::string> parts;  // still to walk, the next one last
  auto push = [&parts](const std::string& path) {
    std::vector<std::string> split;
    for (size_t at = 0; at <= path.size();) {
      const size_t slash = std::min(path.find('/', at), path.size());
      if (slash > at && path.compare(at, slash - at, ".") != 0) split.push_back(path.substr(at, slash - at));
      at = slash + 1;
    }
    parts.insert(parts.end(), split.rbegin(), split.rend());
  };
  auto root = [] { return Fd(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)); };
  Fd at = target.starts_with('/') ? root() : Duplicate(from);
  push(target);
  if (parts.empty() || parts.front() == "..") return Failure(shown, "its symbolic link does not point to a file");
  for (int links = 0; parts.size() > 1;) {
    if (!at) return Failure(shown, errno);
    const std::string part = parts.back();
    parts.pop_back();
    Fd next(openat(at.get(), part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!next || fstat(next.get(), &st) != 0) return Failure(shown, errno);
    if (S_ISLNK(st.st_mode)) {
      if (++links > kMaxLinks) return Failure(shown, ELOOP);
      std::string inner;
      if (FileResult r = ReadOwnLink(next.get(), st, shown, inner); !r.ok) return r;
      if (inner.starts_with('/')) at = root();
      push(inner);
      continue;
    }
    if (!S_ISDIR(st.st_mode)) return Failure(shown, ENOTDIR);
    at = std::move(next);
  }
  name = parts.back();
  if (name == "..") return Failure(shown, "its symbolic link does not point to a file");
  // The walk holds path descriptors; the saves need one they may sync.
  folder = Fd(openat(at.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) folder = std::move(at);
  return {};
}

FileResult Locate(int dirFd, const std::string& shown, const char* name, StateFile& file) {
  file.shown = shown;
  file.name = name;
  const Fd self(openat(dirFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!self) {
    if (errno != ENOENT) return Failure(shown, errno);
    file.folder = Duplicate(dirFd);
    return file.folder ? FileResult{} : Failure(shown, errno);
  }
  if (fstat(self.get(), &st) != 0) return Failure(shown, errno);
  if (S_ISLNK(st.st_mode)) {
    if (st.st_uid != geteuid() && st.st_uid != 0)
      return Failure(shown, "it is a symbolic link owned by another user, which is not followed");
    std::string target;
    FileResult r = ReadOwnLink(self.get(), st, shown, target);
    if (r.ok) r = WalkToFolder(dirFd, target, shown, file.folder, file.name);
    if (!r.ok) return r;
    if (fstatat(file.folder.get(), file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
      return errno == ENOENT ? FileResult{} : Failure(shown, errno);  // a dangling link: its target is made
    if (S_ISLNK(st.st_mode)) return Failure(shown, "its symbolic link points to another link, which is not followed");
  } else {
    file.folder = Duplicate(dirFd);
    if (!file.folder) return Failure(shown, errno);
  }
  if (!S_ISREG(st.st_mode)) return Failure(shown, "it is not a regular file");
  file.exists = true;
  file.status = st;
  return {};
}

FileResult ReadAll(int fd, const std::string& shown, unsigned char* out, size_t size, size_t& got) {
  got = 0;
  while (got < size) {
    const ssize_t n = read(fd, out + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failure(shown, errno);
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return {};
}

// Up to `size` bytes from the start of the file; a missing file has none.
FileResult ReadStart(const StateFile& file, unsigned char* out, size_t size, size_t& got) {
  got = 0;
  if (!file.exists) return {};
  Fd fd(openat(file.folder.get(), file.name.c_str(), O_RDONLY | kOpenFlags));
  if (!fd) return Failure(file.shown, errno);
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return Failure(file.shown, errno);
  if (!S_ISREG(st.st_mode)) return Failure(file.shown, "it is not a regular file");
  return ReadAll(fd.get(), file.shown, out, size, got);
}

// A pending pair counts only when it is whole and was left by someone who
// could have written the files anyway: this user, root, or the folder's
// owner. In a shared folder anyone else could plant one.
bool ReadPending(int dirFd, StoredPair& pair) {
  Fd fd(openat(dirFd, kPendingFile, O_RDONLY | kOpenFlags));
  struct stat st {}, folder {};
  if (!fd || fstat(fd.get(), &st) != 0 || fstat(dirFd, &folder) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size != static_cast<off_t>(kValueBytes + kFlagBytes) ||
      (st.st_uid != geteuid() && st.st_uid != 0 && st.st_uid != folder.st_uid))
    return false;
  unsigned char all[kValueBytes + kFlagBytes];
  size_t got = 0;
  if (!ReadAll(fd.get(), "", all, sizeof all, got).ok || got != sizeof all) return false;
  std::memcpy(pair.values.data(), all, kValueBytes);
  std::memcpy(pair.flags.data(), all + kValueBytes, kFlagBytes);
  return true;
}

// Reads the pair as it stands: the pending pair of an interrupted save when
// there is one, otherwise both files.
FileResult ReadPair(int dirFd, const StateFile& values, const StateFile& flags, DiskPair& disk, bool& pending) {
  pending = ReadPending(dirFd, disk.bytes);
  if (pending) {
    disk.valueBytes = kValueBytes;
    disk.flagBytes = kFlagBytes;
    return {};
  }
  FileResult r = ReadStart(values, disk.bytes.values.data(), kValueBytes, disk.valueBytes);
  if (r.ok) r = ReadStart(flags, disk.bytes.flags.data(), kFlagBytes, disk.flagBytes);
  return r;
}

// The lock a StateFolderLock holds for the whole process: the folder's
// device and inode, and the descriptor the lock is on.
struct HeldLock {
  dev_t device = 0;
  ino_t inode = 0;
  int fd = -1;
};
HeldLock heldLock;

// The process that holds a flock(2) lock on the file of `fd`, as the kernel
// lists it, other than this one; 0 where the list does not tell.
pid_t LockHolder(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return 0;
  std::FILE* locks = std::fopen("/proc/locks", "re");
  if (locks == nullptr) return 0;
  pid_t holder = 0;
  char line[256];
  while (holder == 0 && std::fgets(line, sizeof line, locks) != nullptr) {
    long pid = 0;
    unsigned major_ = 0, minor_ = 0;
    unsigned long long inode = 0;
    // "7: FLOCK  ADVISORY  WRITE 4242 fd:01:123456 0 EOF"; a waiter's line
    // has "->" after the number and matches no pattern here.
    if (std::sscanf(line, "%*d: FLOCK %*s %*s %ld %x:%x:%llu", &pid, &major_, &minor_, &inode) == 4 &&
        major_ == major(st.st_dev) && minor_ == minor(st.st_dev) && inode == st.st_ino && pid > 0 && pid != getpid())
      holder = static_cast<pid_t>(pid);
  }
  std::fclose(locks);
  return holder;
}

// flock(2) on `fd`, waiting as `wait` says while another session holds it.
bool Acquire(int fd, int operation, const LockWait& wait, FileResult& refusal, const std::string& shown) {
  if (!wait) {
    while (flock(fd, operation) != 0)
      if (errno != EINTR) return refusal = Failure(shown, errno), false;
    return true;
  }
  const auto start = std::chrono::steady_clock::now();
  while (flock(fd, operation | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return refusal = Failure(shown, errno), false;
    LockWaitTurn turn;
    turn.holder = LockHolder(fd);
    turn.waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (!wait(turn)) {
      refusal = Failure(shown, "another Tarvo session is saving in that folder");
      refusal.busy = true;
      return false;
    }
    const timespec pause{0, 50'000'000};
    nanosleep(&pause, nullptr);  // a signal ends it early, and the next turn asks again
  }
  return true;
}

// Holds flock(2) on the state folder itself. Every session that uses the
// folder can open it, whoever made what in it and under whatever umask, so
// all of them lock one object.
Fd LockFolder(int dirFd, int operation, const LockWait& wait, FileResult& refusal, const std::string& shown) {
  struct stat folder {};
  if (heldLock.fd >= 0 && fstat(dirFd, &folder) == 0 && folder.st_dev == heldLock.device &&
      folder.st_ino == heldLock.inode) {
    // Locked already, exclusively; a second flock on the same open file
    // would turn that lock into the one asked for.
    Fd fd = Duplicate(heldLock.fd);
    if (!fd) refusal = Failure(shown, errno);
    return fd;
  }
  // A descriptor of its own: flock(2) belongs to the open file, and the
  // caller's descriptor of the folder must not carry the lock.
  Fd fd(openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) {
    refusal = Failure(shown, errno);
    return fd;
  }
  if (!Acquire(fd.get(), operation, wait, refusal, shown)) fd.Reset();
  return fd;
}

std::string FolderOrDot(const std::string& dir) { return dir.empty() ? "." : dir; }

// The folder's full path, as messages show it.
std::string FolderShown(const std::string& dir) {
  std::error_code ec;
  const fs::path base = fs::absolute(FolderOrDot(dir), ec);
  return ec ? FolderOrDot(dir) : base.lexically_normal().string();
}

// The full path of a name in the folder, as messages show it.
std::string Shown(const std::string& dir, const char* name) {
  std::error_code ec;
  fs::path base = fs::absolute(FolderOrDot(dir), ec);
  if (ec) base = FolderOrDot(dir);
  return (base.lexically_normal() / name).string();
}

// The file layout's slots: the 26 variables (with their flags), then the
// angle factor and the last answer (values only).
constexpr size_t kAngleSlot = kVariableCount, kAnswerSlot = kVariableCount + 1, kSlots = kVariableCount + 2;
static_assert(kValueBytes == kSlots * 8);

double& ValueOf(SavedState& s, size_t slot) {
  return slot == kAngleSlot ? s.angleFactor : slot == kAnswerSlot ? s.lastAnswer : s.values[slot];
}
double ValueOf(const SavedState& s, size_t slot) { return ValueOf(const_cast<SavedState&>(s), slot); }

StoredPair Encode(const SavedState& s) {
  StoredPair pair;
  for (size_t slot = 0; slot < kSlots; ++slot) WriteLittle(pair.values.data() + slot * 8, ValueOf(s, slot));
  for (size_t i = 0; i < s.flags.size(); ++i) WriteLittle(pair.flags.data() + i * 2, s.flags[i]);
  return pair;
}

// What the files hold, over what `s` holds: a short file fills only its
// leading fields, and a value that is not a finite number keeps what was
// there.
void Decode(SavedState& s, const DiskPair& disk) {
  for (size_t i = 0; i + 8 <= disk.valueBytes; i += 8) {
    const double v = ReadLittle<double>(disk.bytes.values.data() + i);
    if (std::isfinite(v)) ValueOf(s, i / 8) = v;
  }
  for (size_t i = 0; i + 2 <= disk.flagBytes; i += 2) s.flags[i / 2] = ReadLittle<std::int16_t>(disk.bytes.flags.data() + i);
}

// What the save writes, slot by slot (a variable's value with its flag):
// what the session wrote comes from the session; a slot that another
// session saved since this one read the files (the files now hold other
// bytes than were read) keeps their value; any other slot comes from the
// session, which holds what it read unless its calculations changed it.
StoredPair Merge(const StoredPair& session, const StoredPair* read, const WrittenFields& written, const DiskPair& disk) {
  StoredPair out = session;
  if (read == nullptr) return out;
  for (size_t slot = 0; slot < kSlots; ++slot) {
    const size_t v = slot * 8, f = slot * 2;
    const bool hasFlag = slot < static_cast<size_t>(kVariableCount);
    const bool onDisk = v + 8 <= disk.valueBytes && (!hasFlag || f + 2 <= disk.flagBytes);
    const bool theirs = onDisk && (std::memcmp(disk.bytes.values.data() + v, read->values.data() + v, 8) != 0 ||
                                   (hasFlag && std::memcmp(disk.bytes.flags.data() + f, read->flags.data() + f, 2) != 0));
    const bool mine = slot == kAngleSlot    ? written.angleFactor
                      : slot == kAnswerSlot ? written.lastAnswer
                                            : written.variables[slot];
    if (mine || !theirs) continue;
    std::memcpy(out.values.data() + v, disk.bytes.values.data() + v, 8);
    if (hasFlag) std::memcpy(out.flags.data() + f, disk.bytes.flags.data() + f, 2);
  }
  return out;
}

FileResult WriteAll(int fd, const std::string& shown, const unsigned char* data, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pwrite(fd, data + done, size - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Failure(shown, n < 0 ? errno : EIO);
    done += static_cast<size_t>(n);
  }
  return {};
}

constexpr size_t kTemporaryLetters = 8;

// Failures that only mean the folder takes no new file: no permission, or
// no room for it (a full disk or quota), where rewriting the files in place
// may still work.
bool NoNewFile(int err) { return err == EACCES || err == EPERM || err == ENOSPC || err == EDQUOT; }

// The state files whose access a new file is to take: the existing ones
// among `files`, in order.
using Likeness = std::vector<const StateFile*>;
Likeness Existing(std::initializer_list<const StateFile*> files) {
  Likeness out;
  for (const StateFile* file : files)
    if (file->exists) out.push_back(file);
  return out;
}

// The access control list a file carries beyond its permission bits; empty
// when it has none (or the file system keeps none).
constexpr const char* kAclName = "system.posix_acl_access";
std::string AclOf(const StateFile& file) {
  const Fd fd(openat(file.folder.get(), file.name.c_str(), O_RDONLY | kOpenFlags));
  char value[4096];
  const ssize_t n = fd ? fgetxattr(fd.get(), kAclName, value, sizeof value) : -1;
  return n > 0 ? std::string(value, static_cast<size_t>(n)) : std::string();
}

// Gives the new file `fd` no more access than the files it stands in for,
// whatever the folder gives new files (its set-group-ID group, a default
// ACL): one file's owner where the saver may give it, their group (where it
// cannot be given, no group permission at all), the strictest of their
// permission bits and, for one file, its ACL (none otherwise). Without
// files, a new file keeps what the umask and the folder give.
bool MatchAccess(int fd, const Likeness& like) {
  if (like.empty()) return true;
  const struct stat& first = like.front()->status;
  mode_t mode = 07777;
  bool oneGroup = true;
  for (const StateFile* file : like) {
    mode &= file->status.st_mode & 07777;
    oneGroup = oneGroup && file->status.st_gid == first.st_gid;
  }
  if (like.size() == 1 && first.st_uid != geteuid()) (void)!fchown(fd, first.st_uid, first.st_gid);
  if (oneGroup) (void)!fchown(fd, static_cast<uid_t>(-1), first.st_gid);
  struct stat made {};
  if (fstat(fd, &made) != 0) return false;
  if (!oneGroup || made.st_gid != first.st_gid) mode &= ~static_cast<mode_t>(070);
  const std::string acl = like.size() == 1 ? AclOf(*like.front()) : std::string();
  if (!acl.empty()) {
    if (fsetxattr(fd, kAclName, acl.data(), acl.size(), 0) != 0) return false;
  } else if (fremovexattr(fd, kAclName) != 0 && errno != ENODATA && errno != ENOTSUP) {
    return false;
  }
  return fchmod(fd, mode) == 0;  // last: with an ACL, the group bits are its mask
}

// The permission bits a new file is made with: never more than the
// strictest of the files it stands in for allows, nor than the umask leaves
// of 0666 where there are none.
// A state file's new copy takes its access; a file not yet made, its
// sibling's.
Likeness ValuesLike(const StateFile& file, const StateFile& sibling) {
  return file.exists ? Existing({&file}) : Existing({&sibling});
}

mode_t ModeFor(const Likeness& like) {
  mode_t mode = 0666;
  for (const StateFile* file : like) mode &= file->status.st_mode & 0777;
  return mode;
}

// A new file beside a state file, made exclusively under a name nobody can
// guess, filled and flushed to disk; removed again unless renamed into place.
class Temporary {
 public:
  Temporary() = default;
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() {
    if (!name_.empty()) unlinkat(folder_, name_.c_str(), 0);
  }

  // Made with the access of the files `like` (see MatchAccess). `refused`
  // tells a folder that takes no new file (NoNewFile) from any other
  // failure.
  FileResult Write(const StateFile& file, const Likeness& like, const unsigned char* data, size_t size,
                   bool& refused) {
    refused = false;
    folder_ = file.folder.get();
    Fd fd = Create(file, ModeFor(like));
    int err = errno;
    FileResult r = fd ? FileResult{} : Failure(file.shown, err);
    if (r.ok && !MatchAccess(fd.get(), like)) r = Failure(file.shown, err = errno);
    if (r.ok) r = WriteAll(fd.get(), file.shown, data, size, 0), err = errno;
    if (r.ok && fsync(fd.get()) != 0) r = Failure(file.shown, err = errno);
    if (r.ok && close(fd.Release()) != 0) r = Failure(file.shown, err = errno);
    refused = !r.ok && NoNewFile(err);
    return r;
  }

  FileResult RenameOver(const StateFile& file) {
    if (renameat(folder_, name_.c_str(), file.folder.get(), file.name.c_str()) != 0)
      return Failure(file.shown, errno);
    name_.clear();
    return {};
  }

 private:
  Fd Create(const StateFile& file, mode_t mode) {
    for (int attempt = 0; attempt < 64; ++attempt) {
      std::uint64_t r = 0;
      if (getrandom(&r, sizeof r, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof r))
        r = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
            (static_cast<std::uint64_t>(getpid()) << 40) ^ static_cast<std::uint64_t>(attempt);
      static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
      std::string name = "." + file.name + ".";
      for (size_t i = 0; i < kTemporaryLetters; ++i, r /= 62) name += kLetters[r % 62];
      Fd fd(openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | kOpenFlags, mode));
      if (fd) name_ = std::move(name);
      if (fd || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return Fd();
  }

  int folder_ = -1;
  std::string name_;
};

// Where the folder allows no new file: both files rewritten from their
// first byte, the flags first; when the values cannot be written the old
// flags are put back. Nothing can make this step atomic, so it is the last
// resort.
FileResult RewriteInPlace(const StateFile& values, const StateFile& flags, const StoredPair& pair,
                          const DiskPair& old, const FileResult& refusal) {
  if (!values.exists || !flags.exists) return refusal;
  Fd fv(openat(values.folder.get(), values.name.c_str(), O_WRONLY | kOpenFlags));
  if (!fv) return Failure(values.shown, errno);
  Fd ff(openat(flags.folder.get(), flags.name.c_str(), O_WRONLY | kOpenFlags));
  if (!ff) return Failure(flags.shown, errno);
  struct stat sv {}, sf {};
  if (fstat(fv.get(), &sv) != 0 || !S_ISREG(sv.st_mode)) return Failure(values.shown, "it is not a regular file");
  if (fstat(ff.get(), &sf) != 0 || !S_ISREG(sf.st_mode)) return Failure(flags.shown, "it is not a regular file");
  FileResult r = WriteAll(ff.get(), flags.shown, pair.flags.data(), kFlagBytes, 0);
  if (r.ok && fsync(ff.get()) != 0) r = Failure(flags.shown, errno);
  if (!r.ok) return r;
  r = WriteAll(fv.get(), values.shown, pair.values.data(), kValueBytes, 0);
  if (r.ok && fsync(fv.get()) != 0) r = Failure(values.shown, errno);
  if (!r.ok) {
    if (WriteAll(ff.get(), flags.shown, old.bytes.flags.data(), old.flagBytes, 0).ok && sf.st_size < static_cast<off_t>(kFlagBytes))
      (void)!ftruncate(ff.get(), sf.st_size);
    fsync(ff.get());
  }
  return r;
}

void SyncFolders(const StateFile& values, const StateFile& flags) {
  fsync(flags.folder.get());
  fsync(values.folder.get());
}

// Completes a save that was killed after it committed its pair.
// `files` is what the two files hold meanwhile. Where no new file can be
// made, they are rewritten in place, as for any save.
FileResult FinishPendingSave(int dirFd, const StateFile& values, const StateFile& flags, const StoredPair& pair,
                             const DiskPair& files) {
  Temporary v, f;
  bool refused = false;
  FileResult r = v.Write(values, ValuesLike(values, flags), pair.values.data(), kValueBytes, refused);
  if (r.ok) r = f.Write(flags, ValuesLike(flags, values), pair.flags.data(), kFlagBytes, refused);
  if (!r.ok && refused) {
    r = RewriteInPlace(values, flags, pair, files, r);
  } else {
    if (r.ok) r = f.RenameOver(flags);
    if (r.ok) r = v.RenameOver(values);
  }
  if (!r.ok) return r;  // the pending pair stays in force
  SyncFolders(values, flags);
  unlinkat(dirFd, kPendingFile, 0);
  return {};
}

// Temporaries of saves that were killed before they finished, found under
// the exclusive lock, when no save of this folder can be writing them: the
// user's own regular files with a temporary's name.
void RemoveStaleTemporaries(int dirFd) {
  const int listFd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* list = listFd >= 0 ? fdopendir(listFd) : nullptr;
  if (list == nullptr) {
    if (listFd >= 0) close(listFd);
    return;
  }
  while (const dirent* entry = readdir(list)) {
    const std::string name = entry->d_name;
    bool temporary = false;
    for (const char* file : {kValueFile, kFlagFile, kPendingFile}) {
      const std::string prefix = std::string(".") + file + ".";
      temporary = temporary || (name.size() == prefix.size() + kTemporaryLetters && name.rfind(prefix, 0) == 0);
    }
    struct stat st {};
    if (temporary && fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == geteuid())
      unlinkat(dirFd, name.c_str(), 0);
  }
  closedir(list);
}

bool PutBackFlags(const StateFile& flags, const DiskPair& old) {
  if (!flags.exists) return unlinkat(flags.folder.get(), flags.name.c_str(), 0) == 0;
  Temporary undo;
  bool refused = false;
  return undo.Write(flags, Existing({&flags}), old.bytes.flags.data(), old.flagBytes, refused).ok && undo.RenameOver(flags).ok;
}

// Both temporaries and the pending pair are written and flushed before
// anything is renamed: the rename of the pending pair commits the save, and
// from then on a session that reads the folder sees the new pair even if
// this process dies before both files are in place.
FileResult CommitPair(int dirFd, const StateFile& values, const StateFile& flags,
                      const StoredPair& pair, const DiskPair& old) {
  StateFile pending;  // outlives its temporary, which removes itself through the folder
  // A pending pair that cannot be made is a pair that cannot be saved: the
  // user knows it by its value file.
  pending.shown = values.shown;
  pending.folder = Duplicate(dirFd);
  pending.name = kPendingFile;
  Temporary v, f, p;
  bool refused = false;
  FileResult r = v.Write(values, ValuesLike(values, flags), pair.values.data(), kValueBytes, refused);
  if (r.ok) r = f.Write(flags, ValuesLike(flags, values), pair.flags.data(), kFlagBytes, refused);
  if (r.ok && !pending.folder) r = Failure(pending.shown, errno);
  if (r.ok) {
    unsigned char all[kValueBytes + kFlagBytes];
    std::memcpy(all, pair.values.data(), kValueBytes);
    std::memcpy(all + kValueBytes, pair.flags.data(), kFlagBytes);
    r = p.Write(pending, Existing({&values, &flags}), all, sizeof all, refused);
  }
  if (!r.ok) return refused ? RewriteInPlace(values, flags, pair, old, r) : r;
  Step("temporaries written");

  r = p.RenameOver(pending);
  if (!r.ok) return r;
  fsync(dirFd);
  Step("pending pair committed");

  r = f.RenameOver(flags);
  if (r.ok) {
    Step("flags renamed");
    r = v.RenameOver(values);
    // The new flags are in place but the values cannot follow: the old flags
    // go back, and only then may the pending pair go.
    if (!r.ok && !PutBackFlags(flags, old)) return r;
  }
  if (!r.ok) {
    unlinkat(dirFd, kPendingFile, 0);
    fsync(dirFd);
    return r;
  }
  Step("values renamed");
  SyncFolders(values, flags);
  unlinkat(dirFd, kPendingFile, 0);
  Step("pending pair removed");
  return {};
}

}  // namespace

void SetSaveInterruptionForTest(void (*hook)(const char* step)) { saveInterruption = hook; }

FileResult LoadStateFiles(const std::string& dir, SavedState& state, const LockWait& wait) {
  const std::string valuesShown = Shown(dir, kValueFile);
  FileResult r;
  Fd folder(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) {
    if (errno != ENOENT) r = Failure(valuesShown, errno);  // no folder yet: a first run
    return r;
  }
  const Fd lock = LockFolder(folder.get(), LOCK_SH, wait, r, FolderShown(dir));
  StateFile values, flags;
  DiskPair disk;
  bool pending = false;
  if (r.ok) r = Locate(folder.get(), valuesShown, kValueFile, values);
  if (r.ok) r = Locate(folder.get(), Shown(dir, kFlagFile), kFlagFile, flags);
  if (r.ok) r = ReadPair(folder.get(), values, flags, disk, pending);
  if (r.ok) Decode(state, disk);  // both or nothing
  return r;
}

SaveResult SaveStateFiles(const std::string& dir, const SavedState& state, const SavedState* read,
                          const WrittenFields& written, const LockWait& wait) {
  const StoredPair session = Encode(state);
  const std::optional<StoredPair> asRead = read != nullptr ? std::optional(Encode(*read)) : std::nullopt;
  const std::string valuesShown = Shown(dir, kValueFile);
  Fd folder(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return Failure(valuesShown, errno);
  FileResult refusal;
  const Fd lock = LockFolder(folder.get(), LOCK_EX, wait, refusal, FolderShown(dir));
  if (!lock) return refusal;
  StateFile values, flags;
  FileResult r = Locate(folder.get(), valuesShown, kValueFile, values);
  if (r.ok) r = Locate(folder.get(), Shown(dir, kFlagFile), kFlagFile, flags);
  DiskPair disk;
  bool pending = false;
  if (r.ok) r = ReadPair(folder.get(), values, flags, disk, pending);
  if (r.ok && pending) {
    DiskPair files;
    r = ReadStart(values, files.bytes.values.data(), kValueBytes, files.valueBytes);
    if (r.ok) r = ReadStart(flags, files.bytes.flags.data(), kFlagBytes, files.flagBytes);
    if (r.ok) r = FinishPendingSave(folder.get(), values, flags, disk.bytes, files);
    // The files were replaced: their owner and bits are now the ones kept.
    if (r.ok) r = Locate(folder.get(), valuesShown, kValueFile, values);
    if (r.ok) r = Locate(folder.get(), Shown(dir, kFlagFile), kFlagFile, flags);
  }
  if (!r.ok) return r;
  r = CommitPair(folder.get(), values, flags, Merge(session, asRead ? &*asRead : nullptr, written, disk), disk);
  if (r.ok) RemoveStaleTemporaries(folder.get());
  return r;
}

StateFolderLock::StateFolderLock(const std::string& dir, const LockWait& wait) {
  const Fd folder(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat st {};
  if (heldLock.fd >= 0) return;
  if (!folder || fstat(folder.get(), &st) != 0) {
    result_ = Failure(FolderShown(dir), errno);
    return;
  }
  Fd lock = LockFolder(folder.get(), LOCK_EX, wait, result_, FolderShown(dir));
  if (!lock) return;
  heldLock = {st.st_dev, st.st_ino, lock.Release()};  // unlocked when the descriptor closes
  held_ = true;
}

StateFolderLock::~StateFolderLock() { Release(); }

void StateFolderLock::Release() {
  if (!held_) return;
  close(heldLock.fd);
  heldLock = {};
  held_ = false;
}

std::string UserStateDirectory(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return std::string();
  };
  fs::path base;
  const char* xdg = std::getenv("XDG_STATE_HOME");
  if (xdg != nullptr && xdg[0] == '/') {  // a relative one is to be ignored
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
      const passwd* pw = getpwuid(getuid());
      home = pw != nullptr ? pw->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') return fail("no home folder is known");
    base = fs::path(home) / ".local" / "state";
  }
  const fs::path dir = base / "tarvo";
  // Each missing folder on the way is made private, as the base folder of
  // a user's state must be.
  fs::path partial;
  for (const fs::path& part : dir) {
    partial /= part;
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
      return fail(partial.string() + ": " + std::strerror(errno));
  }
  struct stat st {};
  const int err = stat(dir.c_str(), &st) != 0 ? errno
                  : !S_ISDIR(st.st_mode)      ? ENOTDIR
                  : access(dir.c_str(), R_OK | W_OK | X_OK) != 0 ? errno
                                                                 : 0;
  if (err != 0) return fail(dir.string() + ": " + std::strerror(err));
  return dir.string();
}

}  // namespace tarvo
