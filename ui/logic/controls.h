// The narrow interface through which the main window's logic talks to its
// controls. The Qt widgets and the tests' fakes implement it.
// Every text crossing it is Windows-1252 bytes; the Qt side maps them to the
// signs a person sees.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/menu_entry.h"
#include "core/variable_rows.h"
#include "ui/logic/keypad.h"
#include "ui/logic/look.h"

namespace tarvo {

struct Rgb {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kErrorRed{192, 0, 0};
inline constexpr Rgb kNoticeGreen{0, 128, 0};

class MainControls {
 public:
  virtual ~MainControls() = default;

  // The entry line. Positions count characters (one byte each).
  virtual std::string EntryText() const = 0;
  virtual void SetEntryText(const std::string& text) = 0;
  // Replaces `length` characters from `start` by `text` and puts the caret
  // after it: an edit of the line rather than a new line, so that a screen
  // reader hears what was inserted and an undo takes back only that.
  virtual void ReplaceEntryText(int start, int length, const std::string& text) {
    const std::string line = EntryText();
    const size_t from = std::min(static_cast<size_t>(std::max(start, 0)), line.size());
    const size_t count = std::min(static_cast<size_t>(std::max(length, 0)), line.size() - from);
    SetEntryText(line.substr(0, from) + text + line.substr(from + count));
    SetSelection(static_cast<int>(from + text.size()), 0);
  }
  virtual int SelectionStart() const = 0;  // the caret: characters before it
  virtual int SelectionLength() const = 0;
  virtual void SetSelection(int start, int length) = 0;
  virtual Rgb EntryColor() const = 0;
  virtual void SetEntryColor(Rgb color) = 0;
  virtual void FocusEntry() = 0;

  // The message lines.
  virtual void SetUpperMessage(const std::string& text) = 0;
  virtual void SetLowerMessage(const std::string& text) = 0;

  // The display: cleared, then drawn with DrawResult.
  virtual void ClearDisplay() = 0;
  virtual void DrawResultText(const std::string& text) = 0;

  // Desktop services.
  virtual void Beep() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual void SetBusy(bool busy) = 0;

  // Key pictures: the lit or the normal picture of a keypad key.
  virtual void SetKeyLit(Key key, bool lit) = 0;

  // The keypad: where a key sits (its resting place, or one pixel right and
  // down while pressed) and whether its page shows it.
  virtual void MoveKey(Key key, int left, int top) = 0;
  virtual void SetKeyVisible(Key key, bool visible) = 0;
  // The frame around the trigonometric keys while a shift is pending.
  virtual void SetShiftIndicatorVisible(bool visible) = 0;
  // The page selector: the picture of page 0 or 1, and its pressed frame.
  virtual void SetPagePicture(int page) = 0;
  virtual void SetPageSelectorPressed(bool pressed) = 0;
  // Keeps the window above all others (and shows the switch's picture).
  virtual void SetAlwaysOnTop(bool on) = 0;
  // Whether the window system lets a window keep itself above the others
  // (a Wayland compositor decides that alone).
  virtual bool CanKeepOnTop() const { return true; }
  // Closes the window the way its Exit label does (the variables are saved).
  virtual void CloseWindow() = 0;

  // A modal pop-up menu at the cursor; the index of the chosen entry, or -1
  // when it was closed without a choice.
  virtual int PopupMenu(const std::vector<MenuEntry>& entries) = 0;

  // The list and help keys' windows and the desktop around the program. A
  // front end without them (the console) keeps these defaults, under which
  // nothing opens and every hand-over to the desktop fails quietly.
  //
  // The variable list window, modal: returns once it has been closed. It
  // shows `shown` (a solver's roots) or, without it, the variables as they
  // stand.
  virtual void ShowVariableListWindow(const std::optional<VariableListShow>& /*shown*/) {}
  // The splash window as the About box: modal, its timer off.
  virtual void ShowAboutBox() {}
  // Where the program lies; the manual is looked for beside it first.
  virtual std::string ProgramDirectory() const { return {}; }
  virtual bool FileExists(const std::string& /*path*/) const { return false; }
  // Hand a local document, or a web or mail address, to the desktop; false
  // when the desktop refused it (a document's launcher that fails later is
  // told to CalculatorLogic::ManualNotOpened).
  virtual bool OpenDocument(const std::string& /*path*/) { return false; }
  virtual bool OpenUrl(const std::string& /*url*/) { return false; }
  // A modal warning box.
  virtual void ShowWarning(const std::string& /*title*/, const std::string& /*text*/) {}
  // The tape window beside this one: whether it shows; shown (taking the
  // keyboard) or closed; told of a row the tape gained while it shows.
  virtual bool TapeWindowShown() const { return false; }
  virtual void ShowTapeWindow(bool /*shown*/) {}
  virtual void TapeRowAdded() {}
  // Every picture, line and list of the window and its windows in `look`.
  virtual void ShowLook(Look /*look*/) {}
};

}  // namespace tarvo
