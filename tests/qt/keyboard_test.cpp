// The calculator window driven from the keyboard alone, with real key
// events on the window: typing, the line's editing shortcuts, the page, every
// key's binding, the pop-up menus, what a screen reader sees, and the longest
// entry.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QtTest/QtTest>

#include "engine/errors.h"
#include "engine/state.h"
#include "ui/logic/keypad.h"
#include "ui/logic/symbols.h"
#include "ui/qt/main_window.h"
#include "ui/qt/key_pictures.h"

using tarvo::ui::MainWindow;

namespace {

// Everything a key may change that a person can see or that the next
// calculation depends on.
struct Snapshot {
  QString entry, upperMessage, lowerMessage, lit, shown;
  int page = 0, outputMode = 0, menus = 0, windows = 0;
  double angleFactor = 0;
  bool arc = false, hyp = false;
  bool operator==(const Snapshot&) const = default;
};

QString Describe(const Snapshot& s) {
  return QStringLiteral("[%1|%2|%3|lit %4|shown %5|page %6 mode %7 menus %8 windows %9 angle %10 arc %11 hyp %12]")
      .arg(s.entry, s.upperMessage, s.lowerMessage, s.lit, s.shown)
      .arg(s.page).arg(s.outputMode).arg(s.menus).arg(s.windows).arg(s.angleFactor).arg(s.arc).arg(s.hyp);
}

}  // namespace

// The keys a line of text or the desktop already gives a meaning.
constexpr QKeySequence::StandardKey kLineKeys[] = {
    QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Cut, QKeySequence::Copy, QKeySequence::Paste,
    QKeySequence::SelectAll, QKeySequence::Delete, QKeySequence::Backspace, QKeySequence::DeleteStartOfWord,
    QKeySequence::DeleteEndOfWord, QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine,
    QKeySequence::MoveToNextChar, QKeySequence::MoveToPreviousChar, QKeySequence::MoveToNextWord,
    QKeySequence::MoveToPreviousWord, QKeySequence::MoveToStartOfLine, QKeySequence::MoveToEndOfLine,
    QKeySequence::SelectNextChar, QKeySequence::SelectPreviousChar, QKeySequence::SelectNextWord,
    QKeySequence::SelectPreviousWord, QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine,
    QKeySequence::InsertParagraphSeparator, QKeySequence::Cancel, QKeySequence::HelpContents,
    QKeySequence::WhatsThis, QKeySequence::FullScreen, QKeySequence::Close, QKeySequence::Quit,
};

class KeyboardTest : public QObject {
  Q_OBJECT

 private:
  int menus_ = 0, windows_ = 0;

  // A window without variable files whose menus close without a choice and
  // whose modal windows close at once, counting both.
  std::unique_ptr<MainWindow> NewWindow(bool stubMenus = true) {
    menus_ = windows_ = 0;
    auto w = std::make_unique<MainWindow>("");
    w->SetMessageBox([](const QString&, const QString&) {});
    w->SetOpenUrl([](const QUrl&) { return true; });
    if (stubMenus) w->SetPopupMenu([this](const std::vector<tarvo::MenuEntry>&) { return ++menus_, -1; });
    w->SetModalHook([this](QWidget* window) {
      ++windows_;
      window->close();
    });
    w->Load();
    return w;
  }

  Snapshot Take(MainWindow& w) const {
    Snapshot s;
    s.entry = w.Entry()->text();
    s.upperMessage = w.UpperMessageLine()->text();
    s.lowerMessage = w.LowerMessageLine()->text();
    for (int k = 1; k <= tarvo::kKeyCount; ++k) s.lit += w.Key(k)->Lit() ? u'1' : u'0';
    s.shown = w.Display()->ShownText();
    s.page = w.Logic().KeypadPage;
    s.outputMode = w.CalculatorEngine().OutputMode;
    s.angleFactor = w.CalculatorEngine().AngleFactor;
    s.arc = w.Logic().ArcShift;
    s.hyp = w.Logic().HypShift;
    s.menus = menus_;
    s.windows = windows_;
    return s;
  }

