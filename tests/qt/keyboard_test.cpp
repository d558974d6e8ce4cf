// The calculator window driven from the keyboard alone, with real key events:
// typing, the history, the line's editing shortcuts, the page, every key's
// binding, the pop-up menus, what a screen reader sees, the longest entry.
#include <QAccessibleActionInterface>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QProcess>

#include "engine/errors.h"
#include "tests/qt/window_driver.h"
#include "ui/logic/keypad.h"
#include "ui/logic/tape_logic.h"

using namespace tarvo::test;

// Everything a key may change that a person can see.
QStringList Look(const MainWindow& w, const Recorder& rec) {
  QString lit;
  for (const tarvo::KeyDef& row : tarvo::KeyTable()) lit += w.Key(row.key)->Lit() ? u'1' : u'0';
  return {w.Entry()->text(), w.UpperMessageLine()->text(), w.LowerMessageLine()->text(), lit, w.Display()->ShownText(),
          SecondPage(w) ? "page 2" : "page 1", QString::number(rec.menus), QString::number(rec.windows)};
}

class KeyboardTest : public QObject {
  Q_OBJECT

  Recorder rec;
  std::unique_ptr<MainWindow> w;

  void Paste(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(w->Entry(), Qt::Key_V, Qt::ControlModifier);
  }

 private slots:
  void init() { rec = {}, w = NewWindow(rec); }

  void everyPrintableCharacterTypesItselfAtTheCaret() {
    Calculate(*w, QStringLiteral("7"));  // a history to bring back by mistake
    for (char c = ' '; c <= '~'; ++c) {
      Start(*w, QStringLiteral("ab"));
      QTest::keyClick(w->Entry(), Qt::Key_Left);
      QTest::keyClick(w->Entry(), c);
      // "*" is the multiplication dot; ":" and ";" are the keypad's "0" and ".".
      const QString sign = c == '*' ? QStringLiteral("·") : c == ':' ? QStringLiteral("0")
                           : c == ';' ? QStringLiteral(".") : QString(QChar(c));
      QCOMPARE(w->Entry()->text(), QStringLiteral("a") + sign + QStringLiteral("b"));
      QCOMPARE(w->Entry()->cursorPosition(), 2);
    }
    // An operator or postfix sign after a result goes on from it, unless a
    // click in the line (at its end) came first.
    const QPoint end(w->Entry()->width() - 2, w->Entry()->height() / 2);
    for (const QString& typed : QStringList{"%", "'", "\"", "!", "*", "+", "-", "/", "\\", "^", "²", "³", "°"}) {
      for (const bool click : {false, true}) {
        Calculate(*w, QStringLiteral("2+3"));
        if (click) QTest::mouseClick(w->Entry(), Qt::LeftButton, {}, end);
        Type(w->Entry(), typed);
        QCOMPARE(w->Entry()->text(), (click ? QStringLiteral("2+3") : QStringLiteral("5")) +
                                         (typed == QStringLiteral("*") ? QStringLiteral("·") : typed));
      }
    }
  }

