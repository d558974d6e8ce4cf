#include "core/state_files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <bitset>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <utility>

#include "core/folder_io.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using namespace folder_io;

void (*saveInterruption)(const char*) = nullptr;

void Step(const char* name) {
  if (saveInterruption != nullptr) saveInterruption(name);
}

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
  if (r.ok) RemoveStaleTemporaries(folder.get(), {kValueFile, kFlagFile, kPendingFile});
  return r;
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
