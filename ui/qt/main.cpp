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
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "core/entry_encoding.h"
#include "core/stop_signals.h"
#include "ui/logic/look.h"
#include "ui/logic/session_lifecycle.h"
#include "ui/qt/application.h"
#include "ui/qt/main_window.h"
#include "ui/qt/splash_window.h"
#include "ui/qt/idle.h"

namespace {

// The window's options, as --help lists them. `value` is how an option's
// value is written after its name: " DIR" as the next argument, "=NAME"
// joined to it, empty for none. A new option is a new row here.
struct Option {
  std::string_view name, value, help;
};
constexpr Option kOptions[] = {
    {"--user-state", "", "keep the variables and the tape in the user's state\n"
                         "folder, $XDG_STATE_HOME/tarvo (~/.local/state/tarvo),\n"
                         "as the desktop menu starts it"},
    {"--state-dir", " DIR", "keep them in DIR (default: the current directory)"},
    {"--look", "=LOOK", "show the window in LOOK for this run: default,\n"
                        "high-contrast or dark"},
    {"--screenshot", " FILE", "save a picture of the window to FILE and exit,\n"
                              "without the saved variables; with:"},
    {"--entry", " TEXT", "  an entry to calculate first (one option each)"},
    {"--keys", " N,N,...", "  keypad keys to click, by number"},
    {"--varlist", "", "  the variable list over the window"},
    {"--tape", "", "  the tape beside the window"},
    {"-h, --help", "", "show this help and exit"},
    {"--version", "", "show the version and exit"},
};

// The toolkit's own options (Qt reads and removes them), with "-" or "--";
// `value` as above.
constexpr Option kToolkitOptions[] = {
    {"-platform", " NAME", ""},  {"-platformpluginpath", " DIR", ""}, {"-platformtheme", " NAME", ""},
    {"-plugin", " NAME", ""},    {"-qwindowgeometry", " GEOMETRY", ""}, {"-qwindowicon", " FILE", ""},
    {"-qwindowtitle", " TITLE", ""}, {"-session", " ID", ""},       {"-display", " DISPLAY", ""},
    {"-geometry", " GEOMETRY", ""}, {"-title", " TITLE", ""},       {"-name", " NAME", ""},
    {"-style", " STYLE", ""},    {"-stylesheet", " FILE", ""},      {"-reverse", "", ""},
    {"-widgetcount", "", ""},    {"-nograb", "", ""},               {"-dograb", "", ""},
    {"-sync", "", ""},           {"-qmljsdebugger", "=OPTIONS", ""},
};

void PrintUsage(std::FILE* to) {
  std::fputs("Usage: tarvo [options]\n"
             "The Tarvo scientific calculator window; tarvo-cli is the calculator at\n"
             "a console prompt.\n\nOptions:\n",
             to);
  for (const Option& o : kOptions) {
    const std::string head = std::string(o.name) + std::string(o.value);
    std::string help(o.help);
    for (size_t at = 0; (at = help.find('\n', at)) != std::string::npos; at += 24) help.insert(at + 1, 24, ' ');
    std::fprintf(to, "  %-20s  %s\n", head.c_str(), help.c_str());
  }
  std::fputs("\nThe toolkit's own options (-platform NAME, -style NAME, ...) are taken too.\n", to);
}

// 0 once standard output has taken the help or the version (`what`), 1 with
// the reason when it could not (a full disk, a closed output).
int Written(const char* what) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "tarvo: cannot write %s: %s\n", what, std::strerror(errno));
  return 1;
}

enum class CommandLine { kRun, kHelp, kVersion, kWrong };

