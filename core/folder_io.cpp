#include "core/folder_io.h"

#include <dirent.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace tarvo {
namespace folder_io {
namespace {

namespace fs = std::filesystem;

constexpr size_t kTemporaryLetters = 8;

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
mode_t ModeFor(const Likeness& like) {
  mode_t mode = 0666;
  for (const StateFile* file : like) mode &= file->status.st_mode & 0777;
  return mode;
}

}  // namespace

Fd Duplicate(int fd) { return Fd(fcntl(fd, F_DUPFD_CLOEXEC, 0)); }

FileResult Failure(const std::string& file, std::string reason) { return {false, file, std::move(reason)}; }
FileResult Failure(const std::string& file, int err) { return Failure(file, std::strerror(err != 0 ? err : EIO)); }

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

FileResult ReadStart(const StateFile& file, unsigned char* out, size_t size, size_t& got, off_t offset) {
  got = 0;
  if (!file.exists) return {};
  Fd fd(openat(file.folder.get(), file.name.c_str(), O_RDONLY | kOpenFlags));
  if (!fd) return Failure(file.shown, errno);
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return Failure(file.shown, errno);
  if (!S_ISREG(st.st_mode)) return Failure(file.shown, "it is not a regular file");
  if (offset > 0 && lseek(fd.get(), offset, SEEK_SET) < 0) return Failure(file.shown, errno);
  return ReadAll(fd.get(), file.shown, out, size, got);
}

// Every session that uses the folder can open it, whoever made what in it
// and under whatever umask, so all of them lock one object.
Fd LockFolder(int dirFd, int operation, const LockWait& wait, FileResult& refusal, const std::string& shown) {
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

FileResult UseFolder(const std::string& dir, int operation, const FolderLocking& locking, const std::string& shown,
                     FolderInUse& use) {
  if (locking.held != nullptr && locking.held->Held()) {
    use.folder = Duplicate(locking.held->Folder());
    return use.folder ? FileResult{} : Failure(shown, errno);
  }
  use.folder = Fd(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!use.folder) return errno == ENOENT ? FileResult{} : Failure(shown, errno);
  FileResult refusal;
  use.lock = LockFolder(use.folder.get(), operation, locking.wait, refusal, FolderShown(dir));
  if (!use.lock) use.folder.Reset();
  return refusal;
}

std::string FolderOrDot(const std::string& dir) { return dir.empty() ? "." : dir; }

std::string FolderShown(const std::string& dir) {
  std::error_code ec;
  const fs::path base = fs::absolute(FolderOrDot(dir), ec);
  return ec ? FolderOrDot(dir) : base.lexically_normal().string();
}

std::string Shown(const std::string& dir, const char* name) {
  std::error_code ec;
  fs::path base = fs::absolute(FolderOrDot(dir), ec);
  if (ec) base = FolderOrDot(dir);
  return (base.lexically_normal() / name).string();
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

bool NoNewFile(int err) { return err == EACCES || err == EPERM || err == ENOSPC || err == EDQUOT; }

Likeness Existing(std::initializer_list<const StateFile*> files) {
  Likeness out;
  for (const StateFile* file : files)
    if (file->exists) out.push_back(file);
  return out;
}

Likeness ValuesLike(const StateFile& file, const StateFile& sibling) {
  return file.exists ? Existing({&file}) : Existing({&sibling});
}

FileResult Temporary::Write(const StateFile& file, const Likeness& like, const unsigned char* data, size_t size,
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

FileResult Temporary::RenameOver(const StateFile& file) {
  if (renameat(folder_, name_.c_str(), file.folder.get(), file.name.c_str()) != 0)
    return Failure(file.shown, errno);
  name_.clear();
  return {};
}

Fd Temporary::Create(const StateFile& file, mode_t mode) {
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

void RemoveStaleTemporaries(int dirFd, std::initializer_list<const char*> files) {
  const int listFd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* list = listFd >= 0 ? fdopendir(listFd) : nullptr;
  if (list == nullptr) {
    if (listFd >= 0) close(listFd);
    return;
  }
  while (const dirent* entry = readdir(list)) {
    const std::string name = entry->d_name;
    bool temporary = false;
    for (const char* file : files) {
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

}  // namespace folder_io

using namespace folder_io;

StateFolderLock::StateFolderLock(const std::string& dir, const LockWait& wait) : dir_(dir) {
  const Fd folder(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) {
    result_ = Failure(FolderShown(dir), errno);
    return;
  }
  Fd lock = LockFolder(folder.get(), LOCK_EX, wait, result_, FolderShown(dir));
  folder_ = lock.Release();  // unlocked when the descriptor closes
}

StateFolderLock::~StateFolderLock() { Release(); }

void StateFolderLock::Release() {
  if (folder_ >= 0) close(folder_);
  folder_ = -1;
}

}  // namespace tarvo
