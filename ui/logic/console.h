// The console front end's logic: the main window's processing cycle driven by
// lines of text instead of keys. tarvo-cli is a thin shell around it, and the
// tests drive it directly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/host.h"
#include "engine/state.h"
#include "ui/logic/controls.h"
#include "ui/logic/calculator_logic.h"

namespace tarvo {

class Console : public MainControls, public EngineHost {
 public:
  // Drives `engine`, whose host is to be this console (the engine's owner
  // makes the two together). Output lines (UTF-8) go to `out`, diagnostics
  // to `err`.
  Console(Engine& engine, std::function<void(const std::string&)> out,
          std::function<void(const std::string&)> err);

  // Start of a run; `stateDir` empty means no variable files. False
  // (reported on `err`) when a variable file exists but cannot be read.
  bool Start(const std::string& stateDir);
  // End of a run: saves; false (reported on `err`) when the save failed.
  bool Finish(const std::string& stateDir);

  enum class Outcome { kNothing, kSuccess, kNotice, kUnknownCommand };
  // One entry or directive, UTF-8. A line over the entry-length limit is an
  // entry, which the cycle refuses.
  Outcome Run(const std::string& line);

  // MainControls
  std::string EntryText() const override { return entry_; }
  void SetEntryText(const std::string& text) override;
  void SetEntryText(std::string&& text);
  int SelectionStart() const override { return selStart_; }
  int SelectionLength() const override { return selLength_; }
  void SetSelection(int start, int length) override;
  Rgb EntryColor() const override { return color_; }
  void SetEntryColor(Rgb c) override { color_ = c; }
  void FocusEntry() override {}
  void SetUpperMessage(const std::string& text) override { upperMessage_ = text; }
  void SetLowerMessage(const std::string&) override {}
  void ClearDisplay() override { display_.clear(); }
  void DrawResultText(const std::string& text) override { display_ = text; }
  void Beep() override {}
  void SetClipboardText(const std::string&) override {}
  void SetBusy(bool) override {}
  void SetKeyLit(int, bool) override {}
  void MoveKey(int, int, int) override {}
  void SetKeyVisible(int, bool) override {}
  void SetShiftIndicatorVisible(bool) override {}
  void SetPagePicture(int) override {}
  void SetPageSelectorPressed(bool) override {}
  void SetAlwaysOnTop(bool) override {}
  void CloseWindow() override {}
  int PopupMenu(const std::vector<MenuEntry>& entries) override;

  // EngineHost
  void ShowVariableList() override;
  void ReportSelfCheck(const std::string& text, bool critical) override;

 private:
  Outcome RunDirective(const std::string& directive);
  void PrintRows();
  void PrintDisplay();

  std::function<void(const std::string&)> out_, err_;
  Engine& engine_;
  CalculatorLogic form_;
  std::string entry_;
  int selStart_ = 0, selLength_ = 0;
  Rgb color_ = kBlack;
  std::string upperMessage_;
  std::string display_;
  std::string line_;  // the result line being printed, its storage reused
  int nextMenuChoice_ = -1;
};

// A console and the engine it drives, made together: the console is the
// engine's host, and only keeps the reference until the engine exists.
struct ConsoleSession {
  ConsoleSession(std::function<void(const std::string&)> out, std::function<void(const std::string&)> err)
      : console(engine, std::move(out), std::move(err)) {}
  Console console;
  Engine engine{console};
};

}  // namespace tarvo
