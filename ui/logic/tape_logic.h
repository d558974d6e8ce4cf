// What the tape window does, without a widget: its rows (each entry the
// window calculated, with its result or message), the row put back into
// the entry line, the rows copied, the tape cleared, and where the window
// stands beside the calculator. The Qt window and the tests' fake drive it
// through TapeControls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/tape.h"

namespace tarvo {

class CalculatorLogic;

// Opens and closes the tape, from the calculator and from the tape itself.
// F12 opens the help menu, whose last entry does the same.
inline constexpr std::string_view kTapeBinding = "Shift+F12";
// In the tape: empties it, as browsers clear their history.
inline constexpr std::string_view kTapeClearBinding = "Ctrl+Shift+Del";

// A window's place and size on the desktop, in pixels.
struct Box {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Box&, const Box&) = default;
};

inline constexpr int kTapeWidth = 320;
// Narrower or lower than this, the tape goes elsewhere.
inline constexpr int kTapeMinWidth = 220, kTapeMinHeight = 160;
inline constexpr int kTapeGap = 6;

// Where the tape window goes for the calculator at `window` on `screen`
// (its free area), in the screen's logical pixels: always on the screen,
// over the calculator only where nothing else fits. Beside it at its height,
// right or left where the whole width fits, else on the side with more room
// where at least kTapeMinWidth fits; else below or above it, at its right
// end, where at least kTapeMinHeight fits; else at the screen's edge at its
// smallest, where it covers least of the calculator.
Box PlaceTapeWindow(const Box& window, const Box& screen);

class TapeControls {
 public:
  virtual ~TapeControls() = default;
  // The list's rows, oldest first, each shown as its TapeLine; a row of an
  // error or a notice looks like the entry line does after one.
  virtual void ClearRows() = 0;
  virtual void AddRow(const TapeRow& row) = 0;
  virtual void RemoveOldestRow() = 0;
  // The newest row becomes the current one, scrolled into view.
  virtual void ShowNewestRow() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual void CloseWindow() = 0;
};

class TapeLogic {
 public:
  TapeLogic(TapeControls& controls, CalculatorLogic& calculator) : c_(controls), calculator_(calculator) {}

  // The list as the tape stands, the newest row current.
  void Fill();
  // The tape gained a row: it joins the list (the oldest goes where the
  // tape is full) and becomes current.
  void RowAdded();
  // Enter or a double-click: the row's entry goes back into the entry line.
  void UseRow(int row);
  // The rows' "entry = result" lines, one a line, onto the clipboard.
  void CopyRows(std::vector<int> rows);
  void Clear();
  void Close() { c_.CloseWindow(); }

 private:
  TapeControls& c_;
  CalculatorLogic& calculator_;
  size_t shown_ = 0;  // rows in the list
};

}  // namespace tarvo
