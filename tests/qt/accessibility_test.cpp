// The windows as a screen reader questions them: every text object answers
// every question about its text at once (a watchdog stops the suite, naming
// the question, when one does not); every button is named, the list windows'
// buttons are in the tab order and pressed by Enter and Space; the keys in
// force say they are checked; pop-up menus are announced and take Home,
// End and typed counts.
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "tests/qt/window_driver.h"
#include "ui/logic/text_spans.h"
#include "ui/qt/variable_list_window.h"

using namespace tarvo::test;
using tarvo::Key;
using tarvo::SpanSide;
using tarvo::VarListButton;
using tarvo::ui::VariableListWindow;

namespace {

// Ends the process, naming the question, when a question has not been
// answered within the limit: an endless loop in an answer would otherwise
// hang the run without saying where.
class Watchdog {
 public:
  static constexpr std::chrono::seconds kLimit{5};

  Watchdog() : thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void Begin(const QString& what) {
    std::lock_guard lock(mutex_);
    what_ = what.toStdString();
    started_ = std::chrono::steady_clock::now();
    busy_ = true;
  }
  // The time the question took.
  std::chrono::microseconds End() {
    std::lock_guard lock(mutex_);
    busy_ = false;
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started_);
  }

 private:
  void Watch() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
      wake_.wait_for(lock, std::chrono::milliseconds(100));
      if (busy_ && std::chrono::steady_clock::now() - started_ > kLimit) {
        std::fprintf(stderr, "FAIL: no answer within %lld s to %s\n", static_cast<long long>(kLimit.count()),
                     what_.c_str());
        std::fflush(stderr);
        std::_Exit(1);
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false, busy_ = false;
  std::string what_;
  std::chrono::steady_clock::time_point started_;
  std::thread thread_;
};

const std::pair<QAccessible::TextBoundaryType, const char*> kBoundaries[] = {
    {QAccessible::CharBoundary, "char"},          {QAccessible::WordBoundary, "word"},
    {QAccessible::SentenceBoundary, "sentence"},  {QAccessible::ParagraphBoundary, "paragraph"},
    {QAccessible::LineBoundary, "line"},          {QAccessible::NoBoundary, "none"}};

// Every accessible object under `root`, itself included.
void Collect(QAccessibleInterface* root, QList<QAccessibleInterface*>& all, int depth = 0) {
  if (root == nullptr || depth > 12) return;
  all << root;
  for (int i = 0; i < root->childCount(); ++i) Collect(root->child(i), all, depth + 1);
}

QList<QAccessibleInterface*> Everything(QWidget* window) {
  QList<QAccessibleInterface*> all;
  Collect(QAccessible::queryAccessibleInterface(window), all);
  return all;
}

QAccessibleInterface* Of(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

  Recorder rec;
  std::unique_ptr<MainWindow> w;
  Watchdog watchdog;
  int asked = 0;
  std::chrono::microseconds slowest{0};

  // Asks `text` every question about its text, each under the watchdog, and
  // checks that the answers describe the text: a piece at an offset holds
  // it, the pieces tile the text, before and after are its neighbours.
  void AskEverything(QAccessibleInterface* iface, const QString& who) {
    QAccessibleTextInterface* text = iface->textInterface();
    QVERIFY(text != nullptr);
    const auto ask = [&](const QString& question, const auto& call) {
      watchdog.Begin(who + u' ' + question);
      call();
      slowest = std::max(slowest, watchdog.End());
      ++asked;
    };
    int length = 0;
    QString all;
    ask(QStringLiteral("characterCount"), [&] { length = text->characterCount(); });
    ask(QStringLiteral("text"), [&] { all = text->text(0, length); });
    QCOMPARE(all.size(), length);
    for (const auto& [type, name] : kBoundaries) {
      int covered = 0;
      for (int offset = -1; offset <= length + 1; ++offset) {
        const QString at = QStringLiteral("%1 at %2 of \"%3\"").arg(QLatin1String(name)).arg(offset).arg(all);
        int s = 0, e = 0, bs = 0, be = 0, as = 0, ae = 0;
        QString piece, before, after;
        ask(QStringLiteral("textAtOffset ") + at, [&] { piece = text->textAtOffset(offset, type, &s, &e); });
        ask(QStringLiteral("textBeforeOffset ") + at, [&] { before = text->textBeforeOffset(offset, type, &bs, &be); });
        ask(QStringLiteral("textAfterOffset ") + at, [&] { after = text->textAfterOffset(offset, type, &as, &ae); });
        if (offset < 0 || offset > length) {
          QVERIFY2(s == -1 && e == -1 && piece.isEmpty(), qPrintable(at));
          continue;
        }
        QVERIFY2(0 <= s && s <= e && e <= length && piece == all.mid(s, e - s), qPrintable(at));
        QVERIFY2(before == all.mid(bs, be - bs) && after == all.mid(as, ae - as), qPrintable(at));
        if (offset < length) {
          QVERIFY2(s <= offset && offset < e, qPrintable(at));
          QVERIFY2(be <= s && as >= e, qPrintable(at));
          if (s == covered) covered = e;
          QVERIFY2(e == covered, qPrintable(at));
        } else if (type != QAccessible::CharBoundary) {
          QVERIFY2(e == length && (length == 0 || s < e), qPrintable(at));  // the last piece, read at the end
        }
      }
      QVERIFY2(covered == length, name);
    }
    int start = 0, end = 0;
    for (int offset = -1; offset <= length + 1; ++offset) {
      const QString at = QStringLiteral(" at %1 of \"%2\"").arg(offset).arg(all);
      ask(QStringLiteral("characterRect") + at, [&] { text->characterRect(offset); });
      ask(QStringLiteral("attributes") + at, [&] { text->attributes(offset, &start, &end); });
    }
    ask(QStringLiteral("cursorPosition"), [&] { text->cursorPosition(); });
    ask(QStringLiteral("selectionCount"), [&] { text->selectionCount(); });
    ask(QStringLiteral("selection"), [&] { text->selection(0, &start, &end); });
    ask(QStringLiteral("offsetAtPoint"), [&] { text->offsetAtPoint(iface->rect().center()); });
    ask(QStringLiteral("scrollToSubstring"), [&] { text->scrollToSubstring(0, length); });
  }

  // Every text object of the windows open now.
  int AskEveryTextObject(const QString& when) {
    int objects = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (!window->isVisible()) continue;
      for (QAccessibleInterface* iface : Everything(window)) {
        if (iface->textInterface() == nullptr) continue;
        AskEverything(iface, when + u' ' + iface->text(QAccessible::Name));
        if (QTest::currentTestFailed()) return objects;
        ++objects;
      }
    }
    return objects;
  }

