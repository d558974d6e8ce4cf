// The window's session from its start to its end over a recording window:
// the start with the folder free or held by another session and each way
// out of the wait; the exit with every part of the save failing and each
// answer; the question before saving over values this session never read;
// a stop signal with a question open, during a wait, before the start and
// after a failed save; a failure no handler caught. Real files, a real
// second session holding the lock.
#include "ui/logic/session_lifecycle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/state_files.h"
#include "tests/base/lock_holder.h"
#include "tests/ui/fake_controls.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using Wait = SessionControls::Wait;
using test::LockHolder;

// A window that records what the lifecycle asks of it, answers its
// questions from a list, and runs the work it was given later only when
// the test turns the event loop.
struct FakeSession : SessionControls {
  void BeginLockWait(Wait wait, LockWaitView view) override {
    log.push_back(wait == Wait::kStart ? "wait start" : "wait exit");
    waits[wait] = std::move(view);
    waiting[wait] = true;
  }
  void StopLockWait(Wait wait) override {
    if (waiting[wait]) log.push_back(wait == Wait::kStart ? "stop wait start" : "stop wait exit");
    waiting[wait] = false;
  }
  bool LockWaiting(Wait wait) const override { return waiting.count(wait) != 0 && waiting.at(wait); }
  ExitChoice AskAtExit(const ExitQuestion& question) override {
    asked.push_back(question);
    log.push_back(question.kind == ExitQuestion::Kind::kSaveFailed ? "ask failed" : "ask over");
    if (onAsk) onAsk(question);
    if (answers.empty()) return ExitChoice::kStayOpen;  // closed unanswered
    const ExitChoice a = answers.front();
    answers.pop_front();
    return a;
  }
  void Warn(const std::string& text) override { log.push_back("warn " + text); }
  void TellStandardError(const std::string& line) override { said.push_back(line); }
  std::string FolderShown(const std::string& dir) const override { return "[" + dir + "]"; }
  void EnableWindow(bool on) override { log.push_back(on ? "enable" : "disable"); }
  void SessionStarted(bool fromFolder) override { log.push_back(fromFolder ? "started" : "started without"); }
  void CloseWindow() override {
    log.push_back("close");
    if (closes != nullptr) closed = closes->CloseAsked();
  }
  void HideWindow() override { log.push_back("hide"); }
  void Stopped() override { log.push_back("stopped"); }
  void RunLater(int ms, std::function<void()> work) override { later.push_back({ms, std::move(work)}); }
  bool QuestionsOpen() const override { return openQuestions > 0; }
  void CloseQuestions() override {
    log.push_back("close questions");
    if (openQuestions > 0 && !questionsReopen) openQuestions = 0;
  }

  // One turn of a lock wait's timer: true when its attempt got through.
  bool TryWait(Wait wait, pid_t* holder = nullptr) {
    pid_t h = -1;
    const bool through = waits.at(wait).attempt(h);
    if (through) waiting[wait] = false;
    if (holder != nullptr) *holder = h;
    return through;
  }
  void Choose(Wait wait, int choice) {
    waiting[wait] = false;
    waits.at(wait).chosen(choice);
  }
  // Runs the work given for later, in turn, including what it gives.
  void Turn() {
    while (!later.empty()) {
      auto [ms, work] = std::move(later.front());
      later.pop_front();
      delays.push_back(ms);
      work();
    }
  }

  std::vector<std::string> log, said;
  std::vector<ExitQuestion> asked;
  std::deque<ExitChoice> answers;
  std::function<void(const ExitQuestion&)> onAsk;
  std::map<Wait, LockWaitView> waits;
  std::map<Wait, bool> waiting;
  std::deque<std::pair<int, std::function<void()>>> later;
  std::vector<int> delays;
  int openQuestions = 0;
  bool questionsReopen = false;
  // The window's close comes back to the lifecycle, as the Qt window's does.
  SessionLifecycle* closes = nullptr;
  bool closed = false;
};

// A state folder with x = 7 and m = 1 saved by an earlier session.
std::string SavedFolder() {
  char name[] = "/tmp/tarvo-lifecycle-XXXXXX";
  const std::string dir = mkdtemp(name);
  SavedState saved;
  saved.values[static_cast<size_t>('x' - 'a')] = 7, saved.flags[static_cast<size_t>('x' - 'a')] = 1;
  saved.values[static_cast<size_t>('m' - 'a')] = 1, saved.flags[static_cast<size_t>('m' - 'a')] = 1;
  EXPECT_TRUE(SaveStateFiles(dir, saved).ok);
  return dir;
}