// Looks through the arguments before anything else is done, so that the
// help and the version need no display, open no window and write no file,
// and a wrong option stops before any of that too.
CommandLine CheckCommandLine(int argc, char** argv) {
  const auto matches = [](std::string_view arg, const Option& o, bool toolkit) {
    // The toolkit takes "--name" as "-name".
    if (toolkit && arg.substr(0, 2) == "--") arg.remove_prefix(1);
    for (std::string_view name = o.name; !name.empty();) {  // "-h, --help": each spelling
      const size_t comma = name.find(", ");
      const std::string_view one = name.substr(0, comma);
      if (arg == one) return o.value.empty() || o.value.front() == ' ' ? 1 : -1;
      if (!o.value.empty() && o.value.front() == '=' && arg.size() > one.size() + 1 &&
          arg.substr(0, one.size() + 1) == std::string(one) + "=")
        return 2;  // joined value
      name = comma == std::string_view::npos ? std::string_view() : name.substr(comma + 2);
    }
    return 0;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") return CommandLine::kHelp;
    if (arg == "--version") return CommandLine::kVersion;
    if (arg.substr(0, 7) == "--look=" && !tarvo::LookNamed(arg.substr(7))) {
      std::fprintf(stderr, "tarvo: --look takes default, high-contrast or dark, not %s\n", argv[i] + 7);
      return CommandLine::kWrong;
    }
    const Option* found = nullptr;
    int how = 0;
    for (const Option& o : kOptions)
      if ((how = matches(arg, o, false)) != 0) { found = &o; break; }
    for (const Option& o : kToolkitOptions)
      if (found == nullptr && (how = matches(arg, o, true)) != 0) { found = &o; break; }
    if (found == nullptr || how < 0) {
      std::fprintf(stderr, "tarvo: %s %s\n", arg.substr(0, 1) == "-" ? "unknown option" : "unexpected argument",
                   argv[i]);
      return CommandLine::kWrong;
    }
    if (how == 1 && !found->value.empty() && (++i >= argc || argv[i][0] == '\0')) {
      std::fprintf(stderr, "tarvo: %s needs%s\n", argv[i - 1], std::string(found->value).c_str());
      return CommandLine::kWrong;
    }
  }
  return CommandLine::kRun;
}

// The look --look asks for, if given (CheckCommandLine refused a name that
// is no look's).
struct LookOption {
  bool given = false;
  std::optional<tarvo::Look> look;
};

LookOption LookAskedFor(const QStringList& args) {
  LookOption option;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (!args.at(i).startsWith(QLatin1String("--look="))) continue;
    option.given = true;
    option.look = tarvo::LookNamed(args.at(i).mid(7).toStdString());
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
  const tarvo::StartQuestion question = tarvo::UnusableFolderQuestion(problem.toStdString());
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarvo"), QString::fromStdString(question.text));
  QPushButton* start = box.addButton(QString::fromStdString(question.start), QMessageBox::AcceptRole);
  box.addButton(QString::fromStdString(question.quit), QMessageBox::RejectRole);
  box.setDefaultButton(start);
  box.exec();
  return box.clickedButton() == start;
}

int Run(tarvo::ui::Application& app) {
  const QStringList args = QApplication::arguments();
  // An option given twice counts as given last, as in tarvo-cli.
  const auto option = [&](const QString& name) {
    const qsizetype i = args.lastIndexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : QString();
  };
  // A start the toolkit never finishes ends with a message all the same.
  app.WatchStart();
  QString why;
  if (!tarvo::ui::KeepOneWorkerThread(why)) {
    tarvo::ui::TellStandardError(QStringLiteral("tarvo: Tarvo cannot start: %1").arg(why));
    return 1;
  }
  const LookOption look = LookAskedFor(args);
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
  splash.onUnload = [&window, &build, &app] {
    build();
    window->Load();
    window->show();
    window->activateWindow();
    app.Started();
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
  switch (CheckCommandLine(argc, argv)) {
    case CommandLine::kRun: break;
    case CommandLine::kHelp: PrintUsage(stdout); return Written("the help");
    case CommandLine::kVersion: std::printf("tarvo %s\n", TARVO_VERSION); return Written("the version");
    case CommandLine::kWrong: PrintUsage(stderr); return 2;
  }
  tarvo::ui::UseSmallThreadStacks();
  tarvo::ui::WriteMessagesWithoutWaiting();
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
