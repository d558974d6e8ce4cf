// Benchmarks of the hot paths over a corpus of typical entries: the
// normaliser, the evaluator, the whole processing cycle (each entry on its
// own, then the median over the entries), the cycle in each output format,
// the format routines themselves, SOLVE at its 10,000-step limit, entries
// that spend the whole work budget on each kind of unit, and the preparation
// of entries up to a megabyte long.
//
//   bash bench/run.sh [benchmark options]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/bytes.h"
#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "output/formats.h"
#include "prepare/normalize.h"
#include "ui/logic/console.h"
#include "ui/logic/processing_cycle.h"
#include "ui/logic/symbols.h"

namespace {

std::vector<std::string> LoadCorpus() {
  std::vector<std::string> lines;
  std::ifstream in(TARVO_BENCH_CORPUS);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

const std::vector<std::string>& Corpus() {
  static const std::vector<std::string> corpus = LoadCorpus();
  return corpus;
}

void Quiet(const std::string&) {}

// A console that has already run the whole corpus once, so that the
// variables the entries assign are defined.
struct Session {
  tarvo::ConsoleSession session{Quiet, Quiet};
  tarvo::Console& console = session.console;
  tarvo::Engine& engine = session.engine;
  Session() {
    console.Start("");
    for (const std::string& e : Corpus()) console.Run(e);
  }
};

Session& SharedSession() {
  static Session session;
  return session;
}

// The entries as the entry line holds them (Windows-1252, typed "*" mapped).
std::vector<std::string> EntryBytes() {
  std::vector<std::string> out;
  for (const std::string& e : Corpus()) {
    std::string b = tarvo::Utf8ToBytes(e);
    for (char& c : b) c = static_cast<char>(tarvo::TypedCharacter(tarvo::Code(c)));
    out.push_back(b);
  }
  return out;
}

void BM_NormalizeExpression(benchmark::State& state) {
  tarvo::Engine& engine = SharedSession().engine;
  const std::vector<std::string> entries = EntryBytes();
  size_t i = 0;
  for (auto _ : state) {
    engine.ErrorCode = 0;
    benchmark::DoNotOptimize(tarvo::NormalizeExpression(engine, entries[i]));
    if (++i == entries.size()) i = 0;
  }
  state.SetLabel("per entry");
}
BENCHMARK(BM_NormalizeExpression);

void BM_Evaluate(benchmark::State& state) {
  tarvo::Engine& engine = SharedSession().engine;
  std::vector<std::string> tokens;
  for (const std::string& e : EntryBytes()) {
    engine.ErrorCode = 0;
    std::string t = tarvo::NormalizeExpression(engine, e);
    if (engine.ErrorCode != 0) continue;
    if (t.size() > 1 && t[1] == '=') t.erase(0, 2);
    tokens.push_back(t);
  }
  size_t i = 0;
  for (auto _ : state) {
    engine.ErrorCode = 0;
    benchmark::DoNotOptimize(tarvo::Evaluate(engine, tokens[i]));
    if (++i == tokens.size()) i = 0;
  }
  state.SetLabel("per token string");
}
BENCHMARK(BM_Evaluate);

// The whole cycle for one entry: text in, result line out.
void BM_Cycle(benchmark::State& state, size_t index) {
  Session& s = SharedSession();
  const std::string& entry = Corpus()[index];
  for (auto _ : state) benchmark::DoNotOptimize(s.console.Run(entry));
  state.SetLabel(entry);
}

// The whole cycle over the corpus in one output format.
void BM_CycleInFormat(benchmark::State& state, const char* directive) {
  Session& s = SharedSession();
  s.console.Run(directive);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.console.Run(Corpus()[i]));
    if (++i == Corpus().size()) i = 0;
  }
  s.console.Run(":norm");
  state.SetLabel("per entry");
}

// The format routines alone over the corpus's results.
std::vector<double> Results() {
  tarvo::Engine& engine = SharedSession().engine;
  std::vector<double> out;
  for (const std::string& e : EntryBytes()) {
    engine.ErrorCode = 0;
    std::string t = tarvo::NormalizeExpression(engine, e);
    if (t.size() > 1 && t[1] == '=') t.erase(0, 2);
    const double x = tarvo::Evaluate(engine, t);
    if (engine.ErrorCode == 0) out.push_back(x);
  }
  engine.ErrorCode = 0;
  return out;
}

