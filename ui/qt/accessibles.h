// The calculator window as a screen reader sees it: the keys, the pin, the
// title line's Minimize and Exit and the list windows' text buttons are
// buttons it can press; the display and the message lines are status bars
// whose name is the text they show.
#pragma once

#include <QAbstractItemView>
#include <QAccessible>
#include <QString>
#include <QWidget>

namespace tarvo::ui {

// Makes Qt describe the window's own widgets as above; runs once, before
// the first of them is asked for.
void InstallAccessibles();

// Has a screen reader speak `text` now, as a notice of the status bar
// `readout` (the display or a message line). A screen reader speaks a
// change of the widget that has the focus, not a new name of a status bar
// elsewhere; a notification inside a status bar that shows itself it does
// speak, without calling it one.
void Announce(QWidget* readout, const QString& text);

// Sets a widget's accessible name or description (`what` is
// QAccessible::NameChanged or DescriptionChanged) and tells assistive
// technology, also when the text is the one it had: a second result equal to
// the first is news too.
void Tell(QWidget* widget, QAccessible::Event what, const QString& text);

// Each time `view` takes the focus, tells a screen reader that its current
// row has it: a list that takes the focus (as its window opens, or by Tab)
// is read as "a list" and no more, unless its row is told apart.
void TellCurrentRowOnFocus(QAbstractItemView* view);

}  // namespace tarvo::ui
