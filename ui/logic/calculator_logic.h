// What the main window does, without a widget: the processing cycle, the
// entry line and its history, the output keys and menus. The window and the
// console drive the same object through MainControls.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/state.h"
#include "ui/logic/controls.h"
#include "ui/logic/persist.h"

namespace tarvo {

// Keypad key numbers the logic names.
inline constexpr int kKeyNor = 76;
inline constexpr int kKeyFix = 77;
inline constexpr int kKeySci = 78;
inline constexpr int kKeyFrac = 79;
inline constexpr int kKeyDms = 80;
inline constexpr int kKeyBin = 81;
inline constexpr int kKeyHex = 82;
inline constexpr int kKeyDate = 83;
inline constexpr int kKeyDeg = 84;
inline constexpr int kKeyRad = 85;
inline constexpr int kKeyGra = 86;

inline constexpr int kHistorySize = 32;

// What a typed character becomes in the entry line: "*" the multiplication
// dot, the ordinal sign the degree mark.
int TypedCharacter(int c);

// The entry's text for the last answer: "0.5", "(-2)".
std::string LastAnswerText(const EngineState& state);
// A value as the normal output format shows it: NumberText after a blank.
std::string NormalAnswerText(double x);

// Completes an entry that is only a prefix key, a postfix mark or a function
// name, or that starts or ends with an operator, with the last answer.
std::string CompleteWithLastAnswer(const EngineState& state, std::string_view entry, bool& changed);

// Move the text arguments of equation-taking calls into the equation-text
// slots and write the slot numbers in their place. On failure ErrorCode is set
// (23 too many texts, 3 an empty or undelimited argument) and "" returned.
std::string MoveEquationTexts(EngineState& state, std::string_view tokens, int code);
std::string MoveAllEquationTexts(EngineState& state, std::string_view tokens, int code);

class CalculatorLogic {
 public:
  CalculatorLogic(MainControls& controls, Engine& engine) : c_(controls), engine_(engine) {}

  // The processing cycle: the entry line to a result or a message. An entry
  // over kMaxEntryLength is refused (42) before any work; one that runs out
  // of memory ends with 4.
  void ProcessEntry();
  // Shows the message of the current ErrorCode in the entry's colour.
  void ShowError();
  // Shows LastAnswer in the current output format.
  void ShowNewAnswer();
  // The same, with LastAnswer's normal-format text (" " + NumberText) already
  // built: the processing cycle has it for the clipboard.
  void ShowNewAnswer(std::string normalText);

  // Entry line and history.
  // True when a line of `length` characters is no longer than an entry may
  // be; otherwise shows the "entry too long" error and returns false.
  bool EntryFits(size_t length);
  void InsertAtCaret(const std::string& keyText, const std::string& help);
  void DeleteKey();
  void ClearEntryKey();
  void ExecuteKey();
  void LastAnswerKey();
  void RecordInHistory();
  // Returns the character that goes into the line, or 0 when swallowed.
  int EntryLineKeyPress(int c);
  void EntryLineKeyDown(int keyCode);
  void EntryLineChanged();
  void EntryLineMouseDown() { ResultShown = false; }
  void ReviewHistory(int button, int shift, int x, int y);

  // Output keys and their menus.
  void NormalFormatKey();
  // NormalFormatKey with LastAnswer's text in normal format given.
  void NormalFormatKey(std::string normalText);
  void FixedFormatKey();
  void ScientificFormatKey();
  void FractionFormatKey();
  void SexagesimalFormatKey();
  void BinaryFormatKey();
  void HexadecimalFormatKey();
  void DateFormatKey();
  void ChooseFixedDecimals(int index);
  void ChooseFixedNormal();
  void ChooseScientificDigits(int index);
  void ChooseScientificNormal();

  // Angle unit.
  void AngleUnitKey(int key);
  // Restores the angle unit from a saved AngleFactor (the load's rule).
  void RestoreAngleUnit(double savedFactor);