  // Types a text as key events: ASCII through its key, any other character
  // as a key event that carries only its text (as a keyboard layout sends it).
  static void Type(QWidget* target, const QString& text) {
    for (const QChar ch : text) {
      if (ch.unicode() < 128) QTest::keyClick(target, ch.toLatin1());
      else QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
  }

  // Presses a binding as the table writes it.
  static void Press(QWidget* target, const tarvo::KeyBinding& b) {
    const QString keys = QString::fromUtf8(b.keys.data(), static_cast<qsizetype>(b.keys.size()));
    if (keys == QStringLiteral("Enter")) return QTest::keyClick(target, Qt::Key_Return);
    if (keys == QStringLiteral("Backspace")) return QTest::keyClick(target, Qt::Key_Backspace);
    if (b.typed) return Type(target, keys);
    const QKeyCombination combo = QKeySequence::fromString(keys, QKeySequence::PortableText)[0];
    QTest::keyClick(target, combo.key(), combo.keyboardModifiers());
  }

  static void StartLine(MainWindow& w, const std::string& text) {
    w.SetEntryText(text);
    w.SetSelection(static_cast<int>(text.size()), 0);
    w.Logic().ResultShown = false;
    w.SetUpperMessage("");
    w.SetLowerMessage("");
  }

 private slots:
  void everyPrintableCharacterTypesItselfAtTheCaret() {
    auto w = NewWindow();
    for (char c = ' '; c <= '~'; ++c) {
      w->SetEntryText("ab");
      w->SetSelection(1, 0);
      w->Logic().ResultShown = false;
      QTest::keyClick(w->Entry(), c);
      // "*" is the multiplication dot; ":" and ";" are the keypad's "0" and ".".
      const QString sign = c == '*' ? QStringLiteral("·") : c == ':' ? QStringLiteral("0")
                           : c == ';' ? QStringLiteral(".") : QString(QChar(c));
      QCOMPARE(w->Entry()->text(), QStringLiteral("a") + sign + QStringLiteral("b"));
      QCOMPARE(w->Entry()->cursorPosition(), 2);
      QCOMPARE(w->Logic().HistoryLast, 1);  // nothing was recorded by the way
    }
  }

  void continuingFromAResultWorksForEveryListedCharacter() {
    auto w = NewWindow();
    for (const QString& typed : {QStringLiteral("%"), QStringLiteral("'"), QStringLiteral("\""), QStringLiteral("!"),
                                QStringLiteral("*"), QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("/"),
                                QStringLiteral("\\"), QStringLiteral("^"), QStringLiteral("²"), QStringLiteral("°")}) {
      StartLine(*w, "2+3");
      QTest::keyClick(w->Entry(), Qt::Key_Return);
      Type(w->Entry(), typed);
      const QString sign = typed == QStringLiteral("*") ? QStringLiteral("·") : typed;
      QCOMPARE(w->Entry()->text(), QStringLiteral("5") + sign);
    }
  }

  void typedEntriesGiveWhatTheConsoleGives() {
    const QStringList entries = {
        QStringLiteral("(2+3)*4"),      QStringLiteral("&h2A5F+&b101"), QStringLiteral("7*8(2+3)"),
        QStringLiteral("2^10-1"),       QStringLiteral("17\\5"),        QStringLiteral("17 mod 5"),
        QStringLiteral("40//60"),       QStringLiteral("5!/3!"),        QStringLiteral("25%600"),
        QStringLiteral("|-3.5|+[1]"),   QStringLiteral("{2}/8"),        QStringLiteral("1-4"),
        QStringLiteral("30'+1\""),      QStringLiteral("a=5"),          QStringLiteral("a*2"),
        QStringLiteral("ncr(5,2)"),     QStringLiteral("6÷4−1"),        QStringLiteral("2·3²"),
        QStringLiteral("(2"),           QStringLiteral("2)"),           QStringLiteral("½+1"),
        QStringLiteral("1/0"),          QStringLiteral("1E3+e"),        QStringLiteral("2+"),
    };
    QProcess cli;
    cli.start(QStringLiteral(TARVO_CLI), {QStringLiteral("-n")});
    QVERIFY(cli.waitForStarted());
    cli.write((entries.join(u'\n') + u'\n').toUtf8());
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(20000));
    const QStringList printed = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(printed.size(), entries.size());

    auto w = NewWindow();
    for (qsizetype i = 0; i < entries.size(); ++i) {
      QTest::keyClick(w->Entry(), Qt::Key_Delete, Qt::AltModifier);  // AC
      Type(w->Entry(), entries[i]);
      QTest::keyClick(w->Entry(), Qt::Key_Return);
      const bool failed = w->CalculatorEngine().ErrorCode != 0;
      const QString shown = failed ? w->UpperMessageLine()->text().trimmed()
                                   : QAccessible::queryAccessibleInterface(w->Display())->text(QAccessible::Description);
      QVERIFY2(shown == printed[i], qPrintable(entries[i] + QStringLiteral(": ") + shown + QStringLiteral(" / ") + printed[i]));
    }
  }

