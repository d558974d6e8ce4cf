// The window's session from its start to its end: while another session
// holds the state folder's lock the window waits without blocking its event
// loop and offers the ways out; a stop signal and an exception no handler
// caught save before the program ends; a user state folder that cannot be
// used is named and never swapped for another.
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <csignal>

#include "tests/base/lock_holder.h"
#include "tests/qt/window_driver.h"
#include "core/state_files.h"
#include "ui/qt/application.h"

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
      QVERIFY2(!w->Loaded() && !w->isEnabled(), row.name);
      QTRY_VERIFY2(w->LockWaitMessage() != nullptr, row.name);  // the event loop runs on
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
        tarvo::ui::Application::CatchStopSignals();  // from the test library's crash handler
        static_cast<tarvo::ui::Application*>(qApp)->onStopSignal = [&w](int) { tarvo::ui::CloseOnStopSignal(w.get()); };
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
      auto* app = static_cast<tarvo::ui::Application*>(qApp);
      tarvo::ui::Application::CatchStopSignals();  // from the test library's crash handler
      app->onStopSignal = [&w](int) { tarvo::ui::CloseOnStopSignal(w.get()); };
      std::raise(signal);
      QTRY_VERIFY(!w->isVisible());
      QCOMPARE(Stored(folder, 'x'), double(signal));
    }
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
