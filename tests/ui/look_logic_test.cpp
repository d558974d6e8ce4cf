// The window's looks and its pin as the window logic decides them: the look
// a run shows (given for the run, chosen before, the desktop's), a look
// chosen from the help menu and kept for the next runs, and the pin where
// the window system keeps no window on top.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "tests/ui/fake_controls.h"
#include "ui/logic/always_on_top_pin.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/look.h"
#include "ui/logic/menus.h"

namespace tarvo {

void PrintTo(Look look, std::ostream* out) { *out << LookName(look); }

namespace {

struct Folder {
  Folder() {
    char templ[] = "/tmp/tarvo-look-XXXXXX";
    path = mkdtemp(templ);
  }
  ~Folder() { std::filesystem::remove_all(path); }
  std::string Read() const {
    std::ifstream in(path + "/" + kSettingsFile);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::string path;
};

struct Window {
  explicit Window(const std::string& dir = "") {
    read = logic.Looks().Load(dir);
    logic.StartSession("");
  }
  // The help menu, answered with `choice`; the entries it offered.
  std::vector<MenuEntry> Help(HelpChoice choice) {
    c.answers.push_back(static_cast<int>(choice));
    logic.ClickKey(Key::Help);
    return c.menu;
  }
  std::string Checked() {
    Help(static_cast<HelpChoice>(-1));
    std::string out;
    for (int i = static_cast<int>(HelpChoice::kDefaultLook); i < kHelpEntryCount; ++i)
      if (c.menu.at(static_cast<size_t>(i)).checked) out += (out.empty() ? "" : ",") + c.menu.at(static_cast<size_t>(i)).caption;
    return out;
  }
  test::FakeControls c;
  CalculatorLogic logic{c};
  FileResult read;
};

// Which look a run shows: this run's over the one chosen before, that one
// over the desktop's, the desktop's over the default.
TEST(Looks, ARunShowsTheLookGivenChosenOrOfTheDesktop) {
  using L = Look;
  const struct { std::optional<L> thisRun, chosen, desktop; L shown; bool follows; } rows[] = {
      {{}, {}, {}, L::kDefault, true},
      {{}, {}, L::kDark, L::kDark, true},
      {{}, {}, L::kHighContrast, L::kHighContrast, true},
      {{}, L::kDefault, L::kDark, L::kDefault, false},
      {{}, L::kHighContrast, L::kDark, L::kHighContrast, false},
      {L::kDark, L::kHighContrast, L::kDefault, L::kDark, false},
      {L::kDefault, {}, L::kHighContrast, L::kDefault, false},
  };
  for (const auto& row : rows) {
    Folder folder;
    if (row.chosen) {
      ASSERT_TRUE(SaveSetting(folder.path, kLookSetting, LookName(*row.chosen)).ok);
    }
    LookSettings looks;
    EXPECT_TRUE(looks.Load(folder.path).ok);
    looks.SetDesktop(row.desktop);
    looks.SetThisRun(row.thisRun);
    EXPECT_EQ(looks.InForce(), row.shown);
    EXPECT_EQ(looks.FollowsDesktop(), row.follows);
  }
}

// A look chosen from the help menu shows at once, is named on the message
// line, checked in the menu and kept in the settings file, which the next
// run reads; "Look of the desktop" goes back to the desktop's. A desktop
// that changes its scheme changes the look only while it is followed.
TEST(Looks, ALookChosenFromTheHelpMenuIsKept) {
  Folder folder;
  {
    Window w(folder.path);
    w.logic.DesktopLookChanged(Look::kDark);
    EXPECT_EQ(w.c.looks, std::vector<Look>{Look::kDark});
    EXPECT_EQ(w.Checked(), "Dark look,Look of the desktop");
    // After the tape, a separator and the four looks, each a choice with a
    // check box.
    std::string shape;
    for (size_t i = static_cast<size_t>(HelpChoice::kTape) + 1; i < w.c.menu.size(); ++i)
      shape += (w.c.menu[i].separator ? "-" : w.c.menu[i].caption) + (w.c.menu[i].checkable ? "[]" : "") + "|";
    EXPECT_EQ(shape, "-|Default look[]|High-contrast look[]|Dark look[]|Look of the desktop[]|");
    w.Help(HelpChoice::kHighContrastLook);
    EXPECT_EQ(w.c.looks.back(), Look::kHighContrast);
    EXPECT_EQ(w.c.upper + "|" + w.c.lower, "High-contrast look | ");
    EXPECT_EQ(w.Checked(), "High-contrast look");
    const size_t shown = w.c.looks.size();
    w.logic.DesktopLookChanged(std::nullopt);
    EXPECT_EQ(w.c.looks.size(), shown) << "a chosen look stays whatever the desktop does";
  }
  EXPECT_NE(folder.Read().find("\nlook=high-contrast\n"), std::string::npos) << folder.Read();
  {
    Window w(folder.path);
    w.logic.DesktopLookChanged(Look::kDark);
    EXPECT_EQ(w.logic.Looks().InForce(), Look::kHighContrast);
    w.Help(HelpChoice::kDesktopLook);
    EXPECT_EQ(w.c.looks.back(), Look::kDark);
    EXPECT_EQ(w.c.upper, "Look of the desktop ");
    w.logic.DesktopLookChanged(std::nullopt);
    EXPECT_EQ(w.c.looks.back(), Look::kDefault);
  }
  EXPECT_NE(folder.Read().find("\nlook=desktop\n"), std::string::npos) << folder.Read();
  Window again(folder.path);
  EXPECT_TRUE(again.logic.Looks().FollowsDesktop());
}

// A look that cannot be kept still shows, and the message line says why;
// a settings file that cannot be read leaves the desktop's look.
TEST(Looks, ALookThatCannotBeKeptStillShows) {
  Folder folder;
  std::filesystem::create_directory(folder.path + "/" + kSettingsFile);  // a folder where the file would be
  Window w(folder.path);
  EXPECT_FALSE(w.read.ok);
  EXPECT_TRUE(w.logic.Looks().FollowsDesktop());
  w.Help(HelpChoice::kDarkLook);
  EXPECT_EQ(w.c.looks.back(), Look::kDark);
  EXPECT_EQ(w.c.lower.rfind("It could not be kept for the next runs: ", 0), 0u) << w.c.lower;
  EXPECT_NE(w.c.lower.find(folder.path + "/" + kSettingsFile), std::string::npos) << w.c.lower;
  Window unsaved;  // no state folder: nothing to keep, nothing said of it
  unsaved.Help(HelpChoice::kDarkLook);
  EXPECT_EQ(unsaved.c.upper + "|" + unsaved.c.lower, "Dark look | ");
}

// A look chosen while another session holds the state folder (saving its
// files) shows at once; keeping it waits for the folder no more than about
// two seconds, then the message line says why it was not kept.
TEST(Looks, AChoiceWaitsBrieflyForAnotherSessionsSave) {
  Folder folder;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    const int fd = open(folder.path.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(1);
    (void)!write(ready[1], "x", 1);
    sleep(20);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  Window w(folder.path);
  const auto start = std::chrono::steady_clock::now();
  w.Help(HelpChoice::kDarkLook);
  const auto waited = std::chrono::steady_clock::now() - start;
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(ready[0]), close(ready[1]);
  EXPECT_EQ(w.c.looks.back(), Look::kDark);
  EXPECT_GE(waited, std::chrono::milliseconds(1900));
  EXPECT_LT(waited, std::chrono::seconds(5));
  EXPECT_NE(w.c.lower.find("another Tarvo session is saving"), std::string::npos) << w.c.lower;
}

// Names the command line and the settings file take.
TEST(Looks, NamesReadBack) {
  for (const Look look : kLooks) EXPECT_EQ(LookNamed(LookName(look)), look);
  for (const char* wrong : {"", "Dark", "high contrast", "desktop", "dark "}) EXPECT_FALSE(LookNamed(wrong)) << wrong;
}

// Where the window system keeps no window on top, the pin says so and stays
// out, instead of claiming what would not happen; elsewhere, and when a
// list or the About box opens, the texts are the calculator's own.
TEST(Looks, ThePinSaysWhereItCannotKeepTheWindowOnTop) {
  const struct { bool can; int clicks; bool onTop; const char* upper; const char* lower; } rows[] = {
      {true, 1, true, "Always visible mode enabled. This window is always on top ", " "},
      {true, 2, false, "Always visible mode disabled ", " "},
      {false, 1, false, "Always visible mode is not available on this desktop ",
       "Its window system decides alone which window stays on top "},
      {false, 2, false, "Always visible mode is not available on this desktop ",
       "Its window system decides alone which window stays on top "},
  };
  for (const auto& row : rows) {
    Window w;
    w.c.canKeepOnTop = row.can;
    for (int i = 0; i < row.clicks; ++i) w.logic.ToggleAlwaysOnTop();
    EXPECT_EQ(w.c.onTop, row.onTop);
    EXPECT_EQ(w.c.upper + "|" + w.c.lower, std::string(row.upper) + "|" + row.lower);
    // The list drops the pin while it is open and puts it back, saying so
    // in the calculator's own words.
    w.logic.ClickKey(Key::VariableList);
    EXPECT_EQ(w.c.opened, std::vector<std::string>{"list"});
    EXPECT_EQ(w.c.upper, row.onTop ? "Always visible mode enabled. This window is always on top " : "Always visible mode disabled ");
    EXPECT_EQ(w.c.onTop, row.onTop);
  }
}

}  // namespace
}  // namespace tarvo
