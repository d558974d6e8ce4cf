#include "ui/logic/persist.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

#include "engine/state.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> ReadPrefix(const fs::path& path, size_t maxBytes) {
  std::vector<unsigned char> data(maxBytes);
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(maxBytes));
  data.resize(static_cast<size_t>(in.gcount()));
  return data;
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
void WriteLittle(std::vector<unsigned char>& out, T value) {
  using U = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint16_t>;
  const U u = std::bit_cast<U>(value);
  for (size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<unsigned char>(u >> (8 * i)));
}

void (*saveInterruption)() = nullptr;

fs::path TempPath(const fs::path& path) { return path.string() + ".tmp"; }

SaveResult Failure(const fs::path& path, int err) {
  SaveResult r;
  r.ok = false;
  r.file = path.string();
  r.reason = std::strerror(err != 0 ? err : EIO);
  return r;
}

// Writes the bytes to the temporary file beside `path` and flushes them to
// disk. A full disk shows up at fwrite, fflush, fsync or fclose, whichever
// first has to touch it.
SaveResult WriteTemporary(const fs::path& path, const std::vector<unsigned char>& bytes) {
  const fs::path temp = TempPath(path);
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return Failure(path, errno);
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0 ||
      fsync(fileno(f)) != 0) {
    const int err = errno;
    std::fclose(f);
    return Failure(path, err);
  }
  if (std::fclose(f) != 0) return Failure(path, errno);
  return {};
}

}  // namespace

void SetSaveInterruptionForTest(void (*hook)()) { saveInterruption = hook; }

namespace {

// Both files are written to temporaries before either is renamed over its old
// file, so a failure while writing (read-only folder, full disk) or a process
// killed before the renames leaves both old files as they were: never the new
// values with the old flags. Leftover temporaries are overwritten next time.
SaveResult WriteBothAtomically(const fs::path& valuePath, const std::vector<unsigned char>& values,
                               const fs::path& flagPath, const std::vector<unsigned char>& flags) {
  auto removeTemporaries = [&] {
    std::error_code ignored;
    fs::remove(TempPath(valuePath), ignored);
    fs::remove(TempPath(flagPath), ignored);
  };
  SaveResult r = WriteTemporary(valuePath, values);
  if (r.ok) r = WriteTemporary(flagPath, flags);
  if (!r.ok) {
    removeTemporaries();
    return r;
  }
  if (saveInterruption != nullptr) saveInterruption();
  if (std::rename(TempPath(valuePath).c_str(), valuePath.c_str()) != 0) {
    r = Failure(valuePath, errno);
    removeTemporaries();
    return r;
  }
  if (std::rename(TempPath(flagPath).c_str(), flagPath.c_str()) != 0) {
    r = Failure(flagPath, errno);
    removeTemporaries();
  }
  return r;
}

}  // namespace

void LoadVariableFiles(const std::string& dir) {
  EngineState& s = State();
  const fs::path base(dir.empty() ? "." : dir);
  const auto values = ReadPrefix(base / kValueFile, kStoreSize * 8);
  for (size_t i = 0; i + 8 <= values.size(); i += 8) {
    const double v = ReadLittle<double>(values.data() + i);
    if (std::isfinite(v)) s.VariableStore[i / 8] = v;  // a damaged value keeps the preset
  }
  const auto flags = ReadPrefix(base / kFlagFile, kVariableCount * 2);
  for (size_t i = 0; i + 2 <= flags.size(); i += 2)
    s.DefinedFlag[i / 2] = ReadLittle<std::int16_t>(flags.data() + i);
}

SaveResult SaveVariableFiles(const std::string& dir) {
  EngineState& s = State();
  s.VariableStore[kStoreAngleFactor] = s.AngleFactor;
  s.VariableStore[kStoreLastAnswer] = s.LastAnswer;
  const fs::path base(dir.empty() ? "." : dir);

  std::vector<unsigned char> values;
  for (double v : s.VariableStore) WriteLittle(values, v);
  std::vector<unsigned char> flags;
  for (std::int16_t f : s.DefinedFlag) WriteLittle(flags, f);

  return WriteBothAtomically(base / kValueFile, values, base / kFlagFile, flags);
}

}  // namespace tarvo
