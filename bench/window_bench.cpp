// Benchmarks of the window and its tape, on the offscreen platform: 10,000
// entries calculated with the tape window closed and open (each entry as
// the window calculates one: its line set, the execute key, then the event
// loop's turn that paints the window and the tape), the tape window opened
// on a full tape, and a window's start over a state folder with a full
// tape. Built with the window:
//
//   cmake -S . -B build-bench-ui -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_BENCH=ON
//   cmake --build build-bench-ui --target tarvo_window_bench
//   build-bench-ui/bench/tarvo_window_bench
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/entry_encoding.h"
#include "core/tape.h"
#include "ui/qt/main_window.h"
#include "ui/qt/tape_window.h"

namespace {

constexpr int kEntries = 10'000;

// The corpus's entries as the entry line holds them.
const std::vector<std::string>& Entries() {
  static const std::vector<std::string> entries = [] {
    std::vector<std::string> lines;
    std::ifstream in(TARVO_BENCH_CORPUS);
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) lines.push_back(tarvo::Utf8ToBytes(line));
    return lines;
  }();
  return entries;
}

// A shown window over `stateDir` whose modal windows (a solver's list)
// close at once.
struct Window {
  explicit Window(const std::string& stateDir = "") : window(stateDir) {
    window.SetModalHook([](QWidget* modal) { modal->close(); });
    window.Load();
    window.show();
  }
  void Calculate(int count) {
    for (int i = 0; i < count; ++i) {
      window.SetEntryText(Entries()[static_cast<size_t>(i) % Entries().size()]);
      window.Logic().ExecuteKey();
      QCoreApplication::processEvents();
    }
  }
  tarvo::ui::MainWindow window;
};

void BM_Entries(benchmark::State& state, bool tapeOpen) {
  Window w;
  if (tapeOpen) w.window.ShowTapeWindow(true);
  for (auto _ : state) w.Calculate(kEntries);
  state.counters["per_entry"] =
      benchmark::Counter(kEntries, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["rows_listed"] = tapeOpen ? w.window.Tape()->List()->count() : 0;
}

void BM_OpenFullTape(benchmark::State& state) {
  Window w;
  w.Calculate(static_cast<int>(tarvo::kTapeRows));
  for (auto _ : state) {
    w.window.ShowTapeWindow(true);
    QCoreApplication::processEvents();
    w.window.ShowTapeWindow(false);
  }
  state.counters["rows_listed"] = w.window.Tape()->List()->count();
}

// The start's own work (the variable files and the tape read, the keypad
// set, the first answer shown), the window built beforehand.
void BM_StartWithFullTape(benchmark::State& state) {
  char folder[] = "/tmp/tarvo-bench-XXXXXX";
  const std::string dir = mkdtemp(folder);
  {
    Window w(dir);
    w.Calculate(static_cast<int>(tarvo::kTapeRows));
    w.window.close();  // saves the variables and the tape
  }
  Window w(dir);
  for (auto _ : state) benchmark::DoNotOptimize(w.window.Logic().StartSession(dir));
  state.counters["rows_read"] = static_cast<double>(w.window.Logic().GetTape().Rows().size());
  std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::RegisterBenchmark("Window/10000_entries/tape_closed", BM_Entries, false)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(3);
  benchmark::RegisterBenchmark("Window/10000_entries/tape_open", BM_Entries, true)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(3);
  benchmark::RegisterBenchmark("Window/open_tape_of_1000_rows", BM_OpenFullTape)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Window/start_with_tape_of_1000_rows", BM_StartWithFullTape)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
