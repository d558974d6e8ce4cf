// What the window does about an idle desktop.
#pragma once

class QApplication;

namespace tarvo::ui {

// Keeps the entry line's caret blinking while the user works and holds it
// steady after a while without input, as desktop toolkits do, so that an idle
// window does not wake the processor twice a second. Any key or click starts
// the blinking again.
void StopCaretBlinkWhenIdle(QApplication& app, int idleMilliseconds = 10000);

}  // namespace tarvo::ui