  // Start of a run: presets, the variable files of `stateDir` (none when
  // empty), the angle unit they imply, then one calculation of "0". Files
  // that exist but cannot be read are left alone (the run starts from the
  // presets) and named in the result.
  FileResult StartSession(const std::string& stateDir);
  // End of a run: writes what the run changed into the variable files of
  // `stateDir` (nothing when empty) and tells whether that worked. It may be
  // tried again after a failure.
  SaveResult EndSession(const std::string& stateDir);

  // Clear-variables key.
  void ClearVariablesKey();
  // The constants menu, the variable list window and the help menu. Each
  // clears the pending shifts and hands the focus back to the entry line.
  void ConstantsKey();
  void PickConstant(int index);
  void VariableListKey();
  void HelpKey();
  // The help menu's entries (F1 runs the manual's too).
  void OpenManual();
  void OpenHomePage();
  void OpenDonationPage();
  void ShowAbout();

  // The keypad: its table and layout, the click dispatcher, the pressed look.
  void LayOutKeypad();
  void ClickKey(int key);
  void HoldKey(int key);
  void ReleaseKey(int key);
  // The page selector and the always-visible switch.
  void TurnKeypadPage();
  void PressPageSelector();
  void ReleasePageSelector();
  void ToggleAlwaysOnTop();

  // Shift keys and the trigonometric keys they change.
  void ArcShiftKey();
  void HypShiftKey();
  void TrigonometricKey(int key);
  // What the window's timer kept in step with the shifts: the shift keys back
  // at rest with their normal pictures, the indicator hidden, once no shift
  // is pending. Run after every action that may clear a shift.
  void RestShiftKeys();

  // Keys pressed in the window: the window sees them before the entry line.
  // WindowKeyPress returns the character that passes on to the entry line, or
  // 0 when the key was swallowed.
  void WindowKeyDown(int keyCode, int shift);
  int WindowKeyPress(int c);
  // The whole path of one key: window, entry line, shift pictures. The result
  // of EntryKeyPress is the character the line receives (0: none).
  void EntryKeyDown(int keyCode, int shift);
  int EntryKeyPress(int c);

  // State the window keeps (names as the calculator's algorithms use them).
  // Entry i of the history: 1 the oldest, HistoryLast the newest ("" for 0).
  const std::string& HistoryEntry(int i) const;
  int HistoryLast = 0;
  int HistoryCursor = 0;
  bool ResultShown = false;
  bool ArcShift = false;
  bool HypShift = false;
  int FixDecimals = 0;
  int SciDigits = 0;
  // Menu check marks, kept in step with OutputMode.
  std::array<bool, 10> FixChecked{};
  bool FixNormalChecked = true;
  std::array<bool, 13> SciChecked{};  // 1..12
  bool SciNormalChecked = true;
  // Resting place of each key (index = key number) and the page shown.
  std::array<int, 93> KeyLeft{};
  std::array<int, 93> KeyTop{};
  int KeypadPage = 0;
  // The variable list shows rows and Clear acts only while this is 1.
  std::int32_t ListMode = 0;
  // Non-zero while the window stays on top of the others.
  std::int16_t AlwaysVisible = 0;

  MainControls& Controls() { return c_; }

 private:
  // The processing cycle itself; ProcessEntry turns an allocation failure in it
  // into the entry's error.
  void EvaluateEntry();
  // A modal window must not hide behind a window kept on top: the state is
  // dropped before it opens (returning what it was) and put back after.
  std::int16_t DropAlwaysOnTop();
  void RestoreAlwaysOnTop(std::int16_t saved);
  // RecordInHistory with the entry line's text already trimmed.
  void RecordEntryInHistory(std::string entry);
  void ToggleKey(int mode, int key);
  void LightOutputKey(int key);
  void UncheckAllFormatMenus();

  MainControls& c_;
  Engine& engine_;
  // The history as a ring: once full, a new entry takes the oldest one's
  // slot instead of moving the other 31 down. Entry 1 is in slot historyStart_.
  std::array<std::string, kHistorySize> history_{};
  int historyStart_ = 0;
  // The variables as the files gave them at load: the save writes back only
  // what differs.
  StoredPair loadedPair_ = {};
};

}  // namespace tarvo
