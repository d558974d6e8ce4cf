// The calculator window's program. Besides the ordinary start it takes
//   --screenshot FILE [--entry TEXT ...] [--keys N,N,...] [--varlist | --tape]
// which, without a splash and without the variable files, calculates the
// entries in turn, then clicks the keys (numbers as on the keypad) and saves
// a picture of the window to FILE. With --varlist the picture shows the
// variable list over the window, as the entry left it (an equation's roots)
// or as the list key opens it; with --tape, the tape beside the window.
// Modal windows close by themselves in this mode.
//
// --look=default|high-contrast|dark (or --look NAME) shows that look for
// this run, whatever was chosen before or the desktop has.
//
// The variable files are kept in the current directory, in DIR with
// --state-dir DIR, or with --user-state (the desktop menu's entry) in the
// user's state folder, $XDG_STATE_HOME/tarvo.
#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "core/entry_encoding.h"
#include "core/stop_signals.h"
#include "ui/qt/application.h"
#include "ui/qt/main_window.h"
#include "ui/qt/splash_window.h"
#include "ui/qt/idle.h"

namespace {

// The look --look asks for, if given; `known` is false for a name that is
// no look's.
struct LookOption {
  bool given = false, known = true;
  std::optional<tarvo::Look> look;
};

LookOption LookAskedFor(const QStringList& args) {
  LookOption option;
  for (qsizetype i = 0; i < args.size(); ++i) {
    QString name;
    if (args.at(i).startsWith(QLatin1String("--look="))) name = args.at(i).mid(7);
    else if (args.at(i) == QLatin1String("--look")) name = i + 1 < args.size() ? args.at(i + 1) : QString();
    else continue;
    option.given = true;
    option.look = tarvo::LookNamed(name.toStdString());
    option.known = option.look.has_value();
  }
  return option;
}

int Screenshot(const QString& file, const QStringList& entries, const QString& keys, bool varlist, bool tape,
               const LookOption& look) {
  tarvo::ui::MainWindow window("");
  if (look.given) window.SetLookForThisRun(look.look);
  window.Load();
  window.show();
  QPixmap picture;
  window.SetModalHook([&](QWidget* modal) {
    if (varlist && picture.isNull()) {
      // The list as it stands over the calculator.
      picture = window.grab();
      QPainter p(&picture);
      p.drawPixmap(modal->pos() - window.pos(), modal->grab());
    }
    modal->close();
  });
  for (const QString& entry : entries) {
    window.SetEntryText(tarvo::Utf8ToBytes(entry.toStdString()));
    window.Logic().ExecuteKey();
  }
  for (const QString& k : keys.split(',', Qt::SkipEmptyParts))
    if (const std::optional<tarvo::Key> key = tarvo::KeyNumbered(k.toInt())) window.Logic().ClickKey(*key);
  if (varlist && picture.isNull()) window.Logic().VariableListKey();
  if (tape) window.ShowTapeWindow(true);
  QApplication::processEvents();
  if (tape) {
    // Both windows where they stand, on the desktop's grey.
    const QRect both = window.geometry().united(window.Tape()->geometry());
    picture = QPixmap(both.size() * window.devicePixelRatio());
    picture.setDevicePixelRatio(window.devicePixelRatio());
    picture.fill(QColor(96, 100, 110));
    QPainter p(&picture);
    for (QWidget* shown : {static_cast<QWidget*>(&window), static_cast<QWidget*>(window.Tape())})
      p.drawPixmap(shown->pos() - both.topLeft(), shown->grab());
  }
  if (picture.isNull()) picture = window.grab();
  if (!picture.save(file)) {
    std::fprintf(stderr, "tarvo: cannot write %s\n", file.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}

// The folder for --user-state cannot be used: start without saving, or quit.
bool StartWithoutSaving(const QString& problem) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarvo"),
                  problem + QStringLiteral("\n\nTarvo can start without the saved variables and save nothing."));
  QPushButton* start = box.addButton(QStringLiteral("Start without saving"), QMessageBox::AcceptRole);
  box.addButton(QStringLiteral("Quit"), QMessageBox::RejectRole);
  box.setDefaultButton(start);
  box.exec();
  return box.clickedButton() == start;
}

int Run(tarvo::ui::Application& app) {
  const QStringList args = QApplication::arguments();
  const auto option = [&](const QString& name) {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : QString();
  };
  const LookOption look = LookAskedFor(args);
  if (!look.known) {
    std::fprintf(stderr, "tarvo: --look takes default, high-contrast or dark\n");
    return 2;
  }
  if (args.contains(QStringLiteral("--screenshot"))) {
    QStringList entries;
    for (qsizetype i = 0; i + 1 < args.size(); ++i)
      if (args.at(i) == QStringLiteral("--entry")) entries << args.at(i + 1);
    return Screenshot(option(QStringLiteral("--screenshot")), entries, option(QStringLiteral("--keys")),
                      args.contains(QStringLiteral("--varlist")), args.contains(QStringLiteral("--tape")), look);
  }

  // A stop signal closes the window as its Exit does, which saves (asking
  // where the save fails); before there is a window, it ends a question at
  // start. Then the program ends by that signal.
  std::unique_ptr<tarvo::ui::MainWindow> window;
  int stopSignal = 0;
  app.onStopSignal = [&](int signal) {
    stopSignal = signal;
    tarvo::ui::CloseOnStopSignal(window.get());
  };
  const auto endBySignal = [&stopSignal] {
    std::signal(stopSignal, SIG_DFL);
    std::raise(stopSignal);
  };

  std::string stateDir = ".";
  if (args.contains(QStringLiteral("--state-dir"))) {
    stateDir = option(QStringLiteral("--state-dir")).toStdString();
    if (stateDir.empty()) {
      std::fprintf(stderr, "tarvo: --state-dir needs a folder\n");
      return 2;
    }
  } else if (args.contains(QStringLiteral("--user-state"))) {
    const std::optional<std::string> folder = tarvo::ui::UserStateFolder(StartWithoutSaving);
    if (stopSignal != 0) endBySignal();
    if (!folder) return 1;
    stateDir = *folder;
  }

  tarvo::ui::SplashWindow splash;
  // The main window (92 key pictures) is built once the splash is on its way
  // to the screen, so that the splash shows as early as a bare window would.
  const auto build = [&window, &stateDir, &look] {
    if (window) return;
    window = std::make_unique<tarvo::ui::MainWindow>(stateDir);
    if (look.given) window->SetLookForThisRun(look.look);
  };
  splash.onUnload = [&window, &build] {
    build();
    window->Load();
    window->show();
    window->activateWindow();
  };

  int status = 0;
  app.onUncaught = [&](const QString& reason) {
    status = 1;
    tarvo::ui::StopAfterFailure(window.get(), reason);
  };

  splash.show();
  // Hand the splash to the window system (and let it paint) before the main
  // window's work starts; posted work would otherwise run before the X
  // requests are flushed.
  QGuiApplication::sync();
  QTimer::singleShot(0, &splash, build);
  tarvo::ui::StopCaretBlinkWhenIdle(app);
  const int exitCode = QApplication::exec();
  window.reset();
  if (stopSignal != 0 && status == 0) endBySignal();
  return status != 0 ? status : exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  // Before the window system's connection and the signal pipe are opened.
  tarvo::KeepStandardStreamsTaken();
  try {
    tarvo::ui::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvo"));
    return Run(app);
  } catch (const std::bad_alloc&) {
    std::fputs("tarvo: Tarvo stops: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarvo: Tarvo stops: %s\n", e.what());
  }
  return 1;
}
