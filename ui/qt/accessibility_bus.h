// The application's side of the accessibility bus (AT-SPI over D-Bus), where
// a screen reader's questions arrive. Qt's own side answers some of them
// wrongly, late or never:
// - the extent of a range of text: Qt measures every offset from the range's
//   start to its end, whatever they are, so that a range ending at the
//   largest offset never ends and the window stops answering for good;
// - a character: Qt answers with the first byte of its UTF-8 code ("√" is
//   -30);
// - the string of a granularity (character, word, sentence, line,
//   paragraph) at an offset: Qt does not know the question;
// - the ranges within a rectangle: Qt cannot send its answer and sends none,
//   so that the reader waits until it gives up;
// - an insertion of a length beyond the text given: Qt inserts as many
//   characters, the rest of them from uninitialized memory (a length of 2^31
//   asks for 4 GiB);
// - an edit of an object that has no editable text (a key, a readout, the
//   application): Qt edits its value instead, padding it with blanks up to
//   the offset asked for (2^31 - 1 of them asks for 4 GiB, and the window
//   stops answering). Such an object, or a read-only text, is refused;
//   copying is no edit.
// The guard answers these itself, from the object's accessible interface,
// and hands every other question to Qt.
#pragma once

namespace tarvo::ui {

// From now on, each time Qt puts the application on the accessibility bus
// (at start, or once a screen reader turns accessibility on), the guard
// takes the questions first. Runs once; later calls do nothing.
void GuardAccessibilityBus();

}  // namespace tarvo::ui
