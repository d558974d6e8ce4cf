#include "ui/logic/session_lifecycle.h"

#include <chrono>
#include <utility>

#include "core/state_files.h"

namespace tarvo {
namespace {

// A wait for the lock that gives up at once, keeping the holder's process.
LockWait GiveUpAtOnce(pid_t& holder) {
  return [&holder](const LockWaitTurn& turn) {
    holder = turn.holder;
    return false;
  };
}

// Another session's save takes milliseconds: after a stop signal, one that
// holds the lock longer is not waited for beyond this.
constexpr std::chrono::seconds kStopLockWait{1};
// After a stop signal, whatever opens while the interrupted work ends is
// closed too, a turn every 10 ms, for this many turns at most.
constexpr int kStopTurns = 10;
constexpr int kStopTurnMs = 10;

}  // namespace

std::string SessionLifecycle::HolderText(pid_t holder) const {
  return holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string();
}

void SessionLifecycle::Start() {
  if (started_ || startWaitBegun_) return;
  pid_t holder = 0;
  if (TryStart(holder)) return;
  c_.EnableWindow(false);
  startWaitBegun_ = true;
  LockWaitView view;
  view.text = [this](pid_t h) {
    return "Another Tarvo session" + HolderText(h) + " is saving its variables in \"" + c_.FolderShown(dir_) +
           "\".\n\nTarvo starts with them as soon as it has finished.";
  };
  view.choices = {"Start without the saved values", "Quit"};
  view.attempt = [this](pid_t& h) { return TryStart(h); };
  view.chosen = [this](int choice) {
    if (choice != 0) {
      c_.CloseWindow();
      return;
    }
    withoutSavedValues_ = true;
    logic_.StartSession("");
    started_ = true;
    c_.EnableWindow(true);
    c_.SessionStarted(false);
  };
  c_.BeginLockWait(SessionControls::Wait::kStart, std::move(view));
}

bool SessionLifecycle::TryStart(pid_t& holder) {
  const FileResult r = logic_.StartSession(dir_, GiveUpAtOnce(holder));
  if (r.busy) return false;
  started_ = true;
  c_.EnableWindow(true);
  if (!r.ok)
    c_.Warn("The saved variables could not be read from \"" + r.file + "\": " + r.reason +
            "\n\nThe calculator starts without them and leaves the file as it is.");
  c_.SessionStarted(true);
  return true;
}

bool SessionLifecycle::TrySave(pid_t& holder) {
  const CalculatorLogic::Saved r = logic_.EndSession(dir_, GiveUpAtOnce(holder), exitParts_);
  if (r.Busy()) return false;
  savedAtExit_ = r;
  c_.RunLater(0, [this] { c_.CloseWindow(); });
  return true;
}

bool SessionLifecycle::CloseAsked() {
  if (stopping_) return false;  // the stop ends the window itself, without a question
  if (startWaitBegun_ && !started_) c_.StopLockWait(SessionControls::Wait::kStart);  // nothing to save
  if (c_.LockWaiting(SessionControls::Wait::kExit)) return false;
  if (started_ && !ended_ && withoutSavedValues_ && !savedAtExit_) {
    // Saved, the session writes only what it wrote itself: the question
    // names all of it, and a session that wrote nothing has nothing to ask.
    const std::string written = logic_.WhatASaveWrites();
    const ExitChoice choice =
        written.empty() ? ExitChoice::kQuitWithoutSaving
                        : c_.AskAtExit({ExitQuestion::Kind::kSaveOver,
                                        "Tarvo started without the saved values of \"" + c_.FolderShown(dir_) +
                                            "\". Save what this session wrote there: " + written + "?",
                                        "Quit without saving"});
    if (stopping_) return false;
    if (choice == ExitChoice::kQuitWithoutSaving) ended_ = true;
    if (choice == ExitChoice::kStayOpen) return false;
  }
  // A failed save never loses the session silently: the user may try again
  // (after freeing space or mending permissions), keep the window open, or
  // quit knowing what is not saved. What was saved is not asked about or
  // saved again.
  while (started_ && !ended_) {
    pid_t holder = 0;
    const CalculatorLogic::Saved r = savedAtExit_ ? *savedAtExit_ : logic_.EndSession(dir_, GiveUpAtOnce(holder), exitParts_);
    savedAtExit_.reset();
    if (r.Busy()) {
      // Waits without blocking: the wait's save closes the window again.
      LockWaitView view;
      view.text = [this](pid_t h) {
        return "Another Tarvo session" + HolderText(h) + " is saving its variables in \"" + c_.FolderShown(dir_) +
               "\".\n\nTarvo saves its own as soon as it has finished.";
      };
      view.choices = {"Quit without saving"};
      view.attempt = [this](pid_t& h) { return TrySave(h); };
      view.chosen = [this](int) {
        ended_ = true;
        c_.CloseWindow();
      };
      c_.BeginLockWait(SessionControls::Wait::kExit, std::move(view));
      return false;
    }
    if (r.Ok()) break;
    exitParts_ = !r.variables.ok && !r.tape.ok ? CalculatorLogic::Parts::kBoth
                 : !r.variables.ok             ? CalculatorLogic::Parts::kVariables
                                               : CalculatorLogic::Parts::kTape;
    const ExitChoice choice =
        c_.AskAtExit({ExitQuestion::Kind::kSaveFailed, SaveFailureText(r), QuitUnsavedCaption(r)});
    if (stopping_) return false;
    if (choice == ExitChoice::kQuitWithoutSaving) break;
    if (choice == ExitChoice::kStayOpen) {
      exitParts_ = CalculatorLogic::Parts::kBoth;  // the session goes on: its next exit saves all
      return false;
    }
  }
  ended_ = true;
  return true;
}

bool SessionLifecycle::StopSignal(bool windowShown) {
  if (!windowShown && !stopping_) return false;
  if (stopping_) return true;
  stopping_ = true;
  c_.StopLockWait(SessionControls::Wait::kStart);
  c_.StopLockWait(SessionControls::Wait::kExit);
  c_.CloseQuestions();
  c_.RunLater(0, [this] { FinishStop(0); });
  return true;
}

void SessionLifecycle::FinishStop(int turn) {
  // Closed, a question or a modal window returns to the work it
  // interrupted (an entry whose roots it listed, an exit that asked), which
  // ends before the save: at the outermost event loop.
  if (turn < kStopTurns && c_.QuestionsOpen()) {
    c_.CloseQuestions();
    c_.RunLater(kStopTurnMs, [this, turn] { FinishStop(turn + 1); });
    return;
  }
  if (started_ && !ended_) {
    pid_t holder = 0;
    const CalculatorLogic::Saved r = logic_.EndSession(
        dir_,
        [&holder](const LockWaitTurn& t) {
          holder = t.holder;
          return t.waited < kStopLockWait;
        },
        exitParts_);
    std::string unsaved;
    if (r.Busy())
      unsaved = "Another Tarvo session" + HolderText(holder) + " is saving in \"" + c_.FolderShown(dir_) +
                "\": the variables and the tape are not saved";
    else if (!r.Ok())
      unsaved = SaveFailureText(r);
    for (size_t from = 0; from < unsaved.size();) {
      const size_t end = std::min(unsaved.find('\n', from), unsaved.size());
      if (end > from) c_.TellStandardError("tarvo: " + unsaved.substr(from, end - from));
      from = end + 1;
    }
  }
  ended_ = true;
  c_.HideWindow();
  c_.Stopped();
}

bool SessionLifecycle::Failed(const std::string& reason, bool windowShown) {
  c_.TellStandardError("tarvo: " + FailureText(reason));
  // A second failure on the way out ends it there.
  if (!windowShown || failed_) return false;
  failed_ = true;
  c_.CloseWindow();
  return true;
}

std::string FailureText(const std::string& reason) { return "Tarvo stops: " + reason; }

std::string SaveFailureText(const CalculatorLogic::Saved& saved) {
  std::string lines;
  for (const auto& [result, what] : {std::pair{&saved.variables, "variables"}, std::pair{&saved.tape, "tape"}}) {
    if (result->ok) continue;
    if (!lines.empty()) lines += '\n';
    lines += std::string("The ") + what + " could not be saved in \"" + result->file + "\": " + result->reason;
  }
  return lines;
}

std::string QuitUnsavedCaption(const CalculatorLogic::Saved& saved) {
  return !saved.variables.ok && !saved.tape.ok ? "Quit without saving"
         : !saved.variables.ok                 ? "Quit without saving the variables"
                                               : "Quit without saving the tape";
}

std::optional<std::string> UserStateFolder(const std::function<bool(const std::string& problem)>& ask) {
  std::string error;
  const std::string dir = UserStateDirectory(&error);
  if (!dir.empty()) return dir;
  if (ask("The folder for the saved variables cannot be used: " + error)) return std::string();
  return std::nullopt;
}

StartQuestion UnusableFolderQuestion(const std::string& problem) {
  return {problem + "\n\nTarvo can start without the saved variables and save nothing.", "Start without saving",
          "Quit"};
}

}  // namespace tarvo
