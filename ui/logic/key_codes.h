// The keyboard as the windows' logic hears it: the few keys its key-down
// handlers tell apart, the shift keys held with a key, and the characters
// Enter and Esc hand to its key-press handlers. The Qt layer translates its
// key events into these.
#pragma once

namespace tarvo {

// A key pressed (or, for kControl, let go on its own); every key the
// handlers do not name is kOther.
enum class KeyCode { kOther, kControl, kEscape, kLeft, kUp, kRight, kDown, kF1 };

// The shift keys held, as bits of a key event's shift state.
inline constexpr int kShiftHeld = 1, kCtrlHeld = 2, kAltHeld = 4;

// The characters of Enter and Esc among the typed characters.
inline constexpr int kEnterCharacter = '\r';
inline constexpr int kEscapeCharacter = 0x1B;

}  // namespace tarvo