template <class F>
void BM_Format(benchmark::State& state, F format) {
  SharedSession();
  const std::vector<double> values = Results();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(format(values[i]));
    if (++i == values.size()) i = 0;
  }
}

void RegisterFormats() {
  using benchmark::RegisterBenchmark;
  RegisterBenchmark("Format/fixed3", [](benchmark::State& s) { BM_Format(s, [](double x) { return tarvo::FormatFixed(x, 3); }); });
  RegisterBenchmark("Format/sci5", [](benchmark::State& s) { BM_Format(s, [](double x) { return tarvo::FormatScientific(x, 5); }); });
  RegisterBenchmark("Format/fraction", [](benchmark::State& s) { BM_Format(s, [](double x) { return tarvo::FormatFraction(x); }); });
  RegisterBenchmark("Format/dms", [](benchmark::State& s) { BM_Format(s, [](double x) { return tarvo::FormatDms(x); }); });
  RegisterBenchmark("Format/hex", [](benchmark::State& s) { BM_Format(s, [](double x) { return tarvo::FormatHex(x < 0 ? -x : x); }); });
  RegisterBenchmark("Format/binary", [](benchmark::State& s) {
    BM_Format(s, [](double x) { return tarvo::FormatBinary(static_cast<double>(static_cast<long long>(x < 0 ? -x : x) % 65536)); });
  });
  RegisterBenchmark("Format/julian_date", [](benchmark::State& s) { BM_Format(s, [](double x) { return tarvo::FormatJulianDate(2451545 + x); }); });
}

// SOLVE at its step limit: every bracket a pole (dropped at the 20th
// bisection step, about 210,000 evaluations), and a smooth equation with
// twenty roots.
void BM_Solve(benchmark::State& state, const char* entry) {
  Session& s = SharedSession();
  s.console.Run(":deg");
  for (auto _ : state) benchmark::DoNotOptimize(s.console.Run(entry));
  state.SetLabel(entry);
}

// Entries at the work budget's edge: each runs through the whole cycle, and
// the label shows what the console printed (the answer, or the message the
// spent budget ends the entry with).
void BM_Limit(benchmark::State& state, const std::string& entry) {
  std::string last;
  tarvo::ConsoleSession session([&last](const std::string& line) { last = line; }, Quiet);
  tarvo::Console& console = session.console;
  console.Start("");
  for (auto _ : state) benchmark::DoNotOptimize(console.Run(entry));
  state.SetLabel(last);
}

// "term+term+...+term" with `count` terms, inside `before` ... `after`.
std::string Repeated(const std::string& before, const std::string& term, int count, const std::string& after) {
  std::string s = before;
  for (int i = 0; i < count; ++i) s += (i ? "+" : "") + term;
  return s + after;
}

// The internal rate of return of 24 payments of 100 against 1500.
std::string RateOfReturnEntry() {
  std::string s = "solve(";
  for (int k = 1; k <= 24; ++k) s += (k > 1 ? "+" : "") + std::string("100/(1+x)^") + std::to_string(k);
  return s + "=1500,0,1,0.0001)";
}

