// What the variable list window does, without a widget: its rows, its three
// text buttons and what closing it leaves behind. The Qt window and the
// tests' fake drive it through VarListControls.
#pragma once

#include <string>
#include <vector>

#include "engine/state.h"
#include "ui/logic/controls.h"

namespace tarvo {

// The window's text buttons by their control names.
enum class VarListButton { kClear = 1, kCopy = 2, kExit = 6 };  // Label1, Label2, Label6

// Where each button rests, and how it looks at rest and pressed.
int VarListButtonLeft(VarListButton b);  // 228, 289, 348 for Copy, Clear, Exit
inline constexpr int kVarListButtonTop = 8;
inline constexpr int kVarListButtonPressedTop = 9;
inline constexpr Rgb kVarListButtonColor{0, 0, 192};
inline constexpr Rgb kVarListButtonPressedColor{128, 128, 255};

inline constexpr int kVarListKeyEscape = 27;

class VarListControls {
 public:
  virtual ~VarListControls() = default;
  // List1, the rows (Windows-1252 bytes).
  virtual void ClearList() = 0;
  virtual void AddRow(const std::string& row) = 0;
  virtual void SetButtonEnabled(VarListButton b, bool enabled) = 0;
  virtual void SetButtonLook(VarListButton b, Rgb color, int left, int top) = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  // The mouse pointer back to the default, whatever a calculation left.
  virtual void SetDefaultPointer() = 0;
  // Closes the window; Form_Unload follows.
  virtual void CloseWindow() = 0;
};

class FormVarList {
 public:
  // `listMode` is the window logic's list mode while this list is open: rows
  // show and Clear acts only when it is 1.
  FormVarList(VarListControls& controls, Engine& engine, int listMode)
      : c_(controls), engine_(engine), listMode_(listMode) {}

  void Form_Load() { FillList(); }
  void Form_Activate() { c_.SetDefaultPointer(); }
  void Form_KeyDown(int keyCode);
  void Form_Unload();

  void Label2_Click();  // Copy
  void Label1_Click();  // Clear
  void Label6_Click();  // Exit
  void Button_MouseDown(VarListButton b);
  void Button_MouseUp(VarListButton b);

  // Fills List1 from the variables; "Copy" and "Clear" only when it has rows.
  void FillList();
  const std::vector<std::string>& Rows() const { return rows_; }

 private:
  VarListControls& c_;
  Engine& engine_;
  int listMode_;
  std::vector<std::string> rows_;
};

}  // namespace tarvo
