// The window and the desktop it runs on: the manual handed to the
// desktop's launcher, and its failure shown in the window with the
// manual's full path, however the launcher fails; the pin, which says what
// the window system does with it; the tape, a window of the calculator's;
// the keyboard, back with the calculator when one of its windows closes.
// CTest runs it on the offscreen platform, on a Wayland compositor
// (weston's headless backend) and on an X server with and without a window
// manager.
#include <QAbstractButton>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>
#include <csignal>
#include <functional>
#include <sys/types.h>

#include "tests/base/lock_holder.h"
#include "tests/qt/window_driver.h"
#include "ui/logic/always_on_top_pin.h"
#include "ui/logic/keypad.h"
#include "ui/logic/menus.h"
#include "ui/qt/document_opener.h"
#include "ui/qt/tape_window.h"

using namespace tarvo::test;
using tarvo::Key;

namespace {

bool OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }
// Only X tells which window has the keyboard (offscreen) and lets a client
// take it (not Wayland).
bool OnX() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// PATH for as long as it lives.
struct Path {
  explicit Path(const QString& path) : saved(qgetenv("PATH")) { qputenv("PATH", path.toLocal8Bit()); }
  ~Path() { qputenv("PATH", saved); }
  QByteArray saved;
};

// A launcher in `dir` named xdg-open that notes its argument and ends with
// `status`.
void PlantLauncher(const QTemporaryDir& dir, int status) {
  QFile script(dir.filePath(QStringLiteral("xdg-open")));
  QVERIFY(script.open(QIODevice::WriteOnly));
  script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > \"%1\"\nexit %2\n")
                   .arg(dir.filePath(QStringLiteral("asked"))).arg(status).toLocal8Bit());
  script.close();
  script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

  QTemporaryDir program;  // the program's directory, with its manual
  QString manual;

  // A calculator beside the manual, its messages noted in `rec`, after F1.
  std::unique_ptr<MainWindow> PressF1(Recorder& rec) {
    auto w = std::make_unique<MainWindow>("");
    w->SetMessageBox([&rec](const QString&, const QString& text) { rec.texts << text; });
    w->SetProgramDirectory(program.path().toStdString());
    w->Load();
    w->show();
    QTest::keyClick(w->Entry(), Qt::Key_F1);
    return w;
  }

 private slots:
  void initTestCase() {
    manual = program.filePath(QStringLiteral("Manual_Tarvo.pdf"));
    QFile file(manual);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n");
  }

  // F1 with the manual beside the program: a launcher that finds no
  // program for it, and no launcher at all (Qt's own hand-over then tries
  // and fails), each end in the window's message naming the manual's full
  // path; a launcher that opens it says nothing.
  void aManualTheDesktopCannotOpenIsNamedInTheWindow() {
    const struct { const char* name; int launcher; /* exit status; -1: none */ bool failure; } rows[] = {
        {"xdg-open finds no program", 3, true},
        {"xdg-open opens it", 0, false},
        {"no launcher", -1, true},
    };
    for (const auto& row : rows) {
      QTemporaryDir bin;
      if (row.launcher >= 0) PlantLauncher(bin, row.launcher);
      const Path path(bin.path());
      Recorder rec;
      auto w = PressF1(rec);
      const QStringList expected = {"The desktop could not open the manual " + manual};
      if (row.failure) QTRY_COMPARE_WITH_TIMEOUT(rec.texts, expected, 10000);
      else QTest::qWait(1500);
      if (!row.failure) QVERIFY2(rec.texts.isEmpty(), qPrintable(rec.texts.join(u'|')));
      if (row.launcher >= 0) {
        QFile asked(bin.filePath(QStringLiteral("asked")));
        QTRY_VERIFY(asked.exists());
        QVERIFY(asked.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(asked.readAll()), manual);
      }
    }
  }

  // One step beyond: a launcher killed by a signal is a failure too; one
  // that runs on (it became the document's program, as xdg-open does
  // without a desktop) says nothing and outlives the calculator: closing
  // the calculator never closes the manual a person is reading.
  void aLauncherThatRunsOnOutlivesTheCalculator() {
    const struct { const char* name; const char* body; bool failure; } rows[] = {
        {"killed by a signal", "kill -KILL $$\n", true},
        {"runs on as the viewer", "exec /bin/sleep 30\n", false},
    };
    for (const auto& row : rows) {
      QTemporaryDir bin;
      QFile script(bin.filePath(QStringLiteral("xdg-open")));
      QVERIFY(script.open(QIODevice::WriteOnly));
      script.write(QStringLiteral("#!/bin/sh\necho $$ > \"%1\"\n%2").arg(bin.filePath(QStringLiteral("pid")), QString::fromLatin1(row.body)).toLocal8Bit());
      script.close();
      script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
      const Path path(bin.path());
      Recorder rec;
      auto w = PressF1(rec);
      QFile pidFile(bin.filePath(QStringLiteral("pid")));
      QTRY_VERIFY_WITH_TIMEOUT(pidFile.exists() && pidFile.size() > 0, 10000);
      QVERIFY(pidFile.open(QIODevice::ReadOnly));
      const pid_t pid = static_cast<pid_t>(pidFile.readAll().trimmed().toLong());
      QVERIFY2(pid > 0, row.name);
      if (row.failure) {
        QTRY_COMPARE_WITH_TIMEOUT(rec.texts, QStringList{"The desktop could not open the manual " + manual}, 10000);
        continue;
      }
      QTest::qWait(500);
      QVERIFY2(rec.texts.isEmpty(), qPrintable(rec.texts.join(u'|')));
      w.reset();
      QTest::qWait(300);
      const bool alive = ::kill(pid, 0) == 0;
      ::kill(pid, SIGKILL);
      QVERIFY2(alive, "the viewer ended with the calculator");
    }
  }

  // The failure is a box over the calculator that the window system shows,
  // not a line on standard error.
  void theFailureIsABoxTheWindowSystemShows() {
    QTemporaryDir bin;
    PlantLauncher(bin, 3);
    const Path path(bin.path());
    auto w = std::make_unique<MainWindow>("");
    w->SetProgramDirectory(program.path().toStdString());
    w->Load();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QString shown;
    bool exposed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) return;
      exposed = QTest::qWaitForWindowExposed(box, 5000);
      shown = box->text();
      box->close();
    });
    poll.start(50);
    QTest::keyClick(w->Entry(), Qt::Key_F1);
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 10000);
    QVERIFY(exposed);
    QVERIFY2(shown.contains(manual.toHtmlEscaped()), qPrintable(shown));
  }

  // Where the window system keeps windows on top for the program (X11),
  // the pin says it does; on Wayland, where the compositor alone decides,
  // it says it cannot and stays out. Opening the list says what it always
  // said.
  void thePinSaysWhatTheWindowSystemDoes() {
    Recorder rec;
    auto w = NewWindow(rec);
    QTest::mouseClick(w->AlwaysVisibleSwitch(), Qt::LeftButton);
    const QString refused = QString::fromLatin1(tarvo::kPinRefusedText);
    const QString upper = w->UpperMessageLine()->text(), lower = w->LowerMessageLine()->text();
    if (OnWayland()) {
      QCOMPARE(upper + lower, refused.section(QStringLiteral("\r\n"), 0, 0) + u' ' + refused.section(QStringLiteral("\r\n"), 1) + u' ');
      QVERIFY(!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    } else {
      QCOMPARE(upper, QStringLiteral("Always visible mode enabled. This window is always on top "));
      QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
    QTest::mouseClick(w->Key(tarvo::Key::VariableList), Qt::LeftButton);
    QCOMPARE(rec.windows, 1);
    QCOMPARE(w->UpperMessageLine()->text(), OnWayland() ? QStringLiteral("Always visible mode disabled ")
                                                        : QStringLiteral("Always visible mode enabled. This window is always on top "));
  }

  // The tape is a window of the calculator's (its transient parent), which
  // the window system shows and, where it places windows itself, keeps
  // with the calculator.
  void theTapeBelongsToTheCalculator() {
    Recorder rec;
    auto w = NewWindow(rec);
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    Calculate(*w, QStringLiteral("2+3"));
    QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
    tarvo::ui::TapeWindow* tape = w->Tape();
    QVERIFY(tape != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(tape));
    QCOMPARE(tape->windowHandle()->transientParent(), w->windowHandle());
    QCOMPARE(tape->ShownRows(), QStringList{QStringLiteral("2+3 = 5")});
    // Where the compositor's picture of the screen is wanted (the Wayland
    // run), it is taken while both windows show.
    if (const QString shot = qEnvironmentVariable("TARVO_COMPOSITOR_SHOT"); !shot.isEmpty()) {
      QTest::qWait(1000);  // both windows drawn and composed
      QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), shot});
    }
  }

  // The keys typed after a window of the calculator's closes reach the
  // calculator again: its variable list, its About box. The hardest desktop is an X server without a
  // window manager, which gives the keyboard to nobody when the focused
  // window goes; where the platform cannot say which window has the
  // keyboard (offscreen) or lets no client take it (Wayland), it is skipped.
  void aClosedWindowGivesTheKeyboardBack() {
    if (!OnX()) QSKIP("needs an X server");
    using tarvo::HelpChoice;
    const struct {
      const char* name;
      std::function<void(MainWindow&)> open;
    } rows[] = {
        {"variable list", [](MainWindow& w) { QTest::mouseClick(w.Key(Key::VariableList), Qt::LeftButton); }},
        {"About box", [](MainWindow& w) { QTest::mouseClick(w.Key(Key::Help), Qt::LeftButton); }},
    };
    for (const auto& r : rows) {
      Recorder rec;
      auto w = NewWindow(rec);
      w->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(w.get()));
      Calculate(*w, QStringLiteral("a=5"));
      w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>&) { return int(HelpChoice::kAbout); });
      bool hadKeyboard = false;
      w->SetModalHook([&](QWidget* window) {
        hadKeyboard = QTest::qWaitForWindowActive(window);
        QTest::keyClick(window, Qt::Key_Escape);
      });
      r.open(*w);
      QVERIFY2(hadKeyboard, r.name);
      QVERIFY2(w->isVisible(), r.name);
      QTRY_VERIFY2(QApplication::activeWindow() == w.get(), r.name);
      QVERIFY2(w->Entry()->hasFocus(), r.name);
    }
  }

  // Setting or dropping the pin shows the window anew (About drops it while
  // it is open and sets it again as it closes): the keyboard stays with the
  // calculator all the same.
  void aWindowShownAnewKeepsTheKeyboard() {
    if (!OnX()) QSKIP("needs an X server");
    using tarvo::HelpChoice;
    const struct {
      const char* name;
      int pins;
      bool about;
    } rows[] = {{"pin set", 1, false}, {"pin set and dropped", 2, false}, {"About over a pinned window", 1, true}};
    for (const auto& r : rows) {
      Recorder rec;
      auto w = NewWindow(rec);
      w->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(w.get()));
      w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>&) { return int(HelpChoice::kAbout); });
      w->SetModalHook([](QWidget* window) {
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Escape);
      });
      for (int i = 0; i < r.pins; ++i) {
        QTest::keyClick(w->Entry(), Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier);
        HeldKeyboard(*w, r.name);
      }
      if (r.about) QTest::mouseClick(w->Key(Key::Help), Qt::LeftButton);
      HeldKeyboard(*w, r.name);
      QCOMPARE(Calculate(*w, QStringLiteral("1+1")), QStringLiteral("2"));
    }
  }

  // The box that waits for a state folder another session holds takes the
  // keyboard (the window behind it is disabled), and gives it back to the
  // window once a choice closes it.
  void aLockWaitBoxTakesTheKeyboardAndGivesItBack() {
    if (!OnX()) QSKIP("needs an X server");
    QTemporaryDir dir;
    tarvo::test::LockHolder holder(dir.path().toStdString());
    QVERIFY(holder.Holding());
    Recorder rec;
    auto w = NewWindow(rec, dir.path().toStdString());
    w->activateWindow();
    QTRY_VERIFY(w->LockWaitMessage() != nullptr);
    QMessageBox* box = w->LockWaitMessage();
    QTRY_VERIFY(QApplication::activeWindow() == box);
    QAbstractButton* start = nullptr;
    for (QAbstractButton* button : box->buttons())
      if (button->text() == QStringLiteral("Start without the saved values")) start = button;
    QVERIFY(start != nullptr);
    QTest::keyClick(start, Qt::Key_Space);
    QTRY_VERIFY(w->Loaded() && w->isEnabled());
    HeldKeyboard(*w, "after the wait");
    holder.Release();
  }

 private:
  // The window is the active one and its entry line focused, and stays so
  // past the moment the platform gives up waiting for a window to get the
  // keyboard after one lost it.
  static void HeldKeyboard(MainWindow& w, const char* when) {
    QTest::qWait(600);
    QTRY_VERIFY2(QApplication::activeWindow() == &w, when);
    QVERIFY2(w.Entry()->hasFocus(), when);
  }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