void RegisterLimits() {
  const std::pair<const char*, std::string> entries[] = {
      {"Limit/rate_of_return_solve", RateOfReturnEntry()},
      {"Limit/normal_inverse_40_solve", Repeated("solve(", "znor(.4)", 40, "+x*0,-1,1,.0002)")},
      {"Limit/prime_21_solve", Repeated("solve(", "prim(999999937)", 21, "+x*0,-1,1,0.0002)")},
      // Candidates for the costliest entry: each spends the whole budget on
      // one kind of unit.
      {"Limit/spent_on_normal_inverse", Repeated("solve(", "znor(.4)", 2000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_normal_lower", Repeated("solve(", "nor(4.7)", 2000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_normal_tail", Repeated("solve(", "nor(-29)", 2000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_primes", Repeated("solve(", "prim(999999937)", 2000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_factorials", Repeated("solve(", "fact(150)-fact(150)", 1500, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_combinations", Repeated("solve(", "ncr(170,85)", 2500, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_binomials", Repeated("solve(", "bin(170,.5,85)", 2000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_gcd", Repeated("solve(", "gcm(701408733,433494437)", 1000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_powers", Repeated("solve(", "1.0001^1.0001", 2000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_roots", Repeated("solve(", "3\xCE" "7.1", 4000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_sines", Repeated("solve(", "sin(x)", 3000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_hyperbolics", Repeated("solve(", "argsinh(x)", 2500, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_logarithms", Repeated("solve(", "lgb(3,x+2)", 2500, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_julian_days", Repeated("solve(", "juld(1,2,2000,3,4,5)", 1200, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_mean_intervals", Repeated("solve(", "mie(9,1,2,.9)", 2000, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_sums", Repeated("solve(", "x", 8000, ",-1,1,.0002)")},
      {"Limit/spent_on_literals", Repeated("solve(", "1.234567891234567e-7", 1500, "+x*0,-1,1,.0002)")},
      {"Limit/spent_on_long_literal", "solve(" + std::string(30000, '1') + "+x*0,-1,1,.0002)"},
      {"Limit/spent_on_poles", Repeated("solve(1/sin(180x)+", "x", 30, ",0.5,10000.5,1)")},
  };
  for (const auto& [name, entry] : entries)
    benchmark::RegisterBenchmark(name, BM_Limit, entry)->Unit(benchmark::kMillisecond);
}

// Preparation (normaliser and argument splitter) of long entries; above
// the entry-length limit the cycle refuses them, but the routines must
// still be linear in the length.
void BM_Prepare(benchmark::State& state, const std::string& unit, size_t bytes) {
  std::string text;
  while (text.size() + unit.size() <= bytes) text += unit;
  text += "1";
  tarvo::Engine engine;
  for (auto _ : state) {
    engine.ErrorCode = 0;
    benchmark::DoNotOptimize(tarvo::NormalizeExpression(engine, text));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  engine.ErrorCode = 0;
}

void RegisterPreparation() {
  const std::pair<const char*, std::string> units[] = {
      {"ncr", "ncr(,)"}, {"gcm", "gcm(1,2,3,4,5,6,7,8,9,10)+"}, {"sum", "1+"},
      {"nested_ncr", "ncr(1,"}, {"failing_ncr", "ncr(ncr(1),1)+"}, {"mixed", "sin(2x)+3!*ln(4)%-"}};
  for (const auto& [name, unit] : units) {
    for (size_t bytes : {size_t{32767}, size_t{1} << 20}) {
      const std::string label = std::string("Prepare/") + name + (bytes > 32767 ? "_1MB" : "_32KB");
      benchmark::RegisterBenchmark(label.c_str(), BM_Prepare, unit, bytes)->Unit(benchmark::kMillisecond);
    }
  }
}

// Prints the median of the per-entry cycle times after the usual table.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0 &&
          r.benchmark_name().rfind("Cycle/", 0) == 0)
        perEntry_.push_back(r.real_accumulated_time / static_cast<double>(r.iterations));
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    if (perEntry_.empty()) return;
    std::sort(perEntry_.begin(), perEntry_.end());
    const size_t n = perEntry_.size();
    const double median = n % 2 ? perEntry_[n / 2] : (perEntry_[n / 2 - 1] + perEntry_[n / 2]) / 2;
    std::printf("Whole cycle, median over %zu typical entries: %.3f us (min %.3f, max %.3f)\n", n,
                median * 1e6, perEntry_.front() * 1e6, perEntry_.back() * 1e6);
  }

 private:
  std::vector<double> perEntry_;
};

}  // namespace

int main(int argc, char** argv) {
  for (size_t i = 0; i < Corpus().size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Cycle/%02zu", i);
    benchmark::RegisterBenchmark(name, BM_Cycle, i);
  }
  const char* formats[][2] = {{"CycleInFormat/norm", ":norm"}, {"CycleInFormat/fix3", ":fix 3"},
                              {"CycleInFormat/sci5", ":sci 5"}, {"CycleInFormat/frac", ":frac"},
                              {"CycleInFormat/dms", ":dms"},    {"CycleInFormat/bin", ":bin"},
                              {"CycleInFormat/hex", ":hex"},    {"CycleInFormat/date", ":date"}};
  for (const auto& f : formats) benchmark::RegisterBenchmark(f[0], BM_CycleInFormat, f[1]);
  RegisterFormats();
  benchmark::RegisterBenchmark("Solve/poles_10000_steps", BM_Solve, "solve(1/sin(180x),0.5,10000.5,1)")
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Solve/roots_10000_steps", BM_Solve, "solve(sin(x)-0.5,0,3600,0.36)")
      ->Unit(benchmark::kMillisecond);

  RegisterLimits();
  RegisterPreparation();

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