// Variable `name` as the next session loads it from `dir`; NaN when
// undefined, -1 when the files cannot be read.
double Stored(const std::string& dir, char name) {
  SavedState next;
  if (!LoadStateFiles(dir, next).ok) return -1;
  const size_t i = static_cast<size_t>(name - 'a');
  return next.flags[i] != 0 ? next.values[i] : std::nan("");
}

// Another session saves `value` as x in `dir`.
void SaveX(const std::string& dir, double value) {
  SavedState s;
  ASSERT_TRUE(LoadStateFiles(dir, s).ok);
  s.values[static_cast<size_t>('x' - 'a')] = value;
  ASSERT_TRUE(SaveStateFiles(dir, s).ok);
}

// A window over `dir` and its session.
struct Session {
  explicit Session(std::string folder) : dir(std::move(folder)), lifecycle(logic, s, dir) { s.closes = &lifecycle; }
  ~Session() { fs::remove_all(dir); }
  std::string Calculate(const std::string& entry) {
    c.SetEntryText(entry);
    logic.ExecuteKey();
    return c.display;
  }
  std::string dir;
  test::FakeControls c;
  CalculatorLogic logic{c};
  FakeSession s;
  SessionLifecycle lifecycle;
};

using Log = std::vector<std::string>;

TEST(SessionLifecycle, AStartWaitsForAnotherSessionsLockAndEachWayOut) {
  enum class Out { kLetGo, kWithout, kQuit };
  const struct { Out out; const char* name; Log log; std::string x; } rows[] = {
      {Out::kLetGo, "lock let go", {"disable", "wait start", "enable", "started"}, " 7"},
      {Out::kWithout, "started without", {"disable", "wait start", "enable", "started without"}, " 0"},
      {Out::kQuit, "quit", {"disable", "wait start", "close"}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Session w(SavedFolder());
    LockHolder holder(w.dir);
    ASSERT_TRUE(holder.Holding());
    w.lifecycle.Start();
    EXPECT_FALSE(w.lifecycle.Started());
    pid_t seen = 0;
    EXPECT_FALSE(w.s.TryWait(Wait::kStart, &seen));
    EXPECT_EQ(seen, holder.Pid());
    EXPECT_EQ(w.s.waits.at(Wait::kStart).text(seen),
              "Another Tarvo session (process " + std::to_string(seen) + ") is saving its variables in \"[" + w.dir +
                  "]\".\n\nTarvo starts with them as soon as it has finished.");
    EXPECT_EQ(w.s.waits.at(Wait::kStart).text(0).substr(0, 31), "Another Tarvo session is saving");
    EXPECT_EQ(w.s.waits.at(Wait::kStart).choices, (std::vector<std::string>{"Start without the saved values", "Quit"}));
    w.lifecycle.Start();  // a second start while waiting begins no second wait
    if (row.out == Out::kLetGo) {
      holder.Release();
      EXPECT_TRUE(w.s.TryWait(Wait::kStart));
    } else {
      w.s.Choose(Wait::kStart, row.out == Out::kWithout ? 0 : 1);
    }
    holder.Release();
    EXPECT_EQ(w.s.log, row.log);
    EXPECT_EQ(w.lifecycle.Started(), row.out != Out::kQuit);
    if (row.out == Out::kQuit) {
      EXPECT_TRUE(w.s.closed);  // nothing to save
      EXPECT_EQ(Stored(w.dir, 'x'), 7);
      continue;
    }
    EXPECT_EQ(w.Calculate("x"), row.x);
    w.lifecycle.Start();  // started once
    EXPECT_EQ(w.s.log.size(), row.log.size());
  }
}

TEST(SessionLifecycle, AFreeStartReadsAtOnceAndNamesAFileItCannotRead) {
  Session free(SavedFolder());
  free.lifecycle.Start();
  EXPECT_EQ(free.s.log, (Log{"enable", "started"}));
  EXPECT_EQ(free.Calculate("x"), " 7");

  // Closed while it waits to start (by the window manager: the window is
  // disabled), it stops waiting and closes with nothing to save.
  Session closed(SavedFolder());
  {
    LockHolder holder(closed.dir);
    closed.lifecycle.Start();
    EXPECT_TRUE(closed.lifecycle.CloseAsked());
  }
  EXPECT_EQ(closed.s.log, (Log{"disable", "wait start", "stop wait start"}));
  EXPECT_FALSE(closed.s.LockWaiting(Wait::kStart));
  EXPECT_EQ(Stored(closed.dir, 'x'), 7);

  Session fifo(SavedFolder());
  const std::string values = fifo.dir + "/Varreal.dat";
  ASSERT_TRUE(fs::remove(values) && mkfifo(values.c_str(), 0600) == 0);
  fifo.lifecycle.Start();
  EXPECT_EQ(fifo.s.log, (Log{"enable",
                             "warn The saved variables could not be read from \"" + values +
                                 "\": it is not a regular file\n\nThe calculator starts without them and leaves the "
                                 "file as it is.",
                             "started"}));
  EXPECT_TRUE(fifo.lifecycle.Started());
}

// Each part of the save failing, each answer: the question names what
// failed and its quit button what stays unsaved; Retry saves only that (x
// saved meanwhile by another session stays); kept open, the next exit
// saves all again.
TEST(SessionLifecycle, AFailedSaveAsksAndRetriesOnlyWhatFailed) {
  enum class Fail { kNone, kVariables, kTape, kBoth };
  const struct {
    Fail fail;
    std::deque<ExitChoice> answers;
    bool closes;
    double x, m;  // after the exit; -1: unreadable
    size_t asked;
  } rows[] = {
      {Fail::kNone, {}, true, 9, 1, 0},
      {Fail::kVariables, {ExitChoice::kSave}, true, 9, std::nan(""), 1},
      {Fail::kVariables, {ExitChoice::kQuitWithoutSaving}, true, -1, -1, 1},
      {Fail::kTape, {ExitChoice::kSave}, true, 100, 1, 1},
      {Fail::kTape, {ExitChoice::kSave, ExitChoice::kQuitWithoutSaving}, true, 100, 1, 2},
      {Fail::kTape, {ExitChoice::kStayOpen}, false, 100, 1, 1},
      {Fail::kBoth, {ExitChoice::kSave}, true, 9, 1, 1},
      {Fail::kBoth, {ExitChoice::kQuitWithoutSaving}, true, std::nan(""), std::nan(""), 1},  // no folder
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(n++);
    Session w(SavedFolder());
    const std::string values = w.dir + "/Varreal.dat", tape = w.dir + "/tape.txt";
    if (row.fail == Fail::kVariables) {
      ASSERT_TRUE(fs::remove(values) && mkfifo(values.c_str(), 0600) == 0);
    }
    w.lifecycle.Start();
    w.Calculate("x=9");
    if (row.fail == Fail::kTape) fs::create_directory(tape);
    if (row.fail == Fail::kBoth) fs::remove_all(w.dir);
    w.s.answers = row.answers;
    // At the first question the fault is mended where the user tries
    // once more, and where only the tape failed another session saves x =
    // 100, which the retry of the tape alone leaves.
    const bool mend = row.answers.size() == 1 && row.answers.front() == ExitChoice::kSave;
    w.s.onAsk = [&](const ExitQuestion&) {
      if (w.s.asked.size() != 1) return;
      if (row.fail == Fail::kTape) SaveX(w.dir, 100);
      if (!mend) return;
      if (row.fail == Fail::kBoth) fs::create_directory(w.dir);
      if (row.fail == Fail::kVariables) fs::remove(values);
      if (row.fail == Fail::kTape) fs::remove(tape);
    };
    EXPECT_EQ(w.lifecycle.CloseAsked(), row.closes);
    EXPECT_EQ(w.s.asked.size(), row.asked);
    const std::string cannot = "The variables could not be saved in \"" + values + "\": ";
    const std::string noTape = "The tape could not be saved in \"" + tape + "\": ";
    const std::map<Fail, std::pair<std::string, std::string>> asked = {
        {Fail::kVariables, {cannot + "it is not a regular file", "Quit without saving the variables"}},
        {Fail::kTape, {noTape + "it is not a regular file", "Quit without saving the tape"}},
        {Fail::kBoth, {cannot + "No such file or directory\n" + noTape + "No such file or directory", "Quit without saving"}},
    };
    for (const ExitQuestion& q : w.s.asked) {
      EXPECT_EQ(q.kind, ExitQuestion::Kind::kSaveFailed);
      EXPECT_EQ(std::pair(q.text, q.quit), asked.at(row.fail));
    }
    const double x = Stored(w.dir, 'x');
    EXPECT_TRUE(std::isnan(row.x) ? std::isnan(x) : x == row.x) << x;
    const double m = Stored(w.dir, 'm');
    EXPECT_TRUE(std::isnan(row.m) ? std::isnan(m) : m == row.m) << m;
    if (!row.closes) {
      // Kept open: the session goes on, and its next exit saves all.
      EXPECT_TRUE(w.lifecycle.Started());
      fs::remove(tape);
      EXPECT_TRUE(w.lifecycle.CloseAsked());
      EXPECT_EQ(Stored(w.dir, 'x'), 9);
      EXPECT_EQ(w.s.asked.size(), 1u);
    }
    if (row.closes) {
      EXPECT_TRUE(w.lifecycle.CloseAsked()) << "closed once, a close asks nothing";
    }
    fs::remove_all(w.dir);
  }
}

// Started without the saved values: the exit asks before it saves over
// them, naming what it would write, and writes only that; nothing written,
// nothing asked.
TEST(SessionLifecycle, AStartWithoutTheSavedValuesAsksBeforeSavingOverThem) {
  const struct {
    const char* entry;
    std::deque<ExitChoice> answers;
    bool closes;
    double y;
  } rows[] = {
      {"", {}, true, std::nan("")},
      {"y=3", {ExitChoice::kSave}, true, 3},
      {"y=3", {ExitChoice::kQuitWithoutSaving}, true, std::nan("")},
      {"y=3", {ExitChoice::kStayOpen}, false, std::nan("")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.entry) + " " + std::to_string(row.answers.size()));
    Session w(SavedFolder());
    {
      LockHolder holder(w.dir);
      w.lifecycle.Start();
      w.s.Choose(Wait::kStart, 0);
    }
    if (*row.entry != '\0') w.Calculate(row.entry);
    w.s.answers = row.answers;
    std::optional<LockHolder> saving;
    if (*row.entry == '\0') saving.emplace(w.dir);  // nothing to save: nothing waits
    EXPECT_EQ(w.lifecycle.CloseAsked(), row.closes);
    EXPECT_FALSE(w.s.LockWaiting(Wait::kExit));
    saving.reset();
    if (*row.entry == '\0') {
      EXPECT_TRUE(w.s.asked.empty());
    } else {
      ASSERT_EQ(w.s.asked.size(), 1u);
      EXPECT_EQ(w.s.asked[0].kind, ExitQuestion::Kind::kSaveOver);
      EXPECT_EQ(w.s.asked[0].text, "Tarvo started without the saved values of \"[" + w.dir +
                                       "]\". Save what this session wrote there: the variable y, the last answer "
                                       "and 1 row of the tape?");
      EXPECT_EQ(w.s.asked[0].quit, "Quit without saving");
    }
    const double y = Stored(w.dir, 'y');
    EXPECT_TRUE(std::isnan(row.y) ? std::isnan(y) : y == row.y) << y;
    EXPECT_EQ(std::pair(Stored(w.dir, 'x'), Stored(w.dir, 'm')), std::pair(7.0, 1.0));  // never written here
    if (!row.closes) {
      w.s.answers = {ExitChoice::kSave};
      EXPECT_TRUE(w.lifecycle.CloseAsked());  // asked again
      EXPECT_EQ(w.s.asked.size(), 2u);
      EXPECT_EQ(Stored(w.dir, 'y'), 3);
    }
  }
}