  void theLinesEditingShortcutsKeepThePage() {
    auto w = NewWindow();
    QClipboard* clipboard = QGuiApplication::clipboard();
    struct Row {
      Qt::Key key;
      QString clipboardBefore, entryAfter, clipboardAfter;
    };
    const Row rows[] = {
        {Qt::Key_C, QStringLiteral("-"), QStringLiteral("2+3"), QStringLiteral("2+3")},
        {Qt::Key_X, QStringLiteral("-"), QString(), QStringLiteral("2+3")},
        {Qt::Key_V, QStringLiteral("7·8"), QStringLiteral("7·8"), QStringLiteral("7·8")},
        {Qt::Key_Z, QStringLiteral("-"), QStringLiteral("2+"), QStringLiteral("-")},
    };
    for (const Row& r : rows) {
      StartLine(*w, "2+");
      QTest::keyClick(w->Entry(), '3');
      clipboard->setText(r.clipboardBefore);
      QTest::keyClick(w->Entry(), Qt::Key_A, Qt::ControlModifier);
      if (r.key != Qt::Key_Z) QCOMPARE(w->Entry()->selectedText(), QStringLiteral("2+3"));
      else w->Entry()->deselect();
      QTest::keyClick(w->Entry(), r.key, Qt::ControlModifier);
      QCOMPARE(w->Entry()->text(), r.entryAfter);
      QCOMPARE(clipboard->text(), r.clipboardAfter);
      QCOMPARE(w->Logic().KeypadPage, 0);
      QVERIFY(w->Key(34)->isVisibleTo(w.get()));
    }
    // Ctrl alone turns the page and back; Ctrl held over another key does not.
    QTest::keyClick(w->Entry(), Qt::Key_Control);
    QCOMPARE(w->Logic().KeypadPage, 1);
    QVERIFY(w->Key(27)->isVisibleTo(w.get()) && !w->Key(34)->isVisibleTo(w.get()));
    QTest::keyPress(w->Entry(), Qt::Key_Control);
    QTest::keyClick(w->Entry(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyRelease(w->Entry(), Qt::Key_Control);
    QCOMPARE(w->Logic().KeypadPage, 1);
    QTest::keyClick(w->Entry(), Qt::Key_Control);
    QCOMPARE(w->Logic().KeypadPage, 0);
  }

  void eachBindingPressesItsKey() {
    QSet<QString> seen;
    for (int k = 1; k <= tarvo::kKeyCount; ++k) {
      const tarvo::KeyBinding& b = tarvo::KeyBindings()[static_cast<size_t>(k)];
      const QString keys = QString::fromUtf8(b.keys.data(), static_cast<qsizetype>(b.keys.size()));
      QVERIFY2(!seen.contains(keys), qPrintable(keys));
      seen.insert(keys);
      if (!b.typed) {
        // A shortcut is one key with Alt or Shift, never a character the line
        // types, one of its editing keys, Esc or F1.
        const QKeySequence sequence = QKeySequence::fromString(keys, QKeySequence::PortableText);
        QVERIFY2(sequence.count() == 1, qPrintable(keys));
        const QKeyCombination combo = sequence[0];
        QVERIFY(combo.key() != Qt::Key_Escape && combo.key() != Qt::Key_F1);
        QVERIFY(!(combo.keyboardModifiers() & Qt::ControlModifier));
        QVERIFY(combo.keyboardModifiers() != Qt::NoModifier || (combo.key() >= Qt::Key_F2 && combo.key() <= Qt::Key_F12));
        for (const QKeySequence::StandardKey standard : kLineKeys)
          QVERIFY2(!QKeySequence::keyBindings(standard).contains(sequence), qPrintable(keys));
      }
      // The same start, once clicked and once by the binding.
      Snapshot clicked, pressed, before;
      for (bool byKeyboard : {false, true}) {
        auto w = NewWindow();
        if (tarvo::KeyTable()[static_cast<size_t>(k)].page == tarvo::KeyPage::kSecond) w->Logic().TurnKeypadPage();
        StartLine(*w, "12");
        before = Take(*w);
        if (byKeyboard) Press(w->Entry(), b);
        else QTest::mouseClick(w->Key(k), Qt::LeftButton);
        (byKeyboard ? pressed : clicked) = Take(*w);
      }
      if (b.typed) {
        // A typed character writes itself without the key's blanks and help.
        for (Snapshot* s : {&clicked, &pressed}) {
          s->entry.remove(u' ');
          s->upperMessage.clear();
          s->lowerMessage.clear();
        }
        before.upperMessage.clear();
        before.lowerMessage.clear();
      }
      QVERIFY2(clicked == pressed, qPrintable(QStringLiteral("key %1 (%2): %3 / %4").arg(k).arg(keys, Describe(clicked), Describe(pressed))));
      QVERIFY2(!(pressed == before), qPrintable(QStringLiteral("key %1 (%2) did nothing").arg(k).arg(keys)));
      auto w = NewWindow();
      QVERIFY2(w->Key(k)->toolTip().contains(keys), qPrintable(w->Key(k)->toolTip()));
    }
  }

  void theManualAndTheReadmeListEveryBinding() {
    QStringList tables;
    for (const char* name : {"/../../docs/manual.md", "/../../README.md"}) {
      QFile file(QStringLiteral(QT_TESTCASE_SOURCEDIR) + QString::fromLatin1(name));
      QVERIFY2(file.open(QIODevice::ReadOnly), name);
      const QString text = QString::fromUtf8(file.readAll());
      const qsizetype start = text.indexOf(QStringLiteral("| Key | Keyboard |"));
      QVERIFY2(start >= 0, name);
      tables << text.mid(start, text.indexOf(QStringLiteral("\n\n"), start) - start);
    }
    QCOMPARE(tables[0], tables[1]);
    const auto escaped = [](QString t) { return t.replace(u'|', QStringLiteral("\\|")); };
    for (int k = 1; k <= tarvo::kKeyCount; ++k) {
      const auto& keys = tarvo::KeyBindings()[static_cast<size_t>(k)].keys;
      const QString cell = QStringLiteral("| %1 | `%2` |")
                               .arg(escaped(tarvo::ui::KeyCaption(k)),
                                    escaped(QString::fromUtf8(keys.data(), static_cast<qsizetype>(keys.size()))));
      QVERIFY2(tables[0].contains(cell), qPrintable(cell));
    }
  }

  void popUpMenusTakeTheArrowKeysAndEnter() {
    auto w = NewWindow(false);
    w->show();
    struct Row {
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
      int downs;
    };
    const Row rows[] = {
        {Qt::Key_F3, Qt::NoModifier, 3},  // FIX: "2 decimals"
        {Qt::Key_F4, Qt::NoModifier, 2},  // SCI: "2 digits"
        {Qt::Key_K, Qt::AltModifier, 1},  // the constants: the first entry
        {Qt::Key_F12, Qt::NoModifier, 0},  // help: closed with Esc
    };
    QStringList menuTexts, entries;
    for (const Row& r : rows) {
      StartLine(*w, "");
      bool opened = false;
      QTimer::singleShot(0, this, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        opened = true;
        menuTexts << menu->actions().first()->text();
        for (int i = 0; i < r.downs; ++i) QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, r.downs > 0 ? Qt::Key_Return : Qt::Key_Escape);
      });
      QTest::keyClick(w->Entry(), r.key, r.modifiers);
      QVERIFY(opened);
      entries << w->Entry()->text();
    }
    QCOMPARE(w->Logic().FixDecimals, 2);
    QCOMPARE(w->Logic().SciDigits, 2);
    QCOMPARE(w->CalculatorEngine().OutputMode, tarvo::OUT_SCI);
    QCOMPARE(entries, QStringList({QString(), QString(), QStringLiteral("299792458"), QString()}));
    QCOMPARE(menuTexts.last(), QStringLiteral("User's manual (PDF document)..."));
  }