  // What the window shows (a screen reader reads the display and the
  // message) is what tarvo-cli prints; Up and Down walk back the entries.
  void typedEntriesGiveWhatTheConsoleGives() {
    const QStringList entries = {
        "(2+3)*4", "&h2A5F+&b101", "7*8(2+3)", "2^10-1", "17\\5",  "17 mod 5", "40//60", "5!/3!",
        "25%600",  "|-3.5|+[1]",   "{2}/8",    "1-4",    "30'+1\"", "a=5",      "a*2",    "ncr(5,2)",
        "a=b=c",   "a",            "1,5+1",  "sin(1,2)", "lcm(4,6,8)", "ncr(5,2",
        "6÷4−1",   "2·3²",         "(2",       "2)",     "½+1",    "1.5E20*2", "1/0",    "1E3+e", "2+",
    };
    QProcess cli;
    cli.start(QStringLiteral(TARVO_CLI), {QStringLiteral("-n")});
    QVERIFY(cli.waitForStarted());
    cli.write((entries.join(u'\n') + u'\n').toUtf8());
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(20000));
    const QStringList printed = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(printed.size(), entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
      QVERIFY2(Calculate(*w, entries[i]) == printed[i], qPrintable(entries[i] + ": " + Shown(*w) + " / " + printed[i]));
    QStringList walked;
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down})
      QTest::keyClick(w->Entry(), key), walked << w->Entry()->text();
    QCOMPARE(walked, QStringList({"1E3+e", "1/0", "1.5E20·2", "1/0"}));
  }

  // The keypad's decimal key writes the point whatever the layout gives it
  // ("," in a German one), also where Tab left the focus; the main
  // keyboard's "," still separates a list's arguments.
  void theKeypadsDecimalKeyTypesThePoint() {
    const auto keypad = [](QWidget* target, Qt::Key key, const QString& text) {
      QTest::sendKeyEvent(QTest::Click, target, key, text, Qt::KeypadModifier);
    };
    Start(*w);
    keypad(w->Entry(), Qt::Key_1, "1");
    keypad(w->Entry(), Qt::Key_Comma, ",");
    keypad(w->Entry(), Qt::Key_5, "5");
    keypad(w->Entry(), Qt::Key_Plus, "+");
    keypad(w->Entry(), Qt::Key_2, "2");
    keypad(w->Entry(), Qt::Key_Period, ".");
    keypad(w->Entry(), Qt::Key_5, "5");
    QTest::keyClick(w->Entry(), Qt::Key_Tab);
    keypad(w->Display(), Qt::Key_Comma, ",");
    keypad(w->Display(), Qt::Key_5, "5");
    QCOMPARE(w->Entry()->text(), QStringLiteral("1.5+2.5.5"));
    QCOMPARE(Calculate(*w, "1.5+2.5"), QStringLiteral("4"));
    // The key as X and Wayland deliver it where the layout gives it a plain
    // comma (the "Four-level key with comma" option, no keypad flag), the
    // Arabic decimal separator, or its AltGr level's comma; the main
    // keyboard's comma (scan code 59) stays a comma.
    const auto scanned = [](QWidget* target, quint32 scanCode, int key, const QString& text) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, scanCode, 0, 0, text);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, scanCode, 0, 0, text);
      QApplication::sendEvent(target, &press);
      QApplication::sendEvent(target, &release);
    };
    Start(*w);
    Type(w->Entry(), "1");
    scanned(w->Entry(), 91, Qt::Key_Comma, ",");
    Type(w->Entry(), "5+2");
    scanned(w->Entry(), 91, 0x066B, QString(QChar(0x066B)));
    Type(w->Entry(), "5+3");
    QTest::keyClick(w->Entry(), Qt::Key_Tab);
    scanned(w->Display(), 91, Qt::Key_Comma, ",");
    Type(w->Entry(), "5");
    QCOMPARE(w->Entry()->text(), QStringLiteral("1.5+2.5+3.5"));
    QCOMPARE(Calculate(*w, w->Entry()->text()), QStringLiteral("7.5"));
    Start(*w, "lcm(4");
    scanned(w->Entry(), 59, Qt::Key_Comma, ",");
    Type(w->Entry(), "6)");
    QCOMPARE(w->Entry()->text(), QStringLiteral("lcm(4,6)"));
    Start(*w, "ncr(5");
    QTest::keyClick(w->Entry(), Qt::Key_Comma);
    Type(w->Entry(), "2)");
    QCOMPARE(w->Entry()->text(), QStringLiteral("ncr(5,2)"));
    QTest::keyClick(w->Entry(), Qt::Key_Return);
    QCOMPARE(Shown(*w), QStringLiteral("10"));
  }

  void theLinesEditingShortcutsKeepThePage() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const struct { Qt::Key key; QString clipboardBefore, entryAfter, clipboardAfter; } rows[] = {
        {Qt::Key_C, "-", "2+3", "2+3"}, {Qt::Key_X, "-", "", "2+3"},
        {Qt::Key_V, "7·8", "7·8", "7·8"}, {Qt::Key_Z, "-", "", "-"}};
    for (const auto& r : rows) {
      Start(*w, QStringLiteral("2+3"));
      clipboard->setText(r.clipboardBefore);
      QTest::keyClick(w->Entry(), Qt::Key_A, Qt::ControlModifier);
      QCOMPARE(w->Entry()->selectedText(), QStringLiteral("2+3"));
      if (r.key == Qt::Key_Z) w->Entry()->deselect();
      QTest::keyClick(w->Entry(), r.key, Qt::ControlModifier);
      QCOMPARE(w->Entry()->text(), r.entryAfter);
      QCOMPARE(clipboard->text(), r.clipboardAfter);
      QVERIFY(!SecondPage(*w));
    }
    // Ctrl alone turns the page and back; Ctrl held over another key does not.
    QTest::keyClick(w->Entry(), Qt::Key_Control);
    QVERIFY(SecondPage(*w) && !w->Key(tarvo::Key::NaturalLogarithm)->isVisibleTo(w.get()));
    QTest::keyPress(w->Entry(), Qt::Key_Control);
    QTest::keyClick(w->Entry(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyRelease(w->Entry(), Qt::Key_Control);
    QVERIFY(SecondPage(*w));
    QTest::keyClick(w->Entry(), Qt::Key_Control);
    QVERIFY(!SecondPage(*w) && w->Key(tarvo::Key::NaturalLogarithm)->isVisibleTo(w.get()));
  }

  // From the same start, a click on each key and its binding leave the same face.
  void eachBindingPressesItsKey() {
    const auto combination = [](std::string_view keys) {
      return QKeySequence::fromString(QString::fromUtf8(keys.data(), static_cast<qsizetype>(keys.size())),
                                      QKeySequence::PortableText)[0];
    };
    // The line's, the window's and the desktop's own keys.
    QList<QKeyCombination> taken = {Qt::Key_Escape, Qt::Key_F1, Qt::Key_F11, Qt::Key_Menu,
                                    Qt::ShiftModifier | Qt::Key_F10, combination(tarvo::kPinBinding),
                                    combination(tarvo::kTapeBinding)};
    for (const tarvo::KeyDef& row : tarvo::KeyTable()) {
      const tarvo::KeyBinding& b = row.binding;
      const tarvo::Key k = row.key;
      const QString keys = QString::fromUtf8(b.keys.data(), static_cast<qsizetype>(b.keys.size()));
      const QKeyCombination combo = combination(b.keys);
      // A shortcut never takes a key the line, the window, the desktop or another key already uses.
      QVERIFY2(b.typed || !(combo.keyboardModifiers() & Qt::ControlModifier), qPrintable(keys));
      QVERIFY2(b.typed || !taken.contains(combo), qPrintable(keys));
      taken << combo;
      QStringList clicked, pressed, before;
      for (bool byKeyboard : {false, true}) {
        init();
        if (!w->Key(k)->isVisible()) QTest::keyClick(w->Entry(), Qt::Key_Control);
        Start(*w, QStringLiteral("12"));
        before = Look(*w, rec);
        if (!byKeyboard) QTest::mouseClick(w->Key(k), Qt::LeftButton);
        else if (b.typed && keys.size() == 1) Type(w->Entry(), keys);
        else QTest::keyClick(w->Entry(), combo.key(), combo.keyboardModifiers());
        (byKeyboard ? pressed : clicked) = Look(*w, rec);
      }
      if (b.typed) {  // a typed character writes itself without the key's blanks and help
        for (QStringList* f : {&clicked, &pressed, &before}) (*f)[0].remove(u' '), (*f)[1].clear(), (*f)[2].clear();
      }
      QVERIFY2(clicked == pressed, qPrintable(keys + ": " + clicked.join('|') + " / " + pressed.join('|')));
      QVERIFY2(pressed != before, qPrintable(keys + " did nothing"));
    }
  }

  // The real menus: FIX and SCI take their number from them and show the
  // last result again in the new form.
  void popUpMenusTakeTheArrowKeysAndEnter() {
    w->SetPopupMenu({});
    Calculate(*w, QStringLiteral("2/3"));
    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; int downs; QString entry, shown; } rows[] = {
        {Qt::Key_F3, Qt::NoModifier, 3, "", "0.67"},              // FIX: "2 decimals"
        {Qt::Key_F4, Qt::NoModifier, 2, "", "6.7E-1"},            // SCI: "2 digits"
        {Qt::Key_K, Qt::AltModifier, 1, "299792458", "6.7E-1"},   // the constants: the first entry
        {Qt::Key_F12, Qt::NoModifier, 0, "", "6.7E-1"},           // help: closed with Esc
    };
    for (const auto& r : rows) {
      Start(*w);
      bool opened = false;
      QTimer::singleShot(0, this, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if ((opened = menu != nullptr)) {
          for (int i = 0; i < r.downs; ++i) QTest::keyClick(menu, Qt::Key_Down);
          QTest::keyClick(menu, r.downs > 0 ? Qt::Key_Return : Qt::Key_Escape);
        }
      });
      QTest::keyClick(w->Entry(), r.key, r.modifiers);
      QVERIFY(opened);
      QCOMPARE(w->Entry()->text(), r.entry);
      QCOMPARE(Described(w->Display()), r.shown);
    }
  }

  // The keys, the pin, Minimize and Exit are buttons a screen reader presses
  // through their action; Tab goes from the line to the display and the
  // messages, and typing there goes on in the line.
  void aScreenReaderPressesKeysAndTabsThroughTheWindow() {
    QList<QAccessibleInterface*> buttons = {QAccessible::queryAccessibleInterface(w->Key(tarvo::Key::SquareRoot)),
                                            QAccessible::queryAccessibleInterface(w->AlwaysVisibleSwitch())};
    for (const QString& title : {QStringLiteral("Minimize"), QStringLiteral("Exit")})
      for (QLabel* label : w->findChildren<QLabel*>())
        if (label->text() == title) buttons << QAccessible::queryAccessibleInterface(label);
    QCOMPARE(buttons.size(), 4);
    for (QAccessibleInterface* button : buttons) {
      QVERIFY2(button->role() == QAccessible::Button && button->actionInterface() != nullptr &&
                   button->actionInterface()->actionNames() == QStringList(QAccessibleActionInterface::pressAction()),
               qPrintable(button->text(QAccessible::Name)));
    }
    buttons[1]->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTest::keyClick(w->Entry(), Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier);  // the pin's key
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && w->Entry()->text().isEmpty());
    buttons[0]->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(w->Entry()->text(), QStringLiteral("√ "));
    QCOMPARE(Described(w->UpperMessageLine()), QStringLiteral("Square root √"));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->Entry()->setFocus();
    QTest::keyClick(w->Entry(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->Display()));
    QTest::keyClick(w->Display(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->UpperMessageLine()));
    Start(*w, QStringLiteral("4"));
    QTest::keyClick(w->UpperMessageLine(), '+');
    QCOMPARE(w->Entry()->text(), QStringLiteral("4+"));
    QVERIFY(w->Entry()->hasFocus());
  }

  // A typed character or a keypad key is an insertion at the caret, heard as
  // one; Ctrl+Z takes back the last run of typing (a caret move or a keypad
  // key starts a new run) and puts the caret back with nothing selected.
  void typingIsEditingAndUndoTakesBackRuns() {
    const struct { QString before, keys, text; int caret; QStringList heard; } rows[] = {
        {"12", "7", "127", 3, {"+7@2"}},                                  // a typed digit
        {"12<L>", "*", "1·2", 2, {"+·@1"}},                               // a typed sign
        {"12<L>", "<k√>", "1√ 2", 3, {"+√ @1"}},                         // a keypad key
        {"123<L><R>+45", "^Z", "123", 3, {"-+45@3"}},                     // the run after a move
        {"123<L><R>+45^Z", "6", "1236", 4, {"+6@3"}},                     // nothing left selected
        {"7*6^Z", "^+Z", "7·6", 3, {"+7·6@0"}},                           // redo
        {"12<k√>4", "^Z^Z", "12", 2, {"-4@4", "-√ @2"}},                 // a key is a step of its own
        {"2+3<Enter>+4", "^Z", "2+3", 3, {"-5+4@0", "+2+3@0"}},           // the answer put first: one step
        {"2+3^A5", "^Z6", "2+36", 4, {"-5@0", "+2+3@0", "+6@3"}},         // a selection typed over
        {"12<BS><BS>3", "^Z^Z", "12", 2, {"-3@0", "+12@0"}},              // deletions are a run
    };
    Heard heard;
    for (const auto& r : rows) {
      Start(*w);
      Press(*w, r.before);
      heard.Clear();
      Press(*w, r.keys);
      const QString what = r.before + u'|' + r.keys + QStringLiteral(": ");
      QVERIFY2(w->Entry()->text() == r.text, qPrintable(what + w->Entry()->text()));
      QVERIFY2(w->Entry()->cursorPosition() == r.caret && !w->Entry()->hasSelectedText(), qPrintable(what));
      QVERIFY2(heard.edits == r.heard, qPrintable(what + heard.edits.join(u' ')));
    }
  }

  // A result, an error and a notice are each announced with their text: the
  // display's name is the result as tarvo-cli prints it, the message line's
  // the message.
  void resultsErrorsAndNoticesAreAnnounced() {
    const struct { QString entry, display, message; } rows[] = {
        {"7*6", "42", ""}, {"6*7", "42", ""},  // the same result again is news too
        {"1/0", "42", "Error: Division by zero"},
        {"solve(x^2+1,0,1)", "42", "Not found solutions / Infinite solutions"},
        {"2^0.5", "1.4142135623731", ""},
    };
    Heard heard;
    for (const auto& r : rows) {
      Start(*w, r.entry);
      heard.Clear();
      QTest::keyClick(w->Entry(), Qt::Key_Return);
      QCoreApplication::processEvents();
      const QString news = r.message.isEmpty() ? r.display : r.message;
      QVERIFY2(heard.names.contains(news) && heard.announced == QStringList(news),
               qPrintable(r.entry + ": " + heard.names.join(u'|') + " / " + heard.announced.join(u'|')));
      QCOMPARE(Described(w->Display()), r.display);
      QCOMPARE(Described(w->UpperMessageLine()), r.message);
    }
  }

  // Shift+F10 opens the line's own menu and types nothing; its Undo goes
  // through the line's history.
  void shiftF10OpensTheLinesMenu() {
    Press(*w, "12<k√>4");
    QTest::keyClick(w->Entry(), Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    QCOMPARE(w->Entry()->text(), QStringLiteral("12√ 4"));
    QAction* undo = menu->actions().value(0);  // a text field's menu starts with Undo
    QVERIFY(undo != nullptr && undo->isEnabled());
    undo->trigger();
    menu->close();
    QCOMPARE(w->Entry()->text(), QStringLiteral("12√ "));
  }

  // A paste, a drop, a typed character or a key that would make the line
  // longer than an entry may be is refused whole, with the message.
  void anEntryLongerThanTheLimitIsRefusedWhole() {
    const qsizetype max = tarvo::kMaxEntryLength;
    const QString full = QStringLiteral("1").repeated(max);
    enum How { kPaste, kDrop, kType, kLogKey };
    const struct { QString start, added; How how; bool refused; } rows[] = {
        {"12", QStringLiteral("3").repeated(max - 1), kPaste, true},
        {"12", QStringLiteral("+3").repeated((max - 2) / 2) + u'3', kPaste, false},  // exactly full
        {"", QStringLiteral("0+").repeated(20000) + QStringLiteral("123456789"), kPaste, true},
        {"", u'2' + QStringLiteral("\u207B\u00B9").repeated(max - 1), kPaste, false},  // a two-character sign counts once
        {"12", QStringLiteral("4").repeated(max), kDrop, true},
        {full, "+", kType, true}, {full, "7", kType, true}, {full, "", kLogKey, true},
    };
    for (const auto& r : rows) {
      Start(*w);
      Paste(r.start);
      QMimeData dropped;
      dropped.setText(r.added);
      const QPointF at = w->Entry()->rect().center();
      QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
      QDropEvent drop(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
      if (r.how == kPaste) Paste(r.added);
      if (r.how == kDrop) QApplication::sendEvent(w->Entry(), &enter), QApplication::sendEvent(w->Entry(), &drop);
      if (r.how == kType) Type(w->Entry(), r.added);
      if (r.how == kLogKey) QTest::mouseClick(w->Key(tarvo::Key::DecimalLogarithm), Qt::LeftButton);
      if (r.refused) {
        QCOMPARE(w->Entry()->text(), r.start);
        QCOMPARE(w->Entry()->cursorPosition(), r.start.size());
      } else {
        QCOMPARE(w->EntryText().size(), static_cast<size_t>(max));
      }
      QCOMPARE(w->UpperMessageLine()->text(), r.refused ? QStringLiteral("Error: Entry too long ") : QString());
      QCOMPARE(w->Entry()->palette().color(QPalette::Text), r.refused ? QColor(192, 0, 0) : QColor(Qt::black));
    }
  }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
