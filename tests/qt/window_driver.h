// The calculator window as a person drives it: key events on the entry line,
// clicks on the keys, and what the face shows. Message boxes, the desktop's
// hand-overs, pop-up menus and modal windows go to a recorder.
#pragma once

#include <QAccessible>
#include <QtTest/QtTest>
#include <memory>

#include "ui/qt/main_window.h"

namespace tarvo::test {

using ui::MainWindow;

struct Recorder {
  QStringList texts;  // message boxes
  QList<QUrl> urls;   // addresses handed to the desktop
  bool desktopAccepts = true;
  int menus = 0, windows = 0;
};

// A shown window over `stateDir` (empty: no variable files). Menus close
// without a choice and modal windows close at once, unless a test sets its own.
inline std::unique_ptr<MainWindow> NewWindow(Recorder& rec, const std::string& stateDir = "") {
  auto w = std::make_unique<MainWindow>(stateDir);
  w->SetMessageBox([&rec](const QString&, const QString& text) { rec.texts << text; });
  w->SetOpenUrl([&rec](const QUrl& url) { return rec.urls << url, rec.desktopAccepts; });
  w->SetPopupMenu([&rec](const std::vector<MenuEntry>&) { return ++rec.menus, -1; });
  w->SetModalHook([&rec](QWidget* window) { ++rec.windows, window->close(); });
  w->Load();
  w->show();
  return w;
}

// Types a text: ASCII through its key, any other character as a key event
// that carries only its text (as a keyboard layout sends it).
inline void Type(QWidget* target, const QString& text) {
  for (const QChar ch : text) {
    if (ch.unicode() < 128) QTest::keyClick(target, ch.toLatin1());
    else QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
  }
}

// AC (which clears the line and the messages), then `text` typed.
inline void Start(MainWindow& w, const QString& text = {}) {
  QTest::keyClick(w.Entry(), Qt::Key_Delete, Qt::AltModifier);
  Type(w.Entry(), text);
}

// What a screen reader reads of a widget.
inline QString Described(QWidget* widget, QAccessible::Text t = QAccessible::Description) {
  return QAccessible::queryAccessibleInterface(widget)->text(t);
}

// The result as tarvo-cli prints it, or the error message when there is one.
inline QString Shown(MainWindow& w) {
  const QString message = Described(w.UpperMessageLine());
  return !message.isEmpty() ? message : Described(w.Display());
}

// Types `text` after AC, presses Enter and reads what is shown.
inline QString Calculate(MainWindow& w, const QString& text) {
  Start(w, text);
  QTest::keyClick(w.Entry(), Qt::Key_Return);
  return Shown(w);
}

// Key 27 ("|") is on the second page only.
inline bool SecondPage(const MainWindow& w) { return w.Key(27)->isVisibleTo(&w); }

}  // namespace tarvo::test
