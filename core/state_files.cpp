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
#include <limits>
#include <optional>
#include <utility>

#include "core/folder_io.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using namespace folder_io;

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
// owner. In a shared folder anyone else could plant one. One that counts
// but cannot be read is a failure to read the pair: the files alone may
// hold values of two saves.
bool Trusted(const struct stat& st, const struct stat& folder) {
  return S_ISREG(st.st_mode) && st.st_size == static_cast<off_t>(kValueBytes + kFlagBytes) &&
         (st.st_uid == geteuid() || st.st_uid == 0 || st.st_uid == folder.st_uid);
}

FileResult ReadPending(int dirFd, const std::string& shown, StoredPair& pair, bool& found) {
  found = false;
  struct stat st {}, folder {};
  if (fstatat(dirFd, kPendingFile, &st, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? FileResult{} : Failure(shown, errno);
  if (fstat(dirFd, &folder) != 0) return Failure(shown, errno);
  if (!Trusted(st, folder)) return {};
  Fd fd(openat(dirFd, kPendingFile, O_RDONLY | kOpenFlags));
  if (!fd) return errno == ENOENT ? FileResult{} : Failure(shown, errno);
  if (fstat(fd.get(), &st) != 0) return Failure(shown, errno);
  if (!Trusted(st, folder)) return {};  // swapped since it was looked at
  unsigned char all[kValueBytes + kFlagBytes];
  size_t got = 0;
  if (FileResult r = ReadAll(fd.get(), shown, all, sizeof all, got); !r.ok) return r;
  if (got != sizeof all) return Failure(shown, "its pending save was cut short");
  std::memcpy(pair.values.data(), all, kValueBytes);
  std::memcpy(pair.flags.data(), all + kValueBytes, kFlagBytes);
  found = true;
  return {};
}

// Reads the pair as it stands: the pending pair of an interrupted save when
// there is one, otherwise both files.
FileResult ReadPair(int dirFd, const StateFile& values, const StateFile& flags, DiskPair& disk, bool& pending) {
  FileResult r = ReadPending(dirFd, values.shown, disk.bytes, pending);
  if (!r.ok || pending) {
    disk.valueBytes = pending ? kValueBytes : 0;
    disk.flagBytes = pending ? kFlagBytes : 0;
    return r;
  }
  r = ReadStart(values, disk.bytes.values.data(), kValueBytes, disk.valueBytes);
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

// Writes `bytes` over the start of `fd`; a file that was shorter (`size`
// bytes) is cut back to its size.
FileResult Overwrite(int fd, const std::string& shown, const unsigned char* bytes, size_t count, off_t size) {
  FileResult r = WriteAll(fd, shown, bytes, count, 0);
  if (r.ok && size < static_cast<off_t>(count) && ftruncate(fd, size) != 0) r = Failure(shown, errno);
  if (r.ok && fsync(fd) != 0) r = Failure(shown, errno);
  return r;
}

// Where the folder allows no new file: both files rewritten from their
// first byte, the flags first. When a step fails, both get their old bytes
// back, so that a failure leaves the old pair; where even that fails, the
// report says so. Nothing can make this step atomic, so it is the last
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
  constexpr off_t kWhole = std::numeric_limits<off_t>::max();  // the new pair never cuts a file
  FileResult r = Overwrite(ff.get(), flags.shown, pair.flags.data(), kFlagBytes, kWhole);
  if (r.ok) r = Overwrite(fv.get(), values.shown, pair.values.data(), kValueBytes, kWhole);
  if (r.ok) return r;
  // A write that failed may still have written part of its file.
  const bool putBack = Overwrite(fv.get(), values.shown, old.bytes.values.data(), old.valueBytes, sv.st_size).ok &&
                       Overwrite(ff.get(), flags.shown, old.bytes.flags.data(), old.flagBytes, sf.st_size).ok;
  if (!putBack) r.reason += "; the files could not be put back as they were and may now hold values of two saves";
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

// The flags as they were before a save that could not rename its values.
bool PutBackFlags(const StateFile& flags, const DiskPair& old) {
  if (!flags.exists) return unlinkat(flags.folder.get(), flags.name.c_str(), 0) == 0;
  Temporary undo;
  bool refused = false;
  return undo.Write(flags, Existing({&flags}), old.bytes.flags.data(), old.flagBytes, refused).ok &&
         undo.RenameOver(flags).ok;
}

// Both temporaries and the pending pair are written and flushed before
// anything is renamed: the rename of the pending pair commits the save, and
// from then on a session that reads the folder sees the new pair even if
// this process dies before both files are in place. A rename that fails
// after the commit is undone where it can be, so that a failure leaves the
// old pair; where it cannot, the pending pair stands for the new one, and
// the save reports success, since that is what every session reads.
FileResult CommitPair(int dirFd, const StateFile& values, const StateFile& flags, const StoredPair& pair,
                      const DiskPair& old, const SaveSteps& steps) {
  const auto step = [&steps](const char* name) {
    if (steps) steps(name);
  };
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
  step("temporaries written");

  r = p.RenameOver(pending);
  if (!r.ok) return r;  // nothing committed: the old pair stands
  fsync(dirFd);
  step("pending pair committed");

  r = f.RenameOver(flags);
  bool undone = !r.ok;  // the old pair stands again
  if (r.ok) {
    step("flags renamed");
    r = v.RenameOver(values);
    // The new flags are in place but the values cannot follow: the old
    // flags go back, and only then may the pending pair go.
    if (!r.ok) undone = PutBackFlags(flags, old);
  }
  if (!r.ok) {
    // Undone, the save failed; where even that failed, the pending pair
    // stands for the files, and every session reads the new values: saved.
    if (!undone || unlinkat(dirFd, kPendingFile, 0) != 0) return {};
    fsync(dirFd);
    return r;
  }
  step("values renamed");
  SyncFolders(values, flags);
  unlinkat(dirFd, kPendingFile, 0);
  step("pending pair removed");
  return {};
}

}  // namespace

FileResult LoadStateFiles(const std::string& dir, SavedState& state, const FolderLocking& locking) {
  const std::string valuesShown = Shown(dir, kValueFile);
  FolderInUse folder;
  FileResult r = UseFolder(dir, LOCK_SH, locking, valuesShown, folder);
  if (!r.ok || !folder.folder) return r;  // no folder yet: a first run
  StateFile values, flags;
  DiskPair disk;
  bool pending = false;
  r = Locate(folder.folder.get(), valuesShown, kValueFile, values);
  if (r.ok) r = Locate(folder.folder.get(), Shown(dir, kFlagFile), kFlagFile, flags);
  if (r.ok) r = ReadPair(folder.folder.get(), values, flags, disk, pending);
  if (r.ok) Decode(state, disk);  // both or nothing
  return r;
}

SaveResult SaveStateFiles(const std::string& dir, const SavedState& state, const SavedState* read,
                          const WrittenFields& written, const FolderLocking& locking, const SaveSteps& steps) {
  const StoredPair session = Encode(state);
  const std::optional<StoredPair> asRead = read != nullptr ? std::optional(Encode(*read)) : std::nullopt;
  const std::string valuesShown = Shown(dir, kValueFile);
  FolderInUse use;
  FileResult r = UseFolder(dir, LOCK_EX, locking, valuesShown, use);
  if (r.ok && !use.folder) r = Failure(valuesShown, ENOENT);
  if (!r.ok) return r;
  const int folder = use.folder.get();
  StateFile values, flags;
  r = Locate(folder, valuesShown, kValueFile, values);
  if (r.ok) r = Locate(folder, Shown(dir, kFlagFile), kFlagFile, flags);
  DiskPair disk;
  bool pending = false;
  if (r.ok) r = ReadPair(folder, values, flags, disk, pending);
  if (r.ok && pending) {
    DiskPair files;
    r = ReadStart(values, files.bytes.values.data(), kValueBytes, files.valueBytes);
    if (r.ok) r = ReadStart(flags, files.bytes.flags.data(), kFlagBytes, files.flagBytes);
    if (r.ok) r = FinishPendingSave(folder, values, flags, disk.bytes, files);
    // The files were replaced: their owner and bits are now the ones kept.
    if (r.ok) r = Locate(folder, valuesShown, kValueFile, values);
    if (r.ok) r = Locate(folder, Shown(dir, kFlagFile), kFlagFile, flags);
  }
  if (!r.ok) return r;
  r = CommitPair(folder, values, flags, Merge(session, asRead ? &*asRead : nullptr, written, disk), disk, steps);
  if (r.ok) RemoveStaleTemporaries(folder, {kValueFile, kFlagFile, kPendingFile});
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
