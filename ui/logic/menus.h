// The constants menu and the help menu: their entries, and the text a chosen
// constant puts into the entry line and onto the status line.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/logic/controls.h"
#include "ui/logic/look.h"

namespace tarvo {


// One entry of the constants menu. `text` is what choosing it inserts into
// the entry line (Windows-1252 bytes).
struct Constant {
  int index;  // 1..28, the menu's own numbering
  std::string_view caption;
  std::string_view text;
};

inline constexpr int kConstantCount = 28;
// The pi entry inserts the entry line's pi sign rather than digits.
inline constexpr int kPiConstant = 17;

extern const std::array<Constant, kConstantCount> kConstants;

// The entry of a menu index, or nullptr outside 1..28.
const Constant* FindConstant(int index);

// What the status line shows when constant `index` is chosen: the caption
// with "= <text> " put before each "[" ("Bohr radius = 5.291772108E-11 [ m ]");
// a caption without a bracket as it is; "Número π" for the pi entry. Empty
// outside 1..28.
std::string ConstantDescription(int index);

// The pop-up's entries in menu order: entry k is constant k + 1.
std::vector<MenuEntry> ConstantsMenuEntries();

// The help menu, in menu order; a pop-up choice is one of these. The tape's
// entry is checked while the tape shows; after a separator, the looks, the
// one in force checked, and the desktop's, checked while it is followed.
enum class HelpChoice {
  kManual = 0, kHomePage = 1, kDonate = 2, kAbout = 3, kTape = 4,
  kDefaultLook = 6, kHighContrastLook = 7, kDarkLook = 8, kDesktopLook = 9,
};
inline constexpr int kHelpEntryCount = 10;
std::vector<MenuEntry> HelpMenuEntries(bool tapeShown = false, Look look = Look::kDefault, bool followsDesktop = true);
// The look a help menu choice stands for; none for the desktop's.
std::optional<Look> LookOfChoice(HelpChoice choice);

// In a menu whose entries are counts ("0 decimals", "1 digit"... "12
// digits"), the digits typed so far choose an entry: the one whose count
// they spell. It is taken at once when no other count begins with them
// (in a menu of 1 to 12, "2" takes 2 and "1" waits for a second digit, or
// for Enter).
struct TypedCount {
  int entry = -1;      // the entry whose count was typed, -1 for none
  bool final = false;  // no longer count begins with what was typed
};
// `captions` in menu order; a caption not starting with a digit is no count.
TypedCount CountTyped(const std::vector<std::string_view>& captions, std::string_view typed);

}  // namespace tarvo
