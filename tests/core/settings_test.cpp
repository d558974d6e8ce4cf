// The window's settings file: its text (comments, blanks, lines that are no
// settings, a setting given twice), a setting changed with every other line
// kept, and the file as a session meets it in a state folder: missing,
// linked, unreadable, not UTF-8, too long, a FIFO, a folder, saved by four
// sessions at once.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "core/settings.h"
#include "tests/core/state_folder.h"

namespace tarvo {
namespace {

using namespace test;
using SettingsFile = StateFolder;

std::string Listed(const std::vector<Setting>& settings) {
  std::string out;
  for (const Setting& s : settings) out += (out.empty() ? "" : " ") + s.name + "=" + s.value;
  return out;
}

TEST(SettingsText, LinesThatAreNoSettingsArePassedOver) {
  const struct { const char* name; const char* text; const char* settings; const char* damage; } rows[] = {
      {"empty", "", "", ""},
      {"comments and blank lines", "# a comment\n\n   \n  # another\nlook=dark\n", "look=dark", ""},
      {"blanks around name and value", "  look =  high-contrast \t\n", "look=high-contrast", ""},
      {"Windows line ends, no last line end", "look=dark\r\nsize=2\r\nother=x", "look=dark size=2 other=x", ""},
      {"the last of a name twice wins", "look=dark\nlook=default\n", "look=default", ""},
      {"an equals sign in the value", "formula=a=b\n", "formula=a=b", ""},
      {"an empty value", "look=\n", "look=", ""},
      {"a line without equals", "look dark\nsize=2\n", "size=2", "some of its lines are no settings"},
      {"no name", "=dark\n", "", "some of its lines are no settings"},
      {"not UTF-8", "look=d\xE4rk\nsize=2\n", "size=2", "some of it is not UTF-8 text"},
  };
  for (const auto& row : rows) {
    std::string damage;
    EXPECT_EQ(Listed(DecodeSettings(row.text, &damage)), row.settings) << row.name;
    EXPECT_EQ(damage, row.damage) << row.name;
  }
}

TEST(SettingsText, ASettingChangesOnlyItsOwnLine) {
  const struct { const char* name; const char* old; const char* text; } rows[] = {
      {"a new file", "", "# Tarvo settings: one name=value a line\nlook=dark\n"},
      {"replaced where it stands", "# mine\nsize=2\nlook=default\nother=x\n", "# mine\nsize=2\nlook=dark\nother=x\n"},
      {"appended", "# mine\nsize=2", "# mine\nsize=2\nlook=dark\n"},
      {"a second line of the name goes", "look=a\nsize=2\n look = b\n", "look=dark\nsize=2\n"},
      {"lines that are no settings stay", "what is this\nlook=x\n", "what is this\nlook=dark\n"},
      {"a commented setting stays a comment", "#look=default\n", "#look=default\nlook=dark\n"},
  };
  for (const auto& row : rows) {
    const std::string text = EncodeSetting(row.old, "look", "dark");
    EXPECT_EQ(text, row.text) << row.name;
    std::string damage;
    const std::vector<Setting> read = DecodeSettings(text, &damage);
    EXPECT_NE(std::find(read.begin(), read.end(), Setting{"look", "dark"}), read.end()) << row.name;
  }
}

enum class Plant { kNothing, kSettings, kOwnLink, kForeignLink, kUnreadable, kNotUtf8, kTooLong, kFifo, kFolder };

// Whatever stands at the settings' name, a read gives what it could (and
// why not all), never waits and never follows another user's link; a save
// writes only where nothing that cannot be read would be lost, keeps the
// other lines, the file's bits and an own link, and leaves no temporary.
TEST_F(SettingsFile, WhateverStandsAtItsNameIsReadOrLeftAlone) {
  using enum Plant;
  const struct { const char* name; Plant plant; const char* reason; const char* read; bool saves; } rows[] = {
      {"missing", kNothing, nullptr, nullptr, true},
      {"settings and a killed save's temporary", kSettings, nullptr, "default", true},
      {"own link", kOwnLink, nullptr, "dark", true},
      {"another user's link", kForeignLink, "owned by another user", nullptr, false},
      {"unreadable", kUnreadable, "Permission denied", nullptr, false},
      {"not UTF-8", kNotUtf8, "not UTF-8", "dark", false},
      {"100 KB", kTooLong, "longer than 64 KB", "dark", false},
      {"a FIFO", kFifo, "not a regular file", nullptr, false},
      {"a folder", kFolder, "not a regular file", nullptr, false},
  };
  const fs::path victim = fs::path(root) / "victim";
  const fs::path file = At(kSettingsFile);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.plant == kForeignLink && geteuid() != 0) continue;  // only root can plant another's link
    Fresh();
    std::ofstream(victim) << "look=victim\n";
    switch (row.plant) {
      case kNothing: break;
      case kSettings:
        Write(kSettingsFile, "# kept\nsize=3\nlook=default\n"), chmod(file.c_str(), 0640);
        Write(".settings.txt.a1B2c3D4", "left");
        break;
      case kOwnLink: fs::create_directory(At("kept")), Write("kept/settings", "look=dark\n"), fs::create_symlink("kept/settings", file); break;
      case kForeignLink: fs::create_symlink(victim, file), lchown(file.c_str(), kNobody, kNobody); break;
      case kUnreadable: Write(kSettingsFile, "look=dark\n"), chmod(file.c_str(), 0); break;
      case kNotUtf8: Write(kSettingsFile, "look=dark\nname=\xFF\n"); break;
      case kTooLong: {
        std::ofstream out(file);
        out << "look=dark\n";
        for (int i = 0; i < 5000; ++i) out << "padding" << i << "=0123456789\n";
        break;
      }
      case kFifo: mkfifo(file.c_str(), 0666); break;
      case kFolder: fs::create_directory(file); break;
    }
    const std::string before = row.plant == kFifo || row.plant == kFolder ? "" : ReadText(file);
    const auto session = [&] {
      alarm(20);  // a hang ends the test binary instead of the suite's time
      std::optional<std::string> look;
      const FileResult read = ReadSetting(dir, "look", look);
      const SaveResult save = SaveSetting(dir, "look", "high-contrast");
      alarm(0);
      const bool readAsExpected = read.ok == (row.reason == nullptr) && look == (row.read ? std::optional<std::string>(row.read) : std::nullopt) &&
                                  (row.reason == nullptr || (read.reason.find(row.reason) != std::string::npos && read.file == file));
      return readAsExpected && save.ok == row.saves && (row.saves || save.file == file);
    };
    const bool unprivileged = row.plant == kUnreadable;  // root reads anything
    EXPECT_TRUE(HoldsAs(unprivileged, session));
    EXPECT_EQ(ReadText(victim), "look=victim\n");
    if (!row.saves) {
      EXPECT_TRUE(row.plant == kFifo || row.plant == kFolder || ReadText(file) == before) << "not a byte changed";
      continue;
    }
    std::optional<std::string> look;
    ASSERT_TRUE(ReadSetting(dir, "look", look).ok);
    EXPECT_EQ(look, "high-contrast");
    if (row.plant == kSettings) {
      EXPECT_EQ(Read(kSettingsFile), "# kept\nsize=3\nlook=high-contrast\n");
      EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
      EXPECT_FALSE(fs::exists(At(".settings.txt.a1B2c3D4"))) << "the killed save's temporary is gone";
    }
    EXPECT_TRUE(row.plant != kOwnLink || (fs::is_symlink(file) && ReadText(At("kept/settings")) == "look=high-contrast\n"));
  }
}

