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

// Writes the bytes to a temporary file beside `path`, flushes them to disk and
// renames the file over `path`: a crash or a full disk leaves either the old
// file or the new one, never half of one.
SaveResult WriteAtomically(const fs::path& path, const std::vector<unsigned char>& bytes) {
  SaveResult r;
  const fs::path temp = path.string() + ".tmp";
  auto fail = [&](int err) {
    r.ok = false;
    r.file = path.string();
    r.reason = std::strerror(err);
    std::error_code ignored;
    fs::remove(temp, ignored);
    return r;
  };
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return fail(errno);
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0 ||
      fsync(fileno(f)) != 0) {
    const int err = errno != 0 ? errno : EIO;
    std::fclose(f);
    return fail(err);
  }
  if (std::fclose(f) != 0) return fail(errno);
  if (std::rename(temp.c_str(), path.c_str()) != 0) return fail(errno);
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

  SaveResult r = WriteAtomically(base / kValueFile, values);
  if (!r.ok) return r;
  return WriteAtomically(base / kFlagFile, flags);
}

}  // namespace tarvo
