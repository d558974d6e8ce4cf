// What the variable list window does, without a widget: its rows, its three
// text buttons and what closing it leaves behind. The Qt window and the
// tests' fake drive it through VarListControls.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/calculator.h"
#include "ui/logic/controls.h"
#include "ui/logic/key_codes.h"

namespace tarvo {

// The window's text buttons.
enum class VarListButton { kClear = 1, kCopy = 2, kExit = 6 };

// Where each button rests, and how it looks at rest and pressed.
int VarListButtonLeft(VarListButton b);  // 228, 289, 348 for Copy, Clear, Exit
inline constexpr int kVarListButtonTop = 8;
inline constexpr int kVarListButtonPressedTop = 9;
inline constexpr Rgb kVarListButtonColor{0, 0, 192};
inline constexpr Rgb kVarListButtonPressedColor{128, 128, 255};

class VarListControls {
 public:
  virtual ~VarListControls() = default;
  // The list's rows (Windows-1252 bytes).
  virtual void ClearList() = 0;
  virtual void AddRow(const std::string& row) = 0;
  virtual void SetButtonEnabled(VarListButton b, bool enabled) = 0;
  virtual void SetButtonLook(VarListButton b, Rgb color, int left, int top) = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  // The mouse pointer back to the default, whatever a calculation left.
  virtual void SetDefaultPointer() = 0;
  // Closes the window; EndSession follows.
  virtual void CloseWindow() = 0;
};

class VariableListLogic {
 public:
  // `listMode` is the window logic's list mode while this list is open: rows
  // show and Clear acts only when it is 1. The list shows `shown` (a
  // solver's roots as it left them) until Clear, otherwise the calculator's
  // variables as they stand.
  VariableListLogic(VarListControls& controls, Calculator& calculator, int listMode,
                    std::optional<VariableListShow> shown = std::nullopt)
      : c_(controls), calculator_(calculator), listMode_(listMode), shown_(std::move(shown)) {}

  void StartSession() { FillList(); }
  void WindowActivated() { c_.SetDefaultPointer(); }
  void WindowKeyDown(KeyCode key);
  void EndSession();

  void ClickCopy();
  void ClickClear();
  void ClickExit();
  void PressButton(VarListButton b);
  void ReleaseButton(VarListButton b);

  // Fills the list from the variables; "Copy" and "Clear" only when it has rows.
  void FillList();
  const std::vector<std::string>& Rows() const { return rows_; }

 private:
  VarListControls& c_;
  Calculator& calculator_;
  int listMode_;
  std::optional<VariableListShow> shown_;
  std::vector<std::string> rows_;
};

}  // namespace tarvo
