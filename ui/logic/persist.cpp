#include "ui/logic/persist.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

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

FileResult Locate(int dirFd, const std::string& shown, const char* name, StateFile& file) {
  file.shown = shown;
  file.name = name;
  struct stat st {};
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return Failure(shown, errno);
    file.folder = Duplicate(dirFd);
    return file.folder ? FileResult{} : Failure(shown, errno);
  }
  if (S_ISLNK(st.st_mode)) {
    // The rule the kernel's protected links apply in shared folders: only a
    // link of one's own is followed, since anyone could plant the others.
    if (st.st_uid != geteuid())
      return Failure(shown, "it is a symbolic link owned by another user, which is not followed");
    char target[PATH_MAX];
    const ssize_t n = readlinkat(dirFd, name, target, sizeof target);
    if (n < 0) return Failure(shown, errno);
    if (static_cast<size_t>(n) >= sizeof target) return Failure(shown, ENAMETOOLONG);
    const std::string link(target, static_cast<size_t>(n));
    const size_t slash = link.find_last_of('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : link.substr(0, slash);
    file.name = slash == std::string::npos ? link : link.substr(slash + 1);
    if (file.name.empty() || file.name == "." || file.name == "..")
      return Failure(shown, "its symbolic link does not point to a file");
    file.folder = Fd(openat(dirFd, parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!file.folder) return Failure(shown, errno);
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

// A pending pair counts only when it is whole and was left by this user or
// by root: in a shared folder anyone could plant one.
bool ReadPending(int dirFd, StoredPair& pair) {
  Fd fd(openat(dirFd, kPendingFile, O_RDONLY | kOpenFlags));
  struct stat st {};
  if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size != static_cast<off_t>(kValueBytes + kFlagBytes) || (st.st_uid != geteuid() && st.st_uid != 0))
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

// Holds flock(2) on the folder's lock file, or on the folder itself where
// the lock file can be neither made nor opened (a read-only folder, or
// something that is not a regular file planted at its name).
Fd LockFolder(int dirFd, int operation, int& err) {
  struct stat folder {};
  if (heldLock.fd >= 0 && fstat(dirFd, &folder) == 0 && folder.st_dev == heldLock.device &&
      folder.st_ino == heldLock.inode) {
    // Locked already, exclusively; a second flock on the same open file
    // would turn that lock into the one asked for.
    Fd fd = Duplicate(heldLock.fd);
    if (!fd) err = errno;
    return fd;
  }
  Fd fd(openat(dirFd, kLockFile, O_RDWR | O_CREAT | kOpenFlags, 0644));
  if (!fd) fd = Fd(openat(dirFd, kLockFile, O_RDONLY | kOpenFlags));
  struct stat st {};
  if (fd && (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))) fd.Reset();
  if (!fd) fd = Duplicate(dirFd);
  while (fd && flock(fd.get(), operation) != 0) {
    if (errno == EINTR) continue;
    err = errno;
    return Fd();
  }
  if (!fd) err = errno;
  return fd;
}

std::string FolderOrDot(const std::string& dir) { return dir.empty() ? "." : dir; }

// The full path of a name in the folder, as messages show it.
std::string Shown(const std::string& dir, const char* name) {
  std::error_code ec;
  fs::path base = fs::absolute(FolderOrDot(dir), ec);
  if (ec) base = FolderOrDot(dir);
  return (base.lexically_normal() / name).string();
}

// The store as it is, the two extra slots included.
StoredPair Encode(const EngineState& s) {
  StoredPair pair;
  for (size_t i = 0; i < s.VariableStore.size(); ++i) WriteLittle(pair.values.data() + i * 8, s.VariableStore[i]);
  for (size_t i = 0; i < s.DefinedFlag.size(); ++i) WriteLittle(pair.flags.data() + i * 2, s.DefinedFlag[i]);
  return pair;
}

void Decode(EngineState& s, const DiskPair& disk) {
  for (size_t i = 0; i + 8 <= disk.valueBytes; i += 8) {
    const double v = ReadLittle<double>(disk.bytes.values.data() + i);
    if (std::isfinite(v)) s.VariableStore[i / 8] = v;  // a damaged value keeps the preset
  }
  for (size_t i = 0; i + 2 <= disk.flagBytes; i += 2)
    s.DefinedFlag[i / 2] = ReadLittle<std::int16_t>(disk.bytes.flags.data() + i);
}

// What the save writes: each variable (its value with its flag) the session
// changed since it read the files comes from the session, every other one
// from the files as they are now, so that a save made in between by another
// session is kept.
StoredPair Merge(const StoredPair& session, const StoredPair* read, const DiskPair& disk) {
  StoredPair out = session;
  for (size_t slot = 0; slot < static_cast<size_t>(kStoreSize); ++slot) {
    const size_t v = slot * 8, f = slot * 2;
    const bool hasFlag = slot < static_cast<size_t>(kVariableCount);
    const bool changed = read == nullptr ||
                         std::memcmp(session.values.data() + v, read->values.data() + v, 8) != 0 ||
                         (hasFlag && std::memcmp(session.flags.data() + f, read->flags.data() + f, 2) != 0);
    if (changed) continue;
    if (v + 8 <= disk.valueBytes) std::memcpy(out.values.data() + v, disk.bytes.values.data() + v, 8);
    if (hasFlag && f + 2 <= disk.flagBytes) std::memcpy(out.flags.data() + f, disk.bytes.flags.data() + f, 2);
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

  // `refused` tells a folder that allows no new file (where rewriting in
  // place may still work) from a failure to write one.
  FileResult Write(const StateFile& file, const unsigned char* data, size_t size, bool& refused) {
    refused = false;
    folder_ = file.folder.get();
    Fd fd = Create(file);
    if (!fd) {
      refused = errno == EACCES || errno == EPERM;
      return Failure(file.shown, errno);
    }
    if (file.exists) {
      // The old file's owner where the saver may give it (root), its group
      // where the saver belongs to it; then its permission bits.
      const struct stat& st = file.status;
      if ((st.st_uid != geteuid() || st.st_gid != getegid()) && fchown(fd.get(), st.st_uid, st.st_gid) != 0)
        (void)!fchown(fd.get(), static_cast<uid_t>(-1), st.st_gid);
      if (fchmod(fd.get(), st.st_mode & 07777) != 0) return Failure(file.shown, errno);
    }
    FileResult r = WriteAll(fd.get(), file.shown, data, size, 0);
    if (r.ok && fsync(fd.get()) != 0) r = Failure(file.shown, errno);
    if (r.ok && close(fd.Release()) != 0) r = Failure(file.shown, errno);
    return r;
  }

  FileResult RenameOver(const StateFile& file) {
    if (renameat(folder_, name_.c_str(), file.folder.get(), file.name.c_str()) != 0)
      return Failure(file.shown, errno);
    name_.clear();
    return {};
  }

 private:
  Fd Create(const StateFile& file) {
    // A file that exists gets its own bits once the temporary is made, so
    // the temporary starts private; a new one gets what the umask allows.
    const mode_t mode = file.exists ? 0600 : 0666;
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
FileResult FinishPendingSave(int dirFd, const StateFile& values, const StateFile& flags, const StoredPair& pair) {
  Temporary v, f;
  bool refused = false;
  FileResult r = v.Write(values, pair.values.data(), kValueBytes, refused);
  if (r.ok) r = f.Write(flags, pair.flags.data(), kFlagBytes, refused);
  if (r.ok) r = f.RenameOver(flags);
  if (r.ok) r = v.RenameOver(values);
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
  return undo.Write(flags, old.bytes.flags.data(), old.flagBytes, refused).ok && undo.RenameOver(flags).ok;
}

// Both temporaries and the pending pair are written and flushed before
// anything is renamed: the rename of the pending pair commits the save, and
// from then on a session that reads the folder sees the new pair even if
// this process dies before both files are in place.
FileResult CommitPair(int dirFd, const std::string& dir, const StateFile& values, const StateFile& flags,
                      const StoredPair& pair, const DiskPair& old) {
  StateFile pending;  // outlives its temporary, which removes itself through the folder
  pending.shown = Shown(dir, kPendingFile);
  pending.folder = Duplicate(dirFd);
  pending.name = kPendingFile;
  Temporary v, f, p;
  bool refused = false;
  FileResult r = v.Write(values, pair.values.data(), kValueBytes, refused);
  if (r.ok) r = f.Write(flags, pair.flags.data(), kFlagBytes, refused);
  if (r.ok && !pending.folder) r = Failure(pending.shown, errno);
  if (r.ok) {
    unsigned char all[kValueBytes + kFlagBytes];
    std::memcpy(all, pair.values.data(), kValueBytes);
    std::memcpy(all + kValueBytes, pair.flags.data(), kFlagBytes);
    r = p.Write(pending, all, sizeof all, refused);
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

StoredPair EncodeStore(EngineState& s) {
  s.VariableStore[kStoreAngleFactor] = s.AngleFactor;
  s.VariableStore[kStoreLastAnswer] = s.LastAnswer;
  return Encode(s);
}

FileResult LoadVariableFiles(EngineState& state, const std::string& dir, StoredPair* read) {
  const std::string valuesShown = Shown(dir, kValueFile);
  FileResult r;
  Fd folder(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) {
    if (errno != ENOENT) r = Failure(valuesShown, errno);  // no folder yet: a first run
  } else {
    int err = 0;
    const Fd lock = LockFolder(folder.get(), LOCK_SH, err);
    StateFile values, flags;
    DiskPair disk;
    bool pending = false;
    if (!lock) r = Failure(Shown(dir, kLockFile), err);
    if (r.ok) r = Locate(folder.get(), valuesShown, kValueFile, values);
    if (r.ok) r = Locate(folder.get(), Shown(dir, kFlagFile), kFlagFile, flags);
    if (r.ok) r = ReadPair(folder.get(), values, flags, disk, pending);
    if (r.ok) Decode(state, disk);  // both or nothing
  }
  // As read: the angle factor and the last answer are still the files'.
  if (read != nullptr) *read = Encode(state);
  return r;
}

SaveResult SaveVariableFiles(EngineState& state, const std::string& dir, const StoredPair* read) {
  const StoredPair session = EncodeStore(state);
  const std::string valuesShown = Shown(dir, kValueFile);
  Fd folder(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return Failure(valuesShown, errno);
  int err = 0;
  const Fd lock = LockFolder(folder.get(), LOCK_EX, err);
  if (!lock) return Failure(Shown(dir, kLockFile), err);
  StateFile values, flags;
  FileResult r = Locate(folder.get(), valuesShown, kValueFile, values);
  if (r.ok) r = Locate(folder.get(), Shown(dir, kFlagFile), kFlagFile, flags);
  DiskPair disk;
  bool pending = false;
  if (r.ok) r = ReadPair(folder.get(), values, flags, disk, pending);
  if (r.ok && pending) {
    r = FinishPendingSave(folder.get(), values, flags, disk.bytes);
    // The files were replaced: their owner and bits are now the ones kept.
    if (r.ok) r = Locate(folder.get(), valuesShown, kValueFile, values);
    if (r.ok) r = Locate(folder.get(), Shown(dir, kFlagFile), kFlagFile, flags);
  }
  if (!r.ok) return r;
  r = CommitPair(folder.get(), dir, values, flags, Merge(session, read, disk), disk);
  if (r.ok) RemoveStaleTemporaries(folder.get());
  return r;
}

StateFolderLock::StateFolderLock(const std::string& dir) {
  const Fd folder(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat st {};
  if (heldLock.fd >= 0 || !folder || fstat(folder.get(), &st) != 0) return;  // each save locks for itself
  int err = 0;
  Fd lock = LockFolder(folder.get(), LOCK_EX, err);
  if (!lock) return;
  heldLock = {st.st_dev, st.st_ino, lock.Release()};  // unlocked when the descriptor closes
  held_ = true;
}

StateFolderLock::~StateFolderLock() {
  if (!held_) return;
  close(heldLock.fd);
  heldLock = {};
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
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return fail(dir.string() + ": " + std::strerror(errno != 0 ? errno : ENOTDIR));
  return dir.string();
}

}  // namespace tarvo