// A new settings file is no more readable than the variable files beside
// it; a setting that is not one line of name=value is refused before the
// file is touched; a folder that is not there is named.
TEST_F(SettingsFile, ASaveTakesTheAccessOfTheFilesBesideIt) {
  Write(kValueFile, kOldValues), chmod(At(kValueFile).c_str(), 0600);
  const mode_t umaskBefore = umask(0);  // a new file would be world-writable without the likeness
  const SaveResult saved = SaveSetting(dir, "look", "dark");
  umask(umaskBefore);
  ASSERT_TRUE(saved.ok) << saved.reason;
  EXPECT_EQ(fs::status(At(kSettingsFile)).permissions(), fs::perms(0600));
  const struct { const char* name; const char* value; } refused[] = {
      {"lo=ok", "dark"}, {"look", "da\nrk"}, {"look", "dark\r"}, {"", "dark"}, {"#look", "dark"}, {" look", "dark"},
      {"look", " dark"}, {"look", "d\xE4rk"},
  };
  for (const auto& r : refused) {
    const SaveResult save = SaveSetting(dir, r.name, r.value);
    EXPECT_FALSE(save.ok) << r.name << "=" << r.value;
    EXPECT_EQ(Read(kSettingsFile), "# Tarvo settings: one name=value a line\nlook=dark\n");
  }
  // A file that grows to the limit is written; one byte more is refused,
  // the file as it was.
  const std::string header = "# Tarvo settings: one name=value a line\nlook=dark\n";
  const size_t room = kSettingsBytes - header.size() - std::string("pad=\n").size();
  for (const size_t extra : {size_t{0}, size_t{1}}) {
    const SaveResult r = SaveSetting(dir, "pad", std::string(room + extra, 'x'));
    EXPECT_EQ(r.ok, extra == 0) << extra;
    EXPECT_EQ(fs::file_size(At(kSettingsFile)), kSettingsBytes) << extra;
  }
  // A file longer than the limit is read up to its last whole line there:
  // a setting the limit cuts in two is not taken.
  std::string cut(kSettingsBytes - 5, '#');
  cut[cut.size() - 1] = '\n';
  Write(kSettingsFile, "look=dark\n" + cut.substr(10) + "look=high-contrast\n");
  std::optional<std::string> look;
  const FileResult read = ReadSetting(dir, "look", look);
  EXPECT_EQ(look, "dark");
  EXPECT_NE(read.reason.find("longer than 64 KB"), std::string::npos) << read.reason;
  const SaveResult nowhere = SaveSetting(dir + "/missing", "look", "dark");
  EXPECT_FALSE(nowhere.ok);
  EXPECT_EQ(nowhere.file, dir + "/missing/" + kSettingsFile);
  EXPECT_TRUE(ReadSetting(dir + "/missing", "look", look).ok && !look) << "no folder yet: no settings";
}

// Four sessions save their own settings at the same moment, each many
// times: every one keeps its last value and nothing else is left behind.
TEST_F(SettingsFile, SessionsSavingAtOnceKeepEachOthersSettings) {
  pid_t children[4];
  for (int k = 0; k < 4; ++k) {
    if ((children[k] = fork()) != 0) continue;
    bool ok = true;
    for (int i = 0; i <= 40; ++i) ok = SaveSetting(dir, "session" + std::to_string(k), std::to_string(i)).ok && ok;
    _exit(ok ? 0 : 1);
  }
  for (const pid_t child : children) EXPECT_EQ(Wait(child), 0);
  std::string damage;
  const std::vector<Setting> settings = DecodeSettings(Read(kSettingsFile), &damage);
  EXPECT_EQ(damage, "");
  std::map<std::string, std::string> byName;
  for (const Setting& s : settings) byName[s.name] = s.value;
  EXPECT_EQ(byName, (std::map<std::string, std::string>{{"session0", "40"}, {"session1", "40"}, {"session2", "40"}, {"session3", "40"}}));
  EXPECT_EQ(Entries(), 1) << "the file alone";
}

}  // namespace
}  // namespace tarvo
