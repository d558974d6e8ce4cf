// The window's session from its start to its end: while another session
// holds the state folder's lock the window waits without blocking its event
// loop and offers the ways out; a stop signal and an exception no handler
// caught save before the program ends; a user state folder that cannot be
// used is named and never swapped for another; the tape keeps each entry
// and its result from one run to the next.
#include <QClipboard>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <optional>

#include "tests/base/lock_holder.h"
#include "tests/qt/window_driver.h"
#include "core/state_files.h"
#include "ui/logic/menus.h"
#include "ui/qt/application.h"
#include "ui/qt/widgets.h"

using namespace tarvo::test;
using Choice = MainWindow::ExitChoice;

namespace {

// Variable `name` as the next session loads it from `dir`; NaN when undefined.
double Stored(const QString& dir, char name) {
  tarvo::SavedState next;
  if (!tarvo::LoadStateFiles(dir.toStdString(), next).ok) return -1;
  const size_t i = static_cast<size_t>(name - 'a');
  return next.flags[i] != 0 ? next.values[i] : std::nan("");
}

// Presses the button of the lock's wait box that reads `caption`.
bool Choose(MainWindow& w, const QString& caption) {
  QMessageBox* box = w.LockWaitMessage();
  if (box == nullptr) return false;
  for (QAbstractButton* button : box->buttons())
    if (button->text() == caption) return button->click(), true;
  return false;
}

// Stop signals close `w` as in the program, which then goes on (the next
// test's window is another).
void CatchStopSignals(MainWindow& w) {
  tarvo::ui::Application::CatchStopSignals();  // from the test library's crash handler
  static_cast<tarvo::ui::Application*>(qApp)->onStopSignal = [&w](int) { tarvo::ui::CloseOnStopSignal(&w); };
  w.onStopped = [] { tarvo::ui::Application::StopFinished(); };
}

// Standard error, taken into a file while it lives.
class StandardError {
 public:
  StandardError() : saved_(dup(2)) {
    file_.open();
    dup2(file_.handle(), 2);
  }
  ~StandardError() { Restore(); }
  QString Restore() {
    if (saved_ >= 0) dup2(saved_, 2), close(saved_), saved_ = -1;
    file_.seek(0);
    return QString::fromLocal8Bit(file_.readAll());
  }

 private:
  QTemporaryFile file_;
  int saved_;
};

// Raises `signal` once something waits for a person: a modal window, a menu
// or a box of a wait for the lock; `raised` starts then.
void RaiseWhenAsked(MainWindow& w, int signal, QElapsedTimer& raised) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &w, signal, &raised] {
    if (QApplication::activeModalWidget() == nullptr && QApplication::activePopupWidget() == nullptr &&
        w.LockWaitMessage() == nullptr)
      return;
    poll->deleteLater();
    poll->stop();
    raised.start();
    std::raise(signal);
  });
  poll->start(20);
}

// The window's program running on `folder`, or 0.
pid_t WindowProcess(const QString& folder) {
  const std::string command = "pgrep -n -f -x '" + std::string(TARVO_WINDOW) + " --state-dir " + folder.toStdString() + "'";
  char found[32] = "";
  if (FILE* pgrep = popen(command.c_str(), "r")) {
    if (fgets(found, sizeof found, pgrep) == nullptr) found[0] = '\0';
    pclose(pgrep);
  }
  return static_cast<pid_t>(std::atol(found));
}

// An object whose every event fails as memory running out would.
class Failing : public QObject {
 public:
  bool event(QEvent*) override { throw std::bad_alloc(); }
};

}  // namespace

class SessionTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  QString folder;
  Recorder rec;

  // A window over the folder, with x = 7 and m = 1 saved there before.
  std::unique_ptr<MainWindow> Saved() {
    folder = dir.filePath(QStringLiteral("state"));
    QDir(folder).removeRecursively(), QDir().mkpath(folder);
    auto w = NewWindow(rec, folder.toStdString());
    Calculate(*w, QStringLiteral("x=7")), Calculate(*w, QStringLiteral("m=1"));
    w->SetSaveFailed([](const QString&) { return Choice::kQuitWithoutSaving; });
    w->close();
    return NewWindow(rec, folder.toStdString());
  }

 private slots:
  // Three entries, then the tape from the keyboard: beside the window and
  // moving with it, a row each (the error in red), read by a screen reader
  // as they read; a double-click or Enter puts a row's entry back, a key
  // typed there goes on in the entry line, Ctrl+C copies the chosen rows,
  // the help menu's checked entry closes and opens it, Ctrl+Shift+Del
  // empties it and its file, Esc closes it. The next run has kept what came
  // after the Clear.
  void aTapeKeepsEachEntryAndItsResultAcrossRuns() {
    folder = dir.filePath(QStringLiteral("tape"));
    QDir().mkpath(folder);
    auto w = NewWindow(rec, folder.toStdString());
    for (const char* entry : {"2+3", "1/0", "2*4"}) Calculate(*w, QString::fromUtf8(entry));
    QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
    tarvo::ui::TapeWindow* tape = w->Tape();
    QVERIFY(tape != nullptr && tape->isVisible());
    QTRY_VERIFY(tape->List()->hasFocus());
    const QStringList rows = {"2+3 = 5", "1/0 = Error: Division by zero", "2·4 = 8"};
    QCOMPARE(tape->ShownRows(), rows);
    QCOMPARE(tape->List()->currentRow(), 2);
    QCOMPARE(tape->List()->item(1)->foreground().color(), QColor(192, 0, 0));
    QStringList named;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(tape->List());
    for (int i = 0; i < list->childCount(); ++i)
      if (list->child(i)->role() == QAccessible::ListItem) named << list->child(i)->text(QAccessible::Name);
    QCOMPARE(named, rows);
    for (const QPoint by : {QPoint(0, 0), QPoint(40, 30)}) {
      w->move(w->pos() + by);
      const QRect at = w->geometry(), free = w->screen()->availableGeometry();
      const tarvo::Box place = tarvo::PlaceTapeWindow({at.x(), at.y(), at.width(), at.height()},
                                                      {free.x(), free.y(), free.width(), free.height()});
      QCOMPARE(tape->geometry(), QRect(place.left, place.top, place.width, place.height));
      QVERIFY(!tape->geometry().intersects(at));
    }

    QListWidget* shown = tape->List();
    QTest::mouseDClick(shown->viewport(), Qt::LeftButton, {}, shown->visualItemRect(shown->item(2)).center());
    QCOMPARE(w->Entry()->text(), QStringLiteral("2·4"));
    QTest::keyClick(tape->List(), Qt::Key_Home);
    QTest::keyClick(tape->List(), Qt::Key_Return);
    QCOMPARE(w->Entry()->text(), QStringLiteral("2+3"));
    QTest::keyClick(tape->List(), Qt::Key_Asterisk, Qt::NoModifier);
    QCOMPARE(w->Entry()->text(), QStringLiteral("2+3·"));
    QVERIFY(tape->isVisible());
    QTest::keyClick(tape->List(), Qt::Key_End);
    QTest::keyClick(tape->List(), Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(tape->List(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), rows[1] + u'\n' + rows[2]);

    QList<bool> checked;
    w->SetPopupMenu([&](const std::vector<tarvo::MenuEntry>& entries) {
      checked << entries.at(static_cast<size_t>(tarvo::HelpChoice::kTape)).checked;
      return static_cast<int>(tarvo::HelpChoice::kTape);
    });
    for (const bool open : {false, true}) {
      QTest::keyClick(w->Entry(), Qt::Key_F12);
      QCOMPARE(tape->isVisible(), open);
    }
    QCOMPARE(checked, QList<bool>({true, false}));
    QTest::keyClick(tape->List(), Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(tape->ShownRows(), QStringList());
    std::vector<tarvo::TapeRow> saved = {{}};
    QVERIFY(tarvo::ReadTapeFile(folder.toStdString(), saved).ok && saved.empty());  // its file at once
    Calculate(*w, QStringLiteral("6*7"));
    QCOMPARE(tape->ShownRows(), QStringList(QStringLiteral("6·7 = 42")));
    QTest::keyClick(tape->List(), Qt::Key_Escape);
    QVERIFY(!tape->isVisible() && w->isVisible());
    w->close();

    w = NewWindow(rec, folder.toStdString());
    QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
    QCOMPARE(w->Tape()->ShownRows(), QStringList(QStringLiteral("6·7 = 42")));
    QVERIFY(!Described(w->UpperMessageLine()).contains(QStringLiteral("tape")));  // read whole
    w->close();
  }

  // A tape that cannot be read whole starts with what could be read and
  // says so once on the message line; one that cannot be written is asked
  // about at exit, as the variable files are, which are saved all the same.
  void aTapeThatCannotBeReadOrWrittenIsNamed() {
    const struct { const char* name; QByteArray content; QString read; QStringList rows; QString asked; } rows[] = {
        {"not UTF-8", "2026-01-01T00:00:00.000Z\tanswer\t1+1\t2\n2026-01-01T00:00:01.000Z\tanswer\t\xFF\t3\n",
         "line 2 is not UTF-8 text (such lines are kept as they stand)", {"1+1 = 2"}, ""},
        {"a folder", {}, "it is not a regular file", {}, "The tape could not be saved in \"%1\": it is not a regular file"},
    };
    for (const auto& row : rows) {
      folder = dir.filePath(QString::fromUtf8(row.name));
      QDir().mkpath(folder);
      const QString file = folder + QStringLiteral("/tape.txt");
      QFile out(file);
      QVERIFY(row.content.isEmpty() ? QDir().mkpath(file)
                                    : out.open(QIODevice::WriteOnly) && out.write(row.content) == row.content.size());
      out.close();
      auto w = NewWindow(rec, folder.toStdString());
      QCOMPARE(Described(w->UpperMessageLine()), QStringLiteral("The tape could not be read: ") + row.read);
      QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
      QCOMPARE(w->Tape()->ShownRows(), row.rows);
      Calculate(*w, QStringLiteral("v=3*3"));
      // Asked, the user tries again once another session has saved v =
      // 100, then quits: the retry saves the tape alone, the variables
      // having been saved.
      QStringList asked;
      QList<Choice> answers = {Choice::kSave, Choice::kQuitWithoutSaving};
      w->SetSaveFailed([&](const QString& text) {
        if (asked.isEmpty())
          QProcess::execute(QStringLiteral(TARVO_CLI), {QStringLiteral("--state-dir"), folder, QStringLiteral("v=100")});
        return asked << text, answers.takeFirst();
      });
      w->close();
      QCOMPARE(asked, row.asked.isEmpty() ? QStringList() : QStringList(2, row.asked.arg(file)));
      // The variables are saved all the same, once.
      QCOMPARE(Stored(folder, 'v'), row.asked.isEmpty() ? 9.0 : 100.0);
    }
  }

  // Started while another session saves: the window waits, disabled, and
  // after half a second a box names the process and the folder. The lock let
  // go, it loads the saved values; "Start without the saved values" starts
  // from the presets and asks at exit before it saves over them (and then
  // writes only what it wrote); "Quit" ends it with nothing written.
  void aStartWaitsForAnotherSessionsLock() {
    const struct { const char* name; QString choice; Choice atExit; double x, y; } rows[] = {
        {"lock let go", QString(), Choice::kSave, 7, 3},
        {"without, then quit unsaved", QStringLiteral("Start without the saved values"), Choice::kQuitWithoutSaving, 7,
         std::nan("")},
        {"without, then save over", QStringLiteral("Start without the saved values"), Choice::kSave, 7, 3},
        {"quit", QStringLiteral("Quit"), Choice::kSave, 7, std::nan("")}};
    for (const auto& row : rows) {
      Saved()->close();
      LockHolder holder(folder.toStdString());
      QVERIFY(holder.Holding());
      auto w = NewWindow(rec, folder.toStdString());
      // The box takes the window's look, as every box over it does.
      const bool dark = row.choice == QStringLiteral("Quit");
      if (dark) w->ShowLook(tarvo::Look::kDark);
      QVERIFY2(!w->Loaded() && !w->isEnabled(), row.name);
      QTRY_VERIFY2(w->LockWaitMessage() != nullptr, row.name);  // the event loop runs on
      QCOMPARE(w->LockWaitMessage()->palette().color(QPalette::Window).lightness() < 100, dark);
      QCOMPARE(w->LockWaitMessage()->text(),
               QStringLiteral("Another Tarvo session (process %1) is saving its variables in \"%2\".\n\n"
                              "Tarvo starts with them as soon as it has finished.")
                   .arg(holder.Pid())
                   .arg(folder));
      QStringList asked;
      w->SetSaveOver([&](const QString& text) { return asked << text, row.atExit; });
      if (row.choice.isEmpty()) holder.Release();
      else QVERIFY(Choose(*w, row.choice));
      if (row.choice == QStringLiteral("Quit")) {
        QTRY_VERIFY(!w->isVisible());
      } else {
        QTRY_VERIFY2(w->Loaded() && w->isEnabled() && w->LockWaitMessage() == nullptr, row.name);
        QCOMPARE(Calculate(*w, QStringLiteral("x")), row.choice.isEmpty() ? QStringLiteral("7") : QStringLiteral("0"));
        Calculate(*w, QStringLiteral("y=3"));
        holder.Release();
        w->close();
      }
      holder.Release();
      QCOMPARE(asked.size(), row.choice.startsWith(QStringLiteral("Start")) ? 1 : 0);
      QCOMPARE(std::pair(Stored(folder, 'x'), Stored(folder, 'm')), std::pair(row.x, 1.0));
      const double y = Stored(folder, 'y');
      QVERIFY2(std::isnan(row.y) ? std::isnan(y) : y == row.y, row.name);
    }
  }

  // Closed while another session saves: the window stays open and says so,
  // then saves and closes as soon as the lock is free; or quits unsaved, at
  // the user's word or at a stop signal, which ends the wait at once.
  void anExitWaitsForAnotherSessionsLock() {
    enum class End { kLetGo, kQuit, kSignal };
    const std::pair<End, const char*> rows[] = {
        {End::kLetGo, "lock let go"}, {End::kQuit, "quit without saving"}, {End::kSignal, "SIGTERM"}};
    for (const auto& [end, name] : rows) {
      auto w = Saved();
      Calculate(*w, QStringLiteral("x=9"));
      LockHolder holder(folder.toStdString());
      QTest::keyClick(w->Entry(), Qt::Key_Escape);
      QVERIFY(w->isVisible());
      QTRY_VERIFY(w->LockWaitMessage() != nullptr);
      QVERIFY(w->LockWaitMessage()->text().endsWith(QStringLiteral("Tarvo saves its own as soon as it has finished.")));
      if (end == End::kLetGo) holder.Release();
      if (end == End::kQuit) QVERIFY(Choose(*w, QStringLiteral("Quit without saving")));
      if (end == End::kSignal) {
        CatchStopSignals(*w);
        std::raise(SIGTERM);
      }
      QTRY_VERIFY2_WITH_TIMEOUT(!w->isVisible(), name, 2000);
      holder.Release();
      QCOMPARE(Stored(folder, 'x'), end == End::kLetGo ? 9.0 : 7.0);
    }
  }

  // A stop signal closes the window as Exit does, which saves.
  void aStopSignalSaves() {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
      auto w = Saved();
      Calculate(*w, QStringLiteral("x=%1").arg(signal));
      CatchStopSignals(*w);
      std::raise(signal);
      QTRY_VERIFY(!w->isVisible());
      QCOMPARE(Stored(folder, 'x'), double(signal));
    }
  }

  // The window's program started with its standard streams closed, the
  // toolkit's debug lines on: what it writes there lands nowhere (not in the
  // pipe its stop signals go through), so that only the stop signal ends
  // it, and it saves.
  void theProgramRunsWithItsStandardStreamsClosed() {
    folder = dir.filePath(QStringLiteral("closed"));
    QDir().mkpath(folder);
    const QByteArray state = folder.toLocal8Bit();
    const pid_t child = fork();
    if (child == 0) {
      for (const int fd : {0, 1, 2}) close(fd);
      setenv("QT_LOGGING_RULES", "qt.*.debug=true", 1);
      execl(TARVO_WINDOW, TARVO_WINDOW, "--state-dir", state.constData(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    QTest::qWait(1500);  // the start's debug lines are written by then
    QCOMPARE(waitpid(child, &status, WNOHANG), 0);
    kill(child, SIGTERM);
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    QVERIFY(QFile::exists(folder + QStringLiteral("/Varreal.dat")));
  }

  // Whatever waits for a person when a stop signal comes (a question at
  // exit, a message box, the variable list a solver opened, the About box,
  // a pop-up menu, a wait for another session's lock), the window does not
  // wait: the question closes, the work it interrupted ends (the solver's
  // entry reaches the tape), the session is saved without a question, and
  // standard error hears what could not be saved.
  void aStopSignalNeverWaitsForAPerson() {
    enum class Open { kSaveFailed, kSaveOver, kWarning, kSolverList, kAbout, kMenu, kExitLock, kStartLock };
    const struct { Open open; const char* name; int signal; double x; QString said; } rows[] = {
        {Open::kSaveFailed, "the question of a failed save", SIGTERM, 9,
         "tarvo: The tape could not be saved in \"%1/tape.txt\": it is not a regular file\n"},
        {Open::kSaveOver, "the question before saving over the saved values", SIGHUP, 9, ""},
        {Open::kWarning, "a warning box", SIGTERM, 9, ""},
        {Open::kSolverList, "the variable list of a solver (which clears the others)", SIGINT, std::nan(""), ""},
        {Open::kAbout, "the About box", SIGTERM, 9, ""},
        {Open::kMenu, "a pop-up menu", SIGHUP, 9, ""},
        {Open::kExitLock, "the wait for another session's lock at exit", SIGTERM, 7,
         "tarvo: Another Tarvo session (process %2) is saving in \"%1\": the variables and the tape are not saved\n"},
        {Open::kStartLock, "the wait for another session's lock at start", SIGTERM, 7, ""},
    };
    for (const auto& row : rows) {
      auto w = Saved();  // x = 7 saved
      std::optional<LockHolder> holder;
      if (row.open == Open::kStartLock || row.open == Open::kSaveOver) {
        w.reset();
        holder.emplace(folder.toStdString());
        w = NewWindow(rec, folder.toStdString());
        QTRY_VERIFY(w->LockWaitMessage() != nullptr);
        if (row.open == Open::kSaveOver) {
          QVERIFY(Choose(*w, QStringLiteral("Start without the saved values")));
          holder.reset();
        }
      }
      w->SetMessageBox([&w](const QString& title, const QString& text) { tarvo::ui::ShowWarningBox(w.get(), title, text); });
      w->SetModalHook({});
      w->SetPopupMenu({});
      w->SetOpenUrl([](const QUrl&) { return false; });
      if (row.open != Open::kStartLock) Calculate(*w, QStringLiteral("x=9"));
      CatchStopSignals(*w);
      StandardError err;
      QElapsedTimer took;
      RaiseWhenAsked(*w, row.signal, took);
      switch (row.open) {
        case Open::kSaveFailed:
          QVERIFY(QFile::remove(folder + QStringLiteral("/tape.txt")) && QDir(folder).mkdir(QStringLiteral("tape.txt")));
          QTest::keyClick(w->Entry(), Qt::Key_Escape);
          break;
        case Open::kSaveOver: QTest::keyClick(w->Entry(), Qt::Key_Escape); break;
        case Open::kWarning: QTest::keyClick(w->Entry(), Qt::Key_F1); break;
        case Open::kSolverList: Calculate(*w, QStringLiteral("eq2d(x^2-5x+6)")); break;
        case Open::kAbout: w->ShowAboutBox(); break;
        case Open::kMenu: QTest::mouseClick(w->Key(tarvo::Key::FixedFormat), Qt::LeftButton); break;
        case Open::kExitLock:
          holder.emplace(folder.toStdString());
          QTest::keyClick(w->Entry(), Qt::Key_Escape);
          break;
        case Open::kStartLock: break;
      }
      QTRY_VERIFY2_WITH_TIMEOUT(!w->isVisible(), row.name, 3000);
      const qint64 ms = took.isValid() ? took.elapsed() : -1;
      const QString said = err.Restore();
      QString expected = row.said;
      expected.replace(QStringLiteral("%1"), folder).replace(QStringLiteral("%2"), QString::number(holder ? holder->Pid() : 0));
      holder.reset();
      // From the signal: a second, and the second another session's save
      // may be waited for.
      QVERIFY2(ms >= 0 && ms < (row.open == Open::kExitLock ? 2500 : 1500), qPrintable(QString::number(ms) + " ms: " + row.name));
      QCOMPARE(said, expected);
      const double x = Stored(folder, 'x');
      QVERIFY2(std::isnan(row.x) ? std::isnan(x) : x == row.x, row.name);
      // What the session never wrote keeps its saved value.
      QVERIFY2(Stored(folder, 'm') == 1.0 || row.open == Open::kSolverList, row.name);
      if (row.open == Open::kSolverList) {
        QCOMPARE(std::pair(Stored(folder, 'a'), Stored(folder, 'b')), std::pair(3.0, 2.0));  // the roots
        std::vector<tarvo::TapeRow> tapeRows;
        QVERIFY(tarvo::ReadTapeFile(folder.toStdString(), tapeRows).ok && !tapeRows.empty());
        QCOMPARE(QString::fromStdString(tapeRows.back().entry), QStringLiteral("eq2d(x^2-5x+6)"));
      }
      QDir(folder + QStringLiteral("/tape.txt")).removeRecursively();
    }
  }

  // The window's program with its standard error nobody reads (a full FIFO,
  // a full socket) or that takes nothing (/dev/full), the toolkit's debug
  // lines on: a stop signal still ends it within a second, saved.
  void theProgramEndsAtAStopSignalWhateverItsStandardErrorDoes() {
    enum class Err { kFullFifo, kFullSocket, kDevFull };
    for (const Err kind : {Err::kFullFifo, Err::kFullSocket, Err::kDevFull}) {
      folder = dir.filePath(QStringLiteral("stderr%1").arg(static_cast<int>(kind)));
      QDir().mkpath(folder);
      const QByteArray state = folder.toLocal8Bit(), fifo = (folder + QStringLiteral("/err")).toLocal8Bit();
      int err = -1, other = -1;
      if (kind == Err::kFullFifo) {
        QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
        other = open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        err = open(fifo.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      } else if (kind == Err::kFullSocket) {
        int pair[2];
        QCOMPARE(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair), 0);
        err = pair[0], other = pair[1];
      } else {
        err = open("/dev/full", O_WRONLY | O_CLOEXEC);
      }
      const QByteArray block(4096, 'x');
      if (kind != Err::kDevFull)
        while (write(err, block.constData(), static_cast<size_t>(block.size())) > 0) {}
      fcntl(err, F_SETFL, fcntl(err, F_GETFL) & ~O_NONBLOCK);
      const pid_t child = fork();
      if (child == 0) {
        dup2(err, 2);
        setenv("QT_LOGGING_RULES", "qt.*.debug=true", 1);
        execl(TARVO_WINDOW, TARVO_WINDOW, "--state-dir", state.constData(), static_cast<char*>(nullptr));
        _exit(127);
      }
      QTest::qWait(1500);  // stuck writing its debug lines by then
      int status = 0;
      QCOMPARE(waitpid(child, &status, WNOHANG), 0);
      QElapsedTimer took;
      took.start();
      kill(child, SIGTERM);
      pid_t ended = 0;
      while ((ended = waitpid(child, &status, WNOHANG)) == 0 && took.elapsed() < 3000) QTest::qWait(10);
      if (ended == 0) kill(child, SIGKILL), waitpid(child, &status, 0);
      close(err), close(other);
      QVERIFY2(ended == child && took.elapsed() < 1000, qPrintable(QString::number(took.elapsed())));
      QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
      QVERIFY(QFile::exists(folder + QStringLiteral("/Varreal.dat")));
    }
  }

  // Started under an address-space limit with a 1.2 MB tape, on an X server
  // (where the toolkit's threads and their waits are), the window either
  // runs (and a stop signal ends it within a second, saved) or ends by
  // itself with a message and status 1; it never hangs.
  void theProgramStartsOrEndsUnderAMemoryLimit() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer reserves more address space than any limit allows");
#endif
    if (system("command -v xvfb-run >/dev/null 2>&1") != 0) QSKIP("xvfb-run is missing (Debian: xvfb xauth)");
    const QString tape = dir.filePath(QStringLiteral("tape.txt"));
    {
      QFile out(tape);
      QVERIFY(out.open(QIODevice::WriteOnly));
      for (int i = 0; out.size() < 1'200'000; ++i)
        out.write(QStringLiteral("2026-01-01T00:00:00.000Z\tanswer\t%1+%1*sin(30)\t%2\n").arg(i).arg(i * 1.5).toUtf8());
    }
    int ran = 0, ended = 0;
    for (const int limit : {150000, 200000, 230000, 250000, 300000}) {
      folder = dir.filePath(QStringLiteral("limit%1").arg(limit));
      QDir().mkpath(folder);
      QVERIFY(QFile::copy(tape, folder + QStringLiteral("/tape.txt")));
      const QString err = folder + QStringLiteral("/err"), name = QString::number(limit);
      // The X server outside the limit, the window inside it.
      const QString command = QStringLiteral("exec xvfb-run -a sh -c 'ulimit -v %1; exec %2 --state-dir %3 2>%4'")
                                  .arg(limit).arg(QStringLiteral(TARVO_WINDOW), folder, err);
      // A busy machine may still be starting the window when it is
      // signalled (nothing to save yet): then once more, given longer.
      for (const int startMs : {4000, 12000}) {
        const pid_t child = fork();
        if (child == 0) {
          unsetenv("QT_QPA_PLATFORM");
          execl("/bin/sh", "sh", "-c", command.toLocal8Bit().constData(), static_cast<char*>(nullptr));
          _exit(127);
        }
        QTest::qWait(startMs);
        const pid_t window = WindowProcess(folder);
        if (window > 0) {
          QElapsedTimer took;
          took.start();
          kill(window, SIGTERM);
          while (kill(window, 0) == 0 && took.elapsed() < 3000) QTest::qWait(10);
          QVERIFY2(kill(window, 0) != 0, qPrintable(name + ": still running three seconds after SIGTERM"));
          QVERIFY2(took.elapsed() < 1500, qPrintable(name + ": " + QString::number(took.elapsed()) + " ms"));
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QFile said(err);
        const bool told = said.open(QIODevice::ReadOnly) && said.readAll().contains("tarvo: ");
        if (window > 0 && QFile::exists(folder + QStringLiteral("/Varreal.dat"))) {
          ++ran;
        } else if (told) {
          ++ended;
        } else {
          QVERIFY2(window > 0 && startMs < 12000, qPrintable(name + ": ended unsaved, without a message"));
          continue;
        }
        break;
      }
    }
    QVERIFY(ran > 0);
    qInfo("%d limits ran, %d ended with a message", ran, ended);
  }

  // An exception that no event handler caught ends the program through the
  // application, which says why and closes the window as Exit does, saving.
  void anUncaughtExceptionSavesAndSaysWhy() {
    auto w = Saved();
    Calculate(*w, QStringLiteral("x=11"));
    QString told;
    static_cast<tarvo::ui::Application*>(qApp)->onUncaught = [&](const QString& reason) {
      told = tarvo::ui::StopAfterFailure(w.get(), reason);
    };
    Failing failing;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&failing, &event);
    QCOMPARE(told, QStringLiteral("Tarvo stops: out of memory"));
    QVERIFY(!w->isVisible());
    QCOMPARE(Stored(folder, 'x'), 11.0);
  }

  // --user-state with XDG_STATE_HOME naming a file: the user hears which
  // path cannot be used and chooses to start without saving, or to quit.
  void anUnusableUserStateFolderIsNamed() {
    const QString file = dir.filePath(QStringLiteral("file"));
    QFile(file).open(QIODevice::WriteOnly);
    qputenv("XDG_STATE_HOME", file.toLocal8Bit());
    for (const bool start : {true, false}) {
      QStringList heard;
      const std::optional<std::string> chosen =
          tarvo::ui::UserStateFolder([&](const QString& problem) { return heard << problem, start; });
      QCOMPARE(heard, QStringList(QStringLiteral("The folder for the saved variables cannot be used: %1/tarvo: Not a directory").arg(file)));
      QCOMPARE(chosen, start ? std::optional<std::string>("") : std::nullopt);
    }
    qputenv("XDG_STATE_HOME", dir.path().toLocal8Bit());
    QCOMPARE(tarvo::ui::UserStateFolder([](const QString&) { return false; }),
             std::optional<std::string>((dir.path() + QStringLiteral("/tarvo")).toStdString()));
  }
};

int main(int argc, char** argv) {
  tarvo::ui::Application app(argc, argv);
  SessionTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "session_test.moc"
