// The window's settings, kept between runs in the state folder's
// "settings.txt" beside the variable files and the tape: UTF-8 text, one
// "name=value" a line; lines that begin with "#" are comments. Today it
// holds the window's look ("look=dark").
//
// A setting is saved as the tape is: under the folder's lock, the file read
// again, the one setting changed and every other line kept as it stood (a
// newer program's settings, another session's), the whole written to a
// temporary beside the file with no more access than the files beside it,
// and renamed over the file. A reader needs no lock: it sees the old file
// or the new one, never a mix.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state_files.h"

namespace tarvo {

inline constexpr const char* kSettingsFile = "settings.txt";
// The longest settings file read or written: a longer one is read from its
// start, up to here, and a save that would make it longer is refused.
inline constexpr size_t kSettingsBytes = 64 * 1024;

struct Setting {
  std::string name, value;
  friend bool operator==(const Setting&, const Setting&) = default;
};

// The settings of a file's text, in file order; a name set twice counts
// once, as its last line says. Names and values lose the blanks around
// them. `damage` (when given) says why a line was passed over, the first
// reason found.
std::vector<Setting> DecodeSettings(std::string_view text, std::string* damage = nullptr);
// The text of `old` (a file's text) with `name` set to `value`: its line
// replaced where it stands, every other line kept, a new line at the end.
std::string EncodeSetting(std::string_view old, std::string_view name, std::string_view value);

// The value of `name` in the state folder `dir`, if the file sets it. A
// missing file or folder sets nothing and is no error; a file that cannot
// be read, or only in part, gives what could be read and a result that
// says why not all of it.
FileResult ReadSetting(const std::string& dir, std::string_view name, std::optional<std::string>& value);
// Sets `name` to `value` in the settings file of `dir` (which must exist),
// as described above. A name or value holding a line break or "=" (in the
// name) is refused; so is a file that cannot be read whole.
SaveResult SaveSetting(const std::string& dir, std::string_view name, std::string_view value,
                       const LockWait& wait = {});

}  // namespace tarvo