  void aScreenReaderSeesNamesDescriptionsAndTheResult() {
    auto w = NewWindow();
    for (int k = 1; k <= tarvo::kKeyCount; ++k) {
      QAccessibleInterface* key = QAccessible::queryAccessibleInterface(w->Key(k));
      QVERIFY(key != nullptr);
      QCOMPARE(key->role(), QAccessible::Button);
      QCOMPARE(key->text(QAccessible::Name), tarvo::ui::KeyCaption(k));
      const auto& keys = tarvo::KeyBindings()[static_cast<size_t>(k)].keys;
      const QString description = key->text(QAccessible::Description);
      QVERIFY(description.endsWith(QString::fromUtf8(keys.data(), static_cast<qsizetype>(keys.size()))));
      const std::string_view help = tarvo::KeyTable()[static_cast<size_t>(k)].help;
      const QString firstLine = QString::fromStdString(tarvo::BytesToUtf8(help.substr(0, help.find('\r'))));
      QVERIFY2(description.startsWith(firstLine.simplified()), qPrintable(description));
    }
    // A key is pressed through its action, as a screen reader does.
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(w->Key(35));
    root->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(w->Entry()->text(), QStringLiteral("√ "));
    QCOMPARE(QAccessible::queryAccessibleInterface(w->UpperMessageLine())->text(QAccessible::Description),
             QStringLiteral("Square root √"));

    StartLine(*w, "");
    Type(w->Entry(), QStringLiteral("1.5E20*2"));
    QTest::keyClick(w->Entry(), Qt::Key_Return);
    QAccessibleInterface* display = QAccessible::queryAccessibleInterface(w->Display());
    QCOMPARE(display->text(QAccessible::Name), QStringLiteral("Result"));
    QCOMPARE(display->text(QAccessible::Description), QStringLiteral("3E+20"));
    QCOMPARE(QAccessible::queryAccessibleInterface(w->Entry())->text(QAccessible::Name), QStringLiteral("Entry"));
    StartLine(*w, "");
    Type(w->Entry(), QStringLiteral("2)"));
    QTest::keyClick(w->Entry(), Qt::Key_Return);
    QAccessibleInterface* message = QAccessible::queryAccessibleInterface(w->UpperMessageLine());
    QCOMPARE(message->text(QAccessible::Name), QStringLiteral("Message"));
    QCOMPARE(message->text(QAccessible::Description), QStringLiteral("Parentheses error (too many closed)"));

    // Tab goes from the line to the display and the messages; typing there
    // goes on in the line.
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->Entry()->setFocus();
    QTest::keyClick(w->Entry(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->Display()));
    QTest::keyClick(w->Display(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->UpperMessageLine()));
    StartLine(*w, "4");
    QTest::keyClick(w->UpperMessageLine(), '+');
    QCOMPARE(w->Entry()->text(), QStringLiteral("4+"));
    QVERIFY(w->Entry()->hasFocus());
  }