 private slots:
  void init() { rec = {}, w = NewWindow(rec); }
  void cleanupTestCase() {
    qInfo("%d questions, the slowest answered in %lld us", asked, static_cast<long long>(slowest.count()));
  }

  // The entry line, the display and the message lines of the calculator,
  // the tape and the variable list, with what a person leaves in them.
  void everyTextObjectAnswersEveryQuestionAtOnce() {
    Heard heard;  // accessibility on, as under a screen reader
    const QStringList entries = {"12+345", "7*6", "1/0", "sin 30 + 2,5 / (1 - 1)", "a=5"};
    for (const QString& entry : entries) {
      Start(*w, entry);
      QCOMPARE(AskEveryTextObject(entry), 4);  // the entry line, the display, the two message lines
      QTest::keyClick(w->Entry(), Qt::Key_Return);
      QCOMPARE(AskEveryTextObject(entry + QStringLiteral(" calculated")), 4);
    }
    QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
    QVERIFY(w->Tape() != nullptr && w->Tape()->isVisible());
    QVERIFY(AskEveryTextObject(QStringLiteral("tape open")) >= 4);
    QTest::keyClick(w->Tape()->List(), Qt::Key_Escape);
    int inList = -1;
    w->SetModalHook([&](QWidget* list) {
      inList = AskEveryTextObject(QStringLiteral("variable list"));
      list->close();
    });
    QTest::keyClick(w->Entry(), Qt::Key_V, Qt::AltModifier);
    QVERIFY(inList >= 4);
  }

  // Any line edit, not only the entry line: texts of every shape, the end
  // of each included.
  void aBareLineEditAnswersAsWell() {
    QLineEdit line;
    line.show();
    for (const QString& text : {QString(), QStringLiteral(" "), QStringLiteral("12+345"), QStringLiteral("a. B? c! "),
                                QStringLiteral("two  words  "), QString::fromUtf8("e\u0301t\u00e9 \U0001F600 x"),
                                QStringLiteral("...")}) {
      line.setText(text);
      AskEverything(Of(&line), QStringLiteral("QLineEdit"));
      if (QTest::currentTestFailed()) return;
    }
    line.setEchoMode(QLineEdit::Password);
    line.setText(QStringLiteral("secret words"));
    AskEverything(Of(&line), QStringLiteral("password"));
    QVERIFY(!Of(&line)->textInterface()->text(0, 12).contains(QStringLiteral("secret")));
    QVERIFY(Of(&line)->state().passwordEdit && Of(&line)->state().editable);
  }

