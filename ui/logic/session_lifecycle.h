// The window's session from its start to its end, without a widget: the
// start, which waits for another session's lock on the state folder or
// starts without the saved values; the exit, which saves, asks where a save
// failed or would go over values this session never read, and waits for a
// lock another session holds; a stop signal, which closes every question and
// saves without asking; a failure no handler caught. The window draws the
// waits and the questions and forwards its close through SessionControls.
// Texts crossing it are UTF-8 (they name folders and files as the system
// does), not the entry line's bytes.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/logic/calculator_logic.h"

namespace tarvo {

// What the user answers a question at exit: save (again), keep the window
// open, or quit without saving.
enum class ExitChoice { kSave, kStayOpen, kQuitWithoutSaving };

// A question at exit. A failed save is a warning whose save button tries
// again and is preferred; the question before saving over values this
// session never read prefers keeping the window open.
struct ExitQuestion {
  enum class Kind { kSaveFailed, kSaveOver };
  Kind kind = Kind::kSaveFailed;
  std::string text;
  std::string quit;  // the caption of the button that quits without saving
};

// A wait for another session's lock on the state folder, as the window
// shows it: `attempt` is tried again and again (true once it got through;
// otherwise it sets the holder's process, 0 where unknown) until it gets
// through or the user presses one of `choices` (`chosen` hears its index);
// a box says `text(holder)` while it lasts.
struct LockWaitView {
  std::function<std::string(pid_t holder)> text;
  std::vector<std::string> choices;
  std::function<bool(pid_t& holder)> attempt;
  std::function<void(int choice)> chosen;
};

// The narrow interface through which the session's lifecycle talks to its
// window. The Qt window and the tests' fakes implement it.
class SessionControls {
 public:
  virtual ~SessionControls() = default;

  enum class Wait { kStart, kExit };
  // A wait for the lock (one of each kind at a time): begun, ended without
  // a choice, and whether it is still trying.
  virtual void BeginLockWait(Wait wait, LockWaitView view) = 0;
  virtual void StopLockWait(Wait wait) = 0;
  virtual bool LockWaiting(Wait wait) const = 0;
  // A modal question at exit; returns once answered (or closed: kStayOpen).
  virtual ExitChoice AskAtExit(const ExitQuestion& question) = 0;
  // A modal warning box captioned "Tarvo".
  virtual void Warn(const std::string& text) = 0;
  // A line on standard error, never waiting for a reader.
  virtual void TellStandardError(const std::string& line) = 0;
  // The folder as the user reads it: absolute.
  virtual std::string FolderShown(const std::string& dir) const = 0;

  // The window: taking input or not; the session has started (read from the
  // folder, or without the saved values) and the window takes the keyboard;
  // closed as its Exit does (which comes back to CloseAsked); hidden with
  // its windows at the end of a stop; the stop is over.
  virtual void EnableWindow(bool enabled) = 0;
  virtual void SessionStarted(bool fromFolder) = 0;
  virtual void CloseWindow() = 0;
  virtual void HideWindow() = 0;
  virtual void Stopped() = 0;

  // `work` once the event loop has turned and `ms` milliseconds passed.
  virtual void RunLater(int ms, std::function<void()> work) = 0;
  // Whether anything waits for a person (a modal window, a menu, a loop of
  // its own), and closing all of it as if dismissed.
  virtual bool QuestionsOpen() const = 0;
  virtual void CloseQuestions() = 0;
};

class SessionLifecycle {
 public:
  // `stateDir` holds the variable files; empty means none are read or written.
  SessionLifecycle(CalculatorLogic& logic, SessionControls& controls, std::string stateDir)
      : logic_(logic), c_(controls), dir_(std::move(stateDir)) {}

  // The start: the saved state, the keypad, a calculation of "0". While
  // another session holds the folder's lock the window waits, disabled,
  // offering to start without the saved values or to quit.
  void Start();
  bool Started() const { return started_; }

  // The window is asked to close: true where it may, having saved (or
  // having been told not to); false where it stays, for now (a question
  // kept it open, a wait for the lock goes on, a stop ends it itself).
  bool CloseAsked();

  // A stop signal: every question closes as if dismissed and every wait
  // for a lock ends; once the work they interrupted is done, the session is
  // saved without a question (another session's lock is waited for a
  // second at most), standard error hears what was not saved, and the
  // window hides and stops. False where there is no session to stop yet
  // (`windowShown` false and no stop under way): the program ends at once.
  bool StopSignal(bool windowShown);
  bool Stopping() const { return stopping_; }

  // An exception no handler caught: standard error hears why
  // (FailureText), and the window (`windowShown`) closes as its Exit does,
  // which saves. False where it does not show, or where a failure came
  // before on this way out: the program ends there, at once.
  bool Failed(const std::string& reason, bool windowShown);

 private:
  bool TryStart(pid_t& holder);
  bool TrySave(pid_t& holder);
  void FinishStop(int turn);
  std::string HolderText(pid_t holder) const;

  CalculatorLogic& logic_;
  SessionControls& c_;
  std::string dir_;
  bool started_ = false;
  bool startWaitBegun_ = false;
  bool ended_ = false;
  // The session started without the saved values (their folder was
  // locked): its save at exit goes over them only when the user says so.
  bool withoutSavedValues_ = false;
  // A save made by the wait at exit, for the close that follows it.
  std::optional<CalculatorLogic::Saved> savedAtExit_;
  // What the exit still has to save: after a failure, what failed.
  CalculatorLogic::Parts exitParts_ = CalculatorLogic::Parts::kBoth;
  bool stopping_ = false;
  bool failed_ = false;
};

// Why the program stops after a failure no handler caught.
std::string FailureText(const std::string& reason);

// What a save that failed did not save, one line per part, and the caption
// of the button that quits leaving it unsaved.
std::string SaveFailureText(const CalculatorLogic::Saved& saved);
std::string QuitUnsavedCaption(const CalculatorLogic::Saved& saved);

// The user's state folder for --user-state. Where it cannot be used (its
// base names a file, or a folder the user may not enter), `ask` hears why,
// naming the path, and says whether to start without saving (empty
// folder) or to quit (none); it is never swapped for another folder.
std::optional<std::string> UserStateFolder(const std::function<bool(const std::string& problem)>& ask);

// The question `ask` above is put as: its text and its two choices, to
// start without saving (preferred) or to quit.
struct StartQuestion {
  std::string text;
  std::string start, quit;
};
StartQuestion UnusableFolderQuestion(const std::string& problem);

}  // namespace tarvo
