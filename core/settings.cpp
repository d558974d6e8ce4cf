#include "core/settings.h"

#include <sys/file.h>

#include <algorithm>
#include <cerrno>

#include "core/entry_encoding.h"
#include "core/folder_io.h"

namespace tarvo {
namespace {

using namespace folder_io;

constexpr std::string_view kHeader = "# Tarvo settings: one name=value a line\n";

// Why a file was not read whole, as a message goes on "... could not be
// read: ...".
constexpr const char* kTooLong = "it is longer than 64 KB";
constexpr const char* kNotUtf8 = "some of it is not UTF-8 text";
constexpr const char* kNotSettings = "some of its lines are no settings";

std::string_view Trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The lines of a text, each without its line break (and a CR before it).
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
  }
  return lines;
}

bool IsComment(std::string_view line) {
  const std::string_view t = Trimmed(line);
  return t.empty() || t.front() == '#';
}

// The name a setting's line sets; empty for a comment or a line that is no
// setting.
std::string_view NameOf(std::string_view line) {
  const size_t equals = line.find('=');
  if (IsComment(line) || equals == std::string_view::npos) return {};
  return Trimmed(line.substr(0, equals));
}

Fd OpenFolder(const std::string& dir) { return Fd(open(FolderOrDot(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); }

// The text of a located settings file, up to kSettingsBytes; `tooLong` when
// there was more.
FileResult ReadText(const StateFile& file, std::string& text, bool& tooLong) {
  text.clear();
  tooLong = false;
  if (!file.exists) return {};
  text.assign(kSettingsBytes + 1, '\0');
  size_t got = 0;
  const FileResult r = ReadStart(file, reinterpret_cast<unsigned char*>(text.data()), text.size(), got);
  text.resize(r.ok ? got : 0);
  if (text.size() > kSettingsBytes) {
    tooLong = true;
    text.resize(kSettingsBytes);
  }
  return r;
}

}  // namespace

std::vector<Setting> DecodeSettings(std::string_view text, std::string* damage) {
  const auto note = [damage](const char* why) {
    if (damage != nullptr && damage->empty()) *damage = why;
  };
  std::vector<Setting> settings;
  for (const std::string_view line : Lines(text)) {
    if (IsComment(line)) continue;
    const std::string_view name = NameOf(line);
    if (!IsUtf8(line)) {
      note(kNotUtf8);
      continue;
    }
    if (name.empty()) {
      note(kNotSettings);
      continue;
    }
    const std::string_view value = Trimmed(line.substr(line.find('=') + 1));
    const auto same = std::find_if(settings.begin(), settings.end(), [&](const Setting& s) { return s.name == name; });
    if (same != settings.end()) same->value = std::string(value);
    else settings.push_back({std::string(name), std::string(value)});
  }
  return settings;
}

std::string EncodeSetting(std::string_view old, std::string_view name, std::string_view value) {
  const std::string line = std::string(name) + "=" + std::string(value);
  std::string text;
  text.reserve(old.size() + line.size() + kHeader.size() + 1);
  bool written = false;
  for (const std::string_view kept : Lines(old)) {
    if (NameOf(kept) != name) {
      text.append(kept).push_back('\n');
    } else if (!written) {  // where it stood; a later line of the same name goes
      text.append(line).push_back('\n');
      written = true;
    }
  }
  if (text.empty()) text = kHeader;
  if (!written) text.append(line).push_back('\n');
  return text;
}

FileResult ReadSetting(const std::string& dir, std::string_view name, std::optional<std::string>& value) {
  value.reset();
  const std::string shown = Shown(dir, kSettingsFile);
  const Fd folder = OpenFolder(dir);
  if (!folder) return errno == ENOENT ? FileResult{} : Failure(shown, errno);
  StateFile file;
  FileResult r = Locate(folder.get(), shown, kSettingsFile, file);
  std::string text;
  bool tooLong = false;
  if (r.ok) r = ReadText(file, text, tooLong);
  if (!r.ok) return r;
  std::string damage = tooLong ? kTooLong : "";
  // A file cut at the limit keeps only its whole lines.
  if (tooLong) text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
  for (const Setting& s : DecodeSettings(text, &damage))
    if (s.name == name) value = s.value;
  return damage.empty() ? FileResult{} : Failure(shown, damage);
}

SaveResult SaveSetting(const std::string& dir, std::string_view name, std::string_view value, const LockWait& wait) {
  const std::string shown = Shown(dir, kSettingsFile);
  const auto breaks = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
  if (Trimmed(name) != name || name.empty() || name.front() == '#' || name.find('=') != std::string_view::npos ||
      breaks(name) || breaks(value) || Trimmed(value) != value || !IsUtf8(name) || !IsUtf8(value))
    return Failure(shown, "a setting is one line of the form name=value");
  const Fd folder = OpenFolder(dir);
  if (!folder) return Failure(shown, errno);
  FileResult r;
  const Fd lock = LockFolder(folder.get(), LOCK_EX, wait, r, FolderShown(dir));
  if (!lock) return r;
  StateFile file, values;
  r = Locate(folder.get(), shown, kSettingsFile, file);
  if (!r.ok) return r;
  // A new settings file takes the access of the values beside it.
  (void)Locate(folder.get(), Shown(dir, kValueFile), kValueFile, values);
  std::string old;
  bool tooLong = false;
  r = ReadText(file, old, tooLong);
  if (!r.ok) return r;
  // What cannot be read is not overwritten: it may be another program's.
  if (tooLong) return Failure(shown, kTooLong);
  if (!IsUtf8(old)) return Failure(shown, kNotUtf8);
  const std::string text = EncodeSetting(old, name, value);
  if (text.size() > kSettingsBytes) return Failure(shown, kTooLong);
  Temporary temporary;
  bool refused = false;
  r = temporary.Write(file, ValuesLike(file, values), reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                      refused);
  if (r.ok) r = temporary.RenameOver(file);
  if (!r.ok) return r;
  fsync(folder.get());
  RemoveStaleTemporaries(folder.get(), {kSettingsFile});
  return {};
}

}  // namespace tarvo