  // Ctrl+Left and Ctrl+Right stop where a reader's word begins: the word
  // there is the one the caret stands at, the end of the line included.
  void wordsFollowTheCaret() {
    Start(*w, QStringLiteral("12+345"));
    QAccessibleTextInterface* text = Of(w->Entry())->textInterface();
    const auto piece = [&](SpanSide side, int offset, QAccessible::TextBoundaryType type) {
      int s = 0, e = 0;
      QString answer;
      watchdog.Begin(QStringLiteral("the entry line's piece at %1 of %2").arg(offset).arg(text->text(0, 99)));
      answer = side == SpanSide::kAt       ? text->textAtOffset(offset, type, &s, &e)
               : side == SpanSide::kBefore ? text->textBeforeOffset(offset, type, &s, &e)
                                           : text->textAfterOffset(offset, type, &s, &e);
      watchdog.End();
      return answer;
    };
    QCOMPARE(piece(SpanSide::kAt, 6, QAccessible::WordBoundary), QStringLiteral("345"));
    QTest::keyClick(w->Entry(), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(piece(SpanSide::kAt, text->cursorPosition(), QAccessible::WordBoundary), QStringLiteral("345"));
    QTest::keyClick(w->Entry(), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(piece(SpanSide::kAt, text->cursorPosition(), QAccessible::WordBoundary), QStringLiteral("+"));
    Start(*w, QStringLiteral("sin 30"));
    QCOMPARE(piece(SpanSide::kAt, 1, QAccessible::WordBoundary), QStringLiteral("sin "));  // a word takes its blank
    QCOMPARE(piece(SpanSide::kAfter, 1, QAccessible::WordBoundary), QStringLiteral("30"));
    QCOMPARE(piece(SpanSide::kAt, 6, QAccessible::CharBoundary), QString());
    QCOMPARE(piece(SpanSide::kBefore, 6, QAccessible::CharBoundary), QStringLiteral("0"));
  }

  // Every button of every window has a name and a press; the title line's
  // Minimize and Exit are named by their text.
  void everyButtonIsNamed() {
    QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
    QList<QWidget*> windows = {w.get(), w->Tape()};
    int buttons = 0;
    const auto check = [&](QWidget* window) {
      for (QAccessibleInterface* iface : Everything(window)) {
        const QAccessible::Role role = iface->role();
        if (role != QAccessible::Button && role != QAccessible::RadioButton) continue;
        ++buttons;
        QVERIFY2(!iface->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(iface->text(QAccessible::Description)));
        QVERIFY(iface->actionInterface() != nullptr &&
                iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
      }
    };
    for (QWidget* window : windows) check(window);
    QVERIFY(buttons >= 92 + 4 + 3);  // the keys, the page selector, review, pin, Minimize, Exit; the tape's three
    QStringList title;
    for (QAccessibleInterface* iface : Everything(w.get()))
      if (iface->role() == QAccessible::Button && iface->object() != nullptr && qobject_cast<QLabel*>(iface->object()))
        title << iface->text(QAccessible::Name);
    QCOMPARE(title, QStringList({QStringLiteral("Minimize"), QStringLiteral("Exit")}));
    QCOMPARE(Of(w.get())->text(QAccessible::Name), QStringLiteral("Tarvo Scientific Calculator"));
    QVERIFY(w->windowTitle().isEmpty());
    w->SetModalHook([&](QWidget* list) {
      check(list);
      QCOMPARE(Of(list)->text(QAccessible::Name), QStringLiteral("List of variables"));
      list->close();
    });
    buttons = 0;
    QTest::keyClick(w->Entry(), Qt::Key_V, Qt::AltModifier);
    QCOMPARE(buttons, 3);
  }

  // The key in force of DEG, RAD and GRA, and of the output formats, is a
  // checked radio button, and the change is told; ARC and HYP are checked
  // while pending.
  void keysInForceAreChecked() {
    Heard heard;
    const auto checked = [&](std::initializer_list<Key> group) {
      QList<Key> on;
      for (Key k : group) {
        QAccessibleInterface* key = Of(w->Key(k));
        if (key->role() != QAccessible::RadioButton && key->role() != QAccessible::Button) return QList<Key>{Key::Zero};
        if (!key->state().checkable) return QList<Key>{Key::Zero};
        if (key->state().checked) on << k;
      }
      return on;
    };
    const std::initializer_list<Key> units = {Key::Degrees, Key::Radians, Key::Gradients};
    const std::initializer_list<Key> formats = {Key::NormalFormat,  Key::FixedFormat,       Key::ScientificFormat,
                                                Key::FractionFormat, Key::SexagesimalFormat, Key::BinaryFormat,
                                                Key::HexadecimalFormat, Key::DateFormat};
    QCOMPARE(Of(w->Key(Key::Radians))->role(), QAccessible::RadioButton);
    QCOMPARE(Of(w->Key(Key::FixedFormat))->role(), QAccessible::RadioButton);
    QCOMPARE(checked(units), QList<Key>{Key::Degrees});
    QCOMPARE(checked(formats), QList<Key>{Key::NormalFormat});
    QTest::keyClick(w->Entry(), Qt::Key_R, Qt::AltModifier);
    QCOMPARE(checked(units), QList<Key>{Key::Radians});
    QTest::mouseClick(w->Key(Key::Gradients), Qt::LeftButton);
    QCOMPARE(checked(units), QList<Key>{Key::Gradients});
    QTest::keyClick(w->Entry(), Qt::Key_F8);  // HEX
    QCOMPARE(checked(formats), QList<Key>{Key::HexadecimalFormat});
    QTest::keyClick(w->Entry(), Qt::Key_F2);  // NOR
    QCOMPARE(checked(formats), QList<Key>{Key::NormalFormat});
    QVERIFY(!Of(w->Key(Key::InverseShift))->state().checked && Of(w->Key(Key::InverseShift))->state().checkable);
    QTest::keyClick(w->Entry(), Qt::Key_I, Qt::AltModifier);
    QVERIFY(Of(w->Key(Key::InverseShift))->state().checked);
    QVERIFY(!Of(w->Key(Key::Sine))->state().checkable);
  }

  // A clicked key's help is announced as its shortcut's is.
  void aClickedKeysHelpIsAnnounced() {
    Heard heard;
    QTest::mouseClick(w->Key(Key::Cosine), Qt::LeftButton);
    QTRY_COMPARE(heard.announced, QStringList(QStringLiteral("Trigonometric function cos")));
    heard.Clear();
    QTest::keyClick(w->Entry(), Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(heard.announced, QStringList(QStringLiteral("Trigonometric function cos")));
  }

  // The tape's Copy, Clear and Close follow its list in the tab order;
  // Space and Enter press them; its keys work there too.
  void theTapesButtonsAreReachedAndPressed() {
    for (const char* entry : {"2+3", "7*6"}) Calculate(*w, QString::fromUtf8(entry));
    QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
    tarvo::ui::TapeWindow* tape = w->Tape();
    QTRY_VERIFY(tape->List()->hasFocus());
    QList<QWidget*> reached;
    for (int i = 0; i < 4; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      reached << QApplication::focusWidget();
    }
    QCOMPARE(reached, (QList<QWidget*>{tape->CopyButton(), tape->ClearButton(), tape->CloseButton(), tape->List()}));
    for (QWidget* b : {tape->CopyButton(), tape->ClearButton(), tape->CloseButton()})
      QVERIFY(Of(b)->state().focusable && Of(b)->role() == QAccessible::Button);
    tape->List()->setCurrentRow(1);
    QApplication::clipboard()->clear();
    tape->CopyButton()->setFocus();
    QTest::keyClick(tape->CopyButton(), Qt::Key_Space);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("7·6 = 42"));
    QTest::keyClick(tape->CopyButton(), Qt::Key_Escape);  // the tape's own key, on a button
    QVERIFY(!tape->isVisible());
    QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
    tape->ClearButton()->setFocus();
    QTest::keyClick(tape->ClearButton(), Qt::Key_Return);
    QCOMPARE(tape->ShownRows(), QStringList());
    tape->CloseButton()->setFocus();
    QTest::keyClick(tape->CloseButton(), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!tape->isVisible());
  }

  // The variable list opens with its first row current and told; Tab
  // reaches its enabled buttons, Enter presses them.
  void theVariableListReadsItsFirstRowAndItsButtonsArePressed() {
    Calculate(*w, QStringLiteral("b=7"));
    Calculate(*w, QStringLiteral("a=5"));
    Heard heard;
    QList<QWidget*> reached;
    QStringList rows;
    bool cleared = false;
    w->SetModalHook([&](QWidget* window) {
      auto* list = static_cast<VariableListWindow*>(window);
      QTRY_VERIFY(list->ListRows()->hasFocus());
      QCOMPARE(list->ListRows()->currentRow(), 0);
      QTRY_VERIFY(heard.focused.contains(QStringLiteral("a =  5")));
      for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget();
      }
      QCOMPARE(reached, (QList<QWidget*>{list->Button(VarListButton::kCopy), list->Button(VarListButton::kClear),
                                         list->Button(VarListButton::kExit), list->ListRows()}));
      list->Button(VarListButton::kClear)->setFocus();
      QTest::keyClick(list->Button(VarListButton::kClear), Qt::Key_Return);
      rows = list->ShownRows();
      cleared = !list->Button(VarListButton::kClear)->isEnabled();
      QTest::keyClick(list->Button(VarListButton::kExit), Qt::Key_Space);
      QVERIFY(!list->isVisible());
    });
    QTest::keyClick(w->Entry(), Qt::Key_V, Qt::AltModifier);
    QCOMPARE(rows, QStringList());
    QVERIFY(cleared);
  }

  // FIX and SCI as they open: announced by the key's name, their checked
  // entry current; Home and End, and a typed count chooses.
  void menusAreAnnouncedAndTakeHomeEndAndCounts() {
    Heard heard;
    w->SetPopupMenu(nullptr);
    Calculate(*w, QStringLiteral("7*6"));
    struct Step {
      Qt::Key key;      // the menu's key
      QString typed;    // typed into the menu
      QString display;  // the result then
    };
    const Step steps[] = {{Qt::Key_F3, QStringLiteral("3"), QStringLiteral("42.000")},
                          {Qt::Key_F4, QStringLiteral("12"), QStringLiteral("4.20000000000E1")},
                          {Qt::Key_F4, QStringLiteral("5"), QStringLiteral("4.2000E1")},
                          {Qt::Key_F3, QStringLiteral("0"), QStringLiteral("42.")}};
    for (const Step& step : steps) {
      heard.Clear();
      QStringList active;
      QTimer::singleShot(0, [&] {
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QTRY_VERIFY(menu->activeAction() != nullptr);
        active << menu->activeAction()->text();
        QTest::keyClick(menu, Qt::Key_End);
        active << menu->activeAction()->text();
        QTest::keyClick(menu, Qt::Key_Home);
        active << menu->activeAction()->text();
        for (const QChar digit : step.typed) QTest::keyClick(menu, digit.toLatin1());
      });
      QTest::keyClick(w->Entry(), step.key);
      QVERIFY(QApplication::activePopupWidget() == nullptr);
      const bool fixed = step.key == Qt::Key_F3;
      QVERIFY2(heard.announced.contains(fixed ? QStringLiteral("FIX menu") : QStringLiteral("SCI menu")),
               qPrintable(heard.announced.join(u'|')));
      QCOMPARE(active.value(1), QStringLiteral("Normal"));
      QCOMPARE(active.value(2), fixed ? QStringLiteral("0 decimals") : QStringLiteral("1 digit"));
      QCOMPARE(Described(w->Display()), step.display);
    }
    // "1" in SCI waits for a second digit; Enter takes 1.
    QTimer::singleShot(0, [&] {
      QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
      QWidget* menu = QApplication::activePopupWidget();
      QTest::keyClick(menu, '1');
      QVERIFY(menu->isVisible());
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::keyClick(w->Entry(), Qt::Key_F4);
    QCOMPARE(Described(w->Display()), QStringLiteral("4E1"));
  }

  // The entry line's own menu: announced, Home and End.
  void theEntryLinesMenuTakesHomeAndEnd() {
    Heard heard;
    Start(*w, QStringLiteral("12"));
    QTest::keyClick(w->Entry(), Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QTRY_VERIFY(menu->activeAction() != nullptr);
    QVERIFY(heard.announced.contains(QStringLiteral("Edit menu")));
    QList<QAction*> selectable;
    for (QAction* a : menu->actions())
      if (!a->isSeparator() && a->isEnabled() && a->isVisible()) selectable << a;
    QTest::keyClick(menu, Qt::Key_End);
    QCOMPARE(menu->activeAction(), selectable.last());
    QTest::keyClick(menu, Qt::Key_Home);
    QCOMPARE(menu->activeAction(), selectable.first());
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
  }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