// Closed while another session saves: the window stays, a wait says so;
// a close meanwhile asks nothing; the lock let go, the wait's save closes
// the window, which asks nothing more; "Quit without saving" closes it
// unsaved. Started without the saved values and told to save over them,
// the save after the wait is not asked about again.
TEST(SessionLifecycle, AnExitWaitsForAnotherSessionsLock) {
  for (const bool without : {false, true}) {
    for (const int out : {0, 1}) {  // the lock let go, quit
      SCOPED_TRACE(std::to_string(without) + std::to_string(out));
      Session w(SavedFolder());
      std::optional<LockHolder> holder(w.dir);
      w.lifecycle.Start();
      if (without) {
        w.s.Choose(Wait::kStart, 0);
      } else {
        holder->Release();
        EXPECT_TRUE(w.s.TryWait(Wait::kStart));
      }
      w.Calculate("x=9");
      holder.emplace(w.dir);
      w.s.answers = {ExitChoice::kSave};
      EXPECT_FALSE(w.lifecycle.CloseAsked());
      ASSERT_TRUE(w.s.LockWaiting(Wait::kExit));
      pid_t seen = 0;
      EXPECT_FALSE(w.s.TryWait(Wait::kExit, &seen));
      EXPECT_EQ(w.s.waits.at(Wait::kExit).text(seen),
                "Another Tarvo session (process " + std::to_string(seen) + ") is saving its variables in \"[" + w.dir +
                    "]\".\n\nTarvo saves its own as soon as it has finished.");
      EXPECT_EQ(w.s.waits.at(Wait::kExit).choices, (std::vector<std::string>{"Quit without saving"}));
      EXPECT_FALSE(w.lifecycle.CloseAsked());  // still waiting
      EXPECT_EQ(w.s.asked.size(), without ? 1u : 0u);
      if (out == 0) {
        holder.reset();
        EXPECT_TRUE(w.s.TryWait(Wait::kExit));
        EXPECT_FALSE(w.s.closed);  // closes once the event loop turns
        SaveX(w.dir, 100);         // saved once, not again at the close
        w.s.Turn();
        EXPECT_TRUE(w.s.closed);
        EXPECT_EQ(Stored(w.dir, 'x'), 100);
      } else {
        w.s.Choose(Wait::kExit, 0);
        EXPECT_TRUE(w.s.closed);
        holder.reset();
        EXPECT_EQ(Stored(w.dir, 'x'), 7);
      }
      EXPECT_EQ(w.s.asked.size(), without ? 1u : 0u);
    }
  }
}

