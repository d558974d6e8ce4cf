// The calculator window as a person drives it: key events on the entry line,
// clicks on the keys, and what the face shows. Message boxes, the desktop's
// hand-overs, pop-up menus and modal windows go to a recorder.
#pragma once

#include <QAccessible>
#include <QtTest/QtTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <memory>

#include "ui/logic/keypad.h"
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

// What a screen reader reads of a widget: its name unless told otherwise.
inline QString Described(QWidget* widget, QAccessible::Text t = QAccessible::Name) {
  return QAccessible::queryAccessibleInterface(widget)->text(t);
}

// The result as tarvo-cli prints it, or the error message when there is one.
inline QString Shown(MainWindow& w) {
  const QString message = Described(w.UpperMessageLine());
  return !message.isEmpty() ? message : Described(w.Display());
}

// What assistive technology is told while one lives: text changes ("+7@2"
// inserted at 2, "-45@3" removed at 3, "=ab>cd@0" replaced), new names, and
// the announcements a screen reader speaks.
struct Heard {
  QStringList edits, names, announced, focused;

  // Accessibility is on, as under a screen reader: Qt tells nothing otherwise.
  Heard() { Sink() = this, previous_ = QAccessible::installUpdateHandler(&Record), Platform()->setActive(true); }
  ~Heard() { Platform()->setActive(false), QAccessible::installUpdateHandler(previous_), Sink() = nullptr; }
  void Clear() { edits.clear(), names.clear(), announced.clear(), focused.clear(); }

 private:
  static QPlatformAccessibility* Platform() { return QGuiApplicationPrivate::platformIntegration()->accessibility(); }
  static Heard*& Sink() {
    static Heard* sink = nullptr;
    return sink;
  }
  static void Record(QAccessibleEvent* e) {
    Heard* h = Sink();
    QAccessibleInterface* iface = e->accessibleInterface();
    if (h == nullptr || iface == nullptr) return;
    if (iface->role() != QAccessible::EditableText && dynamic_cast<QAccessibleTextCursorEvent*>(e) != nullptr) return;
    const QString at = QStringLiteral("%1@%2");
    if (auto* i = dynamic_cast<QAccessibleTextInsertEvent*>(e))
      h->edits << at.arg(u'+' + i->textInserted()).arg(i->changePosition());
    else if (auto* r = dynamic_cast<QAccessibleTextRemoveEvent*>(e))
      h->edits << at.arg(u'-' + r->textRemoved()).arg(r->changePosition());
    else if (auto* u = dynamic_cast<QAccessibleTextUpdateEvent*>(e))
      h->edits << at.arg(u'=' + u->textRemoved() + u'>' + u->textInserted()).arg(u->changePosition());
    else if (e->type() == QAccessible::NameChanged)
      h->names << iface->text(QAccessible::Name);
    else if (e->type() == QAccessible::ObjectShow && iface->role() == QAccessible::Notification)
      h->announced << iface->text(QAccessible::Name);
    else if (e->type() == QAccessible::Focus)
      h->focused << iface->text(QAccessible::Name);
  }
  QAccessible::UpdateHandler previous_ = nullptr;
};

// Types `text` after AC, presses Enter and reads what is shown.
inline QString Calculate(MainWindow& w, const QString& text) {
  Start(w, text);
  QTest::keyClick(w.Entry(), Qt::Key_Return);
  return Shown(w);
}

// Types `script` into the line: characters as typed, and <L> <R> (arrows),
// <BS> (Backspace), <Enter>, ^A ^Z ^+Z (Ctrl+A, Ctrl+Z, Ctrl+Shift+Z) and
// <k√> (a click on the keypad key of that caption).
// The key whose picture shows `caption`.
inline tarvo::Key Captioned(const QString& caption) {
  for (const tarvo::KeyDef& row : tarvo::KeyTable())
    if (QString::fromUtf8(row.caption.data(), static_cast<qsizetype>(row.caption.size())) == caption) return row.key;
  qFatal("no key %s", qPrintable(caption));
}

inline void Press(MainWindow& w, const QString& script) {
  static const QRegularExpression token(QStringLiteral(R"(<L>|<R>|<BS>|<Enter>|\^\+Z|\^Z|\^A|<k([^>]+)>|.)"));
  static const QHash<QString, QKeyCombination> named = {
      {"<L>", Qt::Key_Left}, {"<R>", Qt::Key_Right}, {"<BS>", Qt::Key_Backspace}, {"<Enter>", Qt::Key_Return},
      {"^A", Qt::ControlModifier | Qt::Key_A}, {"^Z", Qt::ControlModifier | Qt::Key_Z},
      {"^+Z", Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z}};
  for (const QRegularExpressionMatch& m : token.globalMatch(script)) {
    if (named.contains(m.captured(0))) {
      const QKeyCombination k = named[m.captured(0)];
      QTest::keyClick(w.Entry(), k.key(), k.keyboardModifiers());
    } else if (m.hasCaptured(1)) {
      QTest::mouseClick(w.Key(Captioned(m.captured(1))), Qt::LeftButton);
    } else {
      Type(w.Entry(), m.captured(0));
    }
  }
}

// |x| is on the second page only.
inline bool SecondPage(const MainWindow& w) { return w.Key(tarvo::Key::AbsoluteValue)->isVisibleTo(&w); }

}  // namespace tarvo::test