  void anEntryLongerThanTheLimitIsRefusedWhole() {
    auto w = NewWindow();
    QClipboard* clipboard = QGuiApplication::clipboard();
    const qsizetype max = tarvo::kMaxEntryLength;
    struct Row {
      const char* name;
      std::string start;
      QString pasted;
      bool refused;
    };
    const Row rows[] = {
        {"one over", "12", QStringLiteral("3").repeated(max - 1), true},
        {"exactly full", "12", QStringLiteral("+3").repeated((max - 2) / 2) + u'3', false},
        {"far beyond the old cut", "", QStringLiteral("0+").repeated(20000) + QStringLiteral("123456789"), true},
        {"two-character signs count once", "", u'2' + QStringLiteral("\u207B\u00B9").repeated(max - 1), false},
    };
    for (const Row& r : rows) {
      StartLine(*w, r.start);
      clipboard->setText(r.pasted);
      QTest::keyClick(w->Entry(), Qt::Key_V, Qt::ControlModifier);
      if (r.refused) {
        QVERIFY2(w->EntryText() == r.start, r.name);
        QCOMPARE(w->Entry()->cursorPosition(), static_cast<int>(r.start.size()));
        QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Error: Entry too long "));
        QCOMPARE(w->Entry()->palette().color(QPalette::Text), QColor(192, 0, 0));
      } else {
        QVERIFY2(w->EntryText().size() == static_cast<size_t>(max), r.name);
        QVERIFY2(w->UpperMessageLine()->text().isEmpty(), r.name);
      }
    }
    // Dropped text goes the same way.
    StartLine(*w, "12");
    QMimeData dropped;
    dropped.setText(QStringLiteral("4").repeated(max));
    const QPointF at = w->Entry()->rect().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->Entry(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->Entry(), &drop);
    QCOMPARE(w->EntryText(), std::string("12"));
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Error: Entry too long "));

    // A full line takes neither a typed character nor a key's text.
    StartLine(*w, std::string(static_cast<size_t>(tarvo::kMaxEntryLength), '1'));
    for (auto press : {+[](MainWindow& f) { QTest::keyClick(f.Entry(), '+'); },
                       +[](MainWindow& f) { QTest::keyClick(f.Entry(), '7'); },
                       +[](MainWindow& f) { QTest::mouseClick(f.Key(33), Qt::LeftButton); }}) {
      w->SetUpperMessage("");
      press(*w);
      QCOMPARE(w->EntryText().size(), static_cast<size_t>(tarvo::kMaxEntryLength));
      QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Error: Entry too long "));
    }
  }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