// A stop signal: every question closes, every wait ends, and once the work
// they interrupted is done the session saves without asking, says on
// standard error what it could not save, hides and stops.
TEST(SessionLifecycle, AStopSignalSavesWithoutAskingAndSaysWhatIsNotSaved) {
  enum class When { kBeforeStart, kStartWait, kQuestion, kAfterFailedSave, kExitWait, kQuestionsReopen };
  const struct { When when; const char* name; double x; Log said; } rows[] = {
      {When::kBeforeStart, "before the start", 7, {}},
      {When::kStartWait, "waiting to start", 7, {}},
      {When::kQuestion, "a question open", 9, {}},
      {When::kAfterFailedSave, "the question of a failed save", 100,
       {"tarvo: The tape could not be saved in \"%1/tape.txt\": it is not a regular file"}},
      {When::kExitWait, "waiting at exit", 7,
       {"tarvo: Another Tarvo session (process %2) is saving in \"[%1]\": the variables and the tape are not saved"}},
      {When::kQuestionsReopen, "questions that keep opening", 9, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Session w(SavedFolder());
    std::optional<LockHolder> holder;
    // The question open is the one before saving over the saved values.
    if (row.when == When::kStartWait || row.when == When::kQuestion) holder.emplace(w.dir);
    if (row.when != When::kBeforeStart) w.lifecycle.Start();
    if (row.when == When::kQuestion) w.s.Choose(Wait::kStart, 0), holder.reset();
    if (w.lifecycle.Started()) w.Calculate("x=9");
    EXPECT_FALSE(w.lifecycle.StopSignal(false)) << "no window shown, no session to stop";
    bool stopAccepted = false;
    switch (row.when) {
      case When::kBeforeStart:
      case When::kStartWait: stopAccepted = w.lifecycle.StopSignal(true); break;
      case When::kQuestion:
      case When::kAfterFailedSave:
        if (row.when == When::kAfterFailedSave) fs::create_directory(w.dir + "/tape.txt");
        w.s.onAsk = [&](const ExitQuestion&) {
          if (row.when == When::kAfterFailedSave) SaveX(w.dir, 100);  // the retry saves the tape only
          stopAccepted = w.lifecycle.StopSignal(true);
        };
        EXPECT_EQ(w.lifecycle.CloseAsked(), false);
        break;
      case When::kExitWait:
        holder.emplace(w.dir);
        EXPECT_FALSE(w.lifecycle.CloseAsked());
        stopAccepted = w.lifecycle.StopSignal(true);
        break;
      case When::kQuestionsReopen:
        w.s.openQuestions = 1, w.s.questionsReopen = true;
        stopAccepted = w.lifecycle.StopSignal(true);
        break;
    }
    EXPECT_TRUE(stopAccepted);
    EXPECT_TRUE(w.lifecycle.Stopping());
    EXPECT_FALSE(w.s.LockWaiting(Wait::kStart) || w.s.LockWaiting(Wait::kExit));
    EXPECT_FALSE(w.lifecycle.CloseAsked()) << "a stop asks nothing";
    EXPECT_TRUE(w.lifecycle.StopSignal(false)) << "a second signal joins the stop under way";
    const pid_t holderPid = holder ? holder->Pid() : 0;
    if (row.when == When::kStartWait) holder.reset();
    w.s.Turn();
    holder.reset();
    ASSERT_GE(w.s.log.size(), 2u);
    EXPECT_EQ(Log(w.s.log.end() - 2, w.s.log.end()), (Log{"hide", "stopped"}));
    EXPECT_EQ(std::count(w.s.log.begin(), w.s.log.end(), "stopped"), 1);
    Log said = row.said;
    for (std::string& line : said) {
      if (size_t at = line.find("%1"); at != std::string::npos) line.replace(at, 2, w.dir);
      if (size_t at = line.find("%2"); at != std::string::npos) line.replace(at, 2, std::to_string(holderPid));
    }
    EXPECT_EQ(w.s.said, said);
    EXPECT_EQ(Stored(w.dir, 'x'), row.x);
    // The questions were closed at once and, while they kept opening, every
    // 10 ms for ten turns; then the save went ahead all the same.
    const long closings = std::count(w.s.log.begin(), w.s.log.end(), "close questions");
    EXPECT_EQ(closings, row.when == When::kQuestionsReopen ? 11 : 1);
    EXPECT_EQ(w.s.delays.front(), 0);
    if (row.when == When::kQuestionsReopen) {
      EXPECT_EQ(std::vector<int>(w.s.delays.begin() + 1, w.s.delays.end()), std::vector<int>(10, 10));
    }
    EXPECT_FALSE(w.lifecycle.CloseAsked());
    fs::remove_all(w.dir);
  }
}

// A failure no handler caught: standard error hears why, the window
// closes (saving); a second failure on the way out, or one without a
// window shown, ends the program there.
TEST(SessionLifecycle, AFailureSaysWhyAndClosesOnce) {
  Session w(SavedFolder());
  w.lifecycle.Start();
  w.Calculate("x=11");
  EXPECT_FALSE(w.lifecycle.Failed("out of memory", false));
  EXPECT_FALSE(w.s.closed);
  EXPECT_TRUE(w.lifecycle.Failed("out of memory", true));
  EXPECT_TRUE(w.s.closed);
  EXPECT_EQ(Stored(w.dir, 'x'), 11);
  EXPECT_FALSE(w.lifecycle.Failed("a second failure", true));
  EXPECT_EQ(w.s.said, (Log{"tarvo: Tarvo stops: out of memory", "tarvo: Tarvo stops: out of memory",
                           "tarvo: Tarvo stops: a second failure"}));
  EXPECT_EQ(FailureText("x"), "Tarvo stops: x");
}

TEST(SessionTexts, AnUnusableUserStateFolderIsAskedAbout) {
  char name[] = "/tmp/tarvo-user-state-XXXXXX";
  const std::string base = mkdtemp(name), file = base + "/file";
  ASSERT_TRUE(std::fopen(file.c_str(), "w") != nullptr);
  const char* before = std::getenv("XDG_STATE_HOME");
  const std::string saved = before != nullptr ? before : "";
  setenv("XDG_STATE_HOME", file.c_str(), 1);
  for (const bool start : {true, false}) {
    std::vector<std::string> heard;
    const std::optional<std::string> chosen = UserStateFolder([&](const std::string& problem) {
      heard.push_back(problem);
      return start;
    });
    EXPECT_EQ(heard, Log{"The folder for the saved variables cannot be used: " + file + "/tarvo: Not a directory"});
    EXPECT_EQ(chosen, start ? std::optional<std::string>("") : std::nullopt);
  }
  setenv("XDG_STATE_HOME", base.c_str(), 1);
  EXPECT_EQ(UserStateFolder([](const std::string&) { return false; }), std::optional<std::string>(base + "/tarvo"));
  if (before != nullptr) setenv("XDG_STATE_HOME", saved.c_str(), 1);
  else unsetenv("XDG_STATE_HOME");
  const StartQuestion q = UnusableFolderQuestion("P");
  EXPECT_EQ(std::tuple(q.text, q.start, q.quit),
            std::tuple(std::string("P\n\nTarvo can start without the saved variables and save nothing."),
                       std::string("Start without saving"), std::string("Quit")));
  fs::remove_all(base);
}

}  // namespace
}  // namespace tarvo
