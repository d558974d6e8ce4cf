// tarvo-cli: the calculator's processing cycle at a console prompt.
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "ui/logic/console.h"

#if defined(TARVO_HAVE_EDITLINE)
#include <editline/readline.h>
#endif

namespace {

constexpr const char* kUsage =
    "Usage: tarvo-cli [options] [ENTRY ...]\n"
    "Evaluates each ENTRY in order, or the lines of standard input when none is\n"
    "given, and prints one result line per entry.\n"
    "\n"
    "Options:\n"
    "  -n, --no-state  neither read nor write the variable files\n"
    "  -h, --help      show this help and exit\n"
    "      --version   show the version and exit\n"
    "\n"
    "Lines starting with ':' are directives: :deg :rad :gra :norm :fix N :sci N\n"
    ":frac :dms :bin :hex :date :vars :clear\n"
    "\n"
    "Exit status: 0 when the last entry succeeded, 1 when it ended with an error\n"
    "or a notice, 2 for bad options or an unknown directive.\n";

// A line longer than any entry is still read to its end, but only its first
// kMaxLineBytes are kept: enough (UTF-8 takes at most four bytes for a
// character) for the cycle to see that it is over the entry-length limit
// and refuse it, without holding the whole line.
constexpr size_t kMaxLineBytes = 4 * (static_cast<size_t>(tarvo::kMaxEntryLength) + 1);

bool ReadBoundedLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  int c = buffer->sbumpc();
  if (c == std::char_traits<char>::eof()) {
    in.setstate(std::ios::eofbit | std::ios::failbit);
    return false;
  }
  for (; c != std::char_traits<char>::eof() && c != '\n'; c = buffer->sbumpc())
    if (line.size() < kMaxLineBytes) line += static_cast<char>(c);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool ReadLine(bool interactive, std::string& line) {
#if defined(TARVO_HAVE_EDITLINE)
  if (interactive) {
    char* raw = readline("tarvo> ");
    if (raw == nullptr) return false;
    line = raw;
    if (!line.empty()) add_history(raw);
    free(raw);
    return true;
  }
#else
  if (interactive) {
    std::cout << "tarvo> " << std::flush;
  }
#endif
  return ReadBoundedLine(std::cin, line);
}

}  // namespace

// The line editor reads characters by the locale's character type: without
// a UTF-8 one it drops every sign (², √, π) typed at the prompt. Only the
// character type is set; numbers never depend on the locale here.
void UseUtf8Characters() {
  const char* set = std::setlocale(LC_CTYPE, "");
  if (set == nullptr || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

int main(int argc, char** argv) {
  bool useState = true;
  std::vector<std::string> entries;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-n" || arg == "--no-state") {
      useState = false;
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--version") {
      std::cout << "tarvo-cli " << TARVO_VERSION << "\n";
      return 0;
    } else if (arg == "--") {
      for (++i; i < argc; ++i) entries.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      std::cerr << "tarvo-cli: unknown option " << arg << "\n" << kUsage;
      return 2;
    } else {
      entries.push_back(arg);  // "-5" and "-x^2" are entries, not options
    }
  }

  // Results are buffered, and flushed per line only when someone watches:
  // a flush per entry would cost a write(2) each when piping thousands.
  // Diagnostics flush the results first, so the two streams keep their order.
  std::ios::sync_with_stdio(false);
  std::cin.tie(nullptr);  // reading a line would flush the results otherwise
  const bool flushEachLine = isatty(STDOUT_FILENO) != 0 || isatty(STDIN_FILENO) != 0;
  tarvo::Console console(
      [flushEachLine](const std::string& s) {
        std::cout << s << '\n';
        if (flushEachLine) std::cout.flush();
      },
      [](const std::string& s) {
        std::cout.flush();
        std::cerr << s << '\n';
      });
  const std::string stateDir = useState ? "." : "";
  console.Start(stateDir);

  int status = 0;
  auto run = [&](const std::string& line) {
    switch (console.Run(line)) {
      case tarvo::Console::Outcome::kNothing: break;
      case tarvo::Console::Outcome::kSuccess: status = 0; break;
      case tarvo::Console::Outcome::kNotice: status = 1; break;
      case tarvo::Console::Outcome::kUnknownCommand: status = 2; break;
    }
  };
  if (!entries.empty()) {
    for (const std::string& e : entries) run(e);
  } else {
    const bool interactive = isatty(STDIN_FILENO) != 0;
    if (interactive) UseUtf8Characters();
    std::string line;
    while (ReadLine(interactive, line)) run(line);
    if (interactive) std::cout << '\n';
  }
  if (!console.Finish(stateDir) && status == 0) status = 1;
  return status;
}
