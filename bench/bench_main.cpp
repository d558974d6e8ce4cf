// Benchmarks of the hot paths over a corpus of typical entries: the
// normaliser, the evaluator, the whole processing cycle (each entry on its
// own, then the median over the entries), the cycle in each output format,
// the format routines themselves, SOLVE at its 10,000-step limit, entries
// that spend the whole work budget on each kind of work, the preparation
// of entries up to a megabyte long, and the read of a full tape.
//
//   bash bench/run.sh [benchmark options]
//
// window_bench.cpp measures the window itself (the tape open and closed).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/bytes.h"
#include "engine/eval/evaluate.h"
#include "engine/eval/functions.h"
#include "engine/state.h"
#include "output/draw.h"
#include "output/formats.h"
#include "prepare/normalize.h"
#include "cli/console.h"
#include "core/entry_encoding.h"
#include "core/output_format.h"
#include "core/processing_cycle.h"
#include "core/tape.h"

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

// The engine's function table as the normaliser reads it.
const tarvo::FunctionNames& Names() {
  static const tarvo::FunctionNames names(tarvo::FunctionTable());
  return names;
}

// The entry as the entry line holds it (Windows-1252, typed "*" mapped).
std::string EntryLine(const std::string& utf8) {
  std::string b = tarvo::Utf8ToBytes(utf8);
  for (char& c : b) c = static_cast<char>(tarvo::TypedCharacter(tarvo::Code(c)));
  return b;
}

// A console that has already run the whole corpus once, so that the
// variables the entries assign are defined; and an engine of the
// benchmarks' own, through which the corpus has run as well, for the
// normaliser and the evaluator on their own.
struct Session {
  tarvo::Console console{Quiet, Quiet};
  tarvo::Engine engine;
  Session() {
    console.Start("");
    for (const std::string& e : Corpus()) console.Run(e);
    for (const std::string& e : Corpus()) tarvo::ProcessEntryLine(engine, EntryLine(e));
  }
};

Session& SharedSession() {
  static Session session;
  return session;
}

// The entries as the entry line holds them (Windows-1252, typed "*" mapped).
std::vector<std::string> EntryBytes() {
  std::vector<std::string> out;
  for (const std::string& e : Corpus()) out.push_back(EntryLine(e));
  return out;
}

void BM_NormalizeExpression(benchmark::State& state) {
  tarvo::Engine& engine = SharedSession().engine;
  const std::vector<std::string> entries = EntryBytes();
  size_t i = 0;
  for (auto _ : state) {
    engine.ErrorCode = tarvo::ErrorNumber::kNone;
    benchmark::DoNotOptimize(tarvo::NormalizeExpression(engine, entries[i], Names()));
    if (++i == entries.size()) i = 0;
  }
  state.SetLabel("per entry");
}
BENCHMARK(BM_NormalizeExpression);

void BM_Evaluate(benchmark::State& state) {
  tarvo::Engine& engine = SharedSession().engine;
  std::vector<std::string> tokens;
  for (const std::string& e : EntryBytes()) {
    engine.ErrorCode = tarvo::ErrorNumber::kNone;
    std::string t = tarvo::NormalizeExpression(engine, e, Names());
    if (engine.ErrorCode != tarvo::ErrorNumber::kNone) continue;
    if (t.size() > 1 && t[1] == '=') t.erase(0, 2);
    tokens.push_back(t);
  }
  size_t i = 0;
  for (auto _ : state) {
    engine.ErrorCode = tarvo::ErrorNumber::kNone;
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
    engine.ErrorCode = tarvo::ErrorNumber::kNone;
    std::string t = tarvo::NormalizeExpression(engine, e, Names());
    if (t.size() > 1 && t[1] == '=') t.erase(0, 2);
    const double x = tarvo::Evaluate(engine, t);
    if (engine.ErrorCode == tarvo::ErrorNumber::kNone) out.push_back(x);
  }
  engine.ErrorCode = tarvo::ErrorNumber::kNone;
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

// An entry through the whole processing cycle, in degrees. The label shows
// what the console prints for it (the answer, or the message the spent
// budget ends the entry with); the counter budget_s is the CPU time the
// whole work budget lasts at the entry's rate, its time itself when the
// entry spends it all.
void BM_Limit(benchmark::State& state, const std::string& entry) {
  tarvo::Engine engine;
  engine.AngleFactor = 180 / engine.Pi;
  const std::string line = EntryLine(entry);
  tarvo::CycleResult last;
  double budgets = 0;
  for (auto _ : state) {
    last = tarvo::ProcessEntryLine(engine, line);
    benchmark::DoNotOptimize(last);
    const auto spent = std::min(tarvo::kWorkBudget, tarvo::kWorkBudget - engine.Work.Remaining);
    budgets += static_cast<double>(spent) / static_cast<double>(tarvo::kWorkBudget);
  }
  state.counters["budget_s"] = benchmark::Counter(budgets, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetLabel(last.outcome == tarvo::CycleResult::Outcome::kAnswer
                     ? tarvo::PlainResultText(tarvo::NormalAnswerText(last.value))
                     : std::string(tarvo::ErrorMessage(last.error)));
}

// `count` copies of `term` joined by `separator`.
std::string Joined(const std::string& term, const char* separator, int count) {
  std::string s = term;
  for (int i = 1; i < count; ++i) s += separator + term;
  return s;
}

// `solves` copies of a SOLVE whose 10,000 steps each hold a pole, found by
// its 20th bisection step, with `terms` evaluated at every one of the
// 210,000 samples. An equation holds at most 16 argument lists and an entry
// nine equations, so the cheapest list functions and the solvers' own steps
// spend only part of the budget; their budget_s is what all of it would last.
std::string SpentOn(const std::string& terms, int solves = 1) {
  return Joined("solve(1/sin(1800000x)+0*(" + terms + "),.50005,1.50005,.0001)", "+", solves);
}

// The internal rate of return of 24 payments of 100 against 1500.
std::string RateOfReturnEntry() {
  std::string s = "solve(";
  for (int k = 1; k <= 24; ++k) s += (k > 1 ? "+" : "") + std::string("100/(1+x)^") + std::to_string(k);
  return s + "=1500,0,1,0.0001)";
}

// The 756-digit literal of the point half-way between two doubles near
// 1E-320, which the conversion settles only by comparing every digit.
std::string HalfWayLiteral() {
  return "1.234917081780195737169333697774119320226466976634504748681751413410438430421886"
         "77528731694098590916295330151345626657146845117844753467152109873760262894930437"
         "66886326191833556173506200110385307681699522308244683274422634909653291793356784"
         "76087527256484287453042509272605802486278533294695131981133062438577083505380996"
         "40701739720634293539209559898863273061813658421014385505900752799650120002964963"
         "04910986023095870083084189095695619414144704333124378775133715175512478900998460"
         "96263422066362426291104219919096623497575967143947781931652215716395513850382056"
         "45755516301560627028839031202343070139843507214227079551040215885477222291964753"
         "08076869137914049043764115555639130684665192447939932153741407152967297477640790"
         "1043029369247960858047008514404296875e-320";
}

void RegisterLimits() {
  const std::pair<const char*, std::string> entries[] = {
      // A realistic heavy entry that finishes: the share of the budget it takes.
      {"Limit/rate_of_return_solve", RateOfReturnEntry()},
      // One entry for each kind of work, spending the whole budget on it.
      {"Limit/spent_on_sums", SpentOn(Joined("x", "+", 1000))},
      {"Limit/spent_on_products", SpentOn(Joined("x", "*", 1000))},
      {"Limit/spent_on_quotients", SpentOn(Joined("x", "/", 600))},
      {"Limit/spent_on_reciprocal_sums", SpentOn(Joined("x", "//", 800))},
      {"Limit/spent_on_integer_divisions", SpentOn(Joined("x mod 7", "+", 300))},
      {"Limit/spent_on_powers", SpentOn(Joined("x^x", "+", 250))},
      {"Limit/spent_on_nth_roots", SpentOn(Joined("3\xCEx", "+", 200))},
      {"Limit/spent_on_whole_powers", SpentOn(Joined("x\xB2", "+", 250))},
      {"Limit/spent_on_groups", SpentOn(Joined("((((x))))", "+", 400))},
      {"Limit/spent_on_applications", SpentOn(Joined("abs(x)", "+", 500))},
      {"Limit/spent_on_literals", SpentOn(Joined("1.234567891234567", "+", 150))},
      {"Limit/spent_on_long_literal", SpentOn("." + std::string(30000, '1'))},
      {"Limit/spent_on_exact_literals", SpentOn(Joined(HalfWayLiteral(), "+", 3))},
      {"Limit/spent_on_subnormals", SpentOn(Joined("1e-310*x", "+", 100))},
      {"Limit/spent_on_square_roots", SpentOn(Joined("sqr(x)", "+", 450))},
      {"Limit/spent_on_cube_roots", SpentOn(Joined("cur(x)", "+", 350))},
      {"Limit/spent_on_exponentials", SpentOn(Joined("exp(x)", "+", 350))},
      {"Limit/spent_on_logarithms", SpentOn(Joined("ln(x)+log(x)", "+", 150))},
      {"Limit/spent_on_logarithms_to_base", SpentOn(Joined("lgb(3,x)", "+", 16), 9)},
      {"Limit/spent_on_sines", SpentOn(Joined("sin(x)", "+", 400))},
      {"Limit/spent_on_tangents", SpentOn(Joined("tan(x)", "+", 300))},
      {"Limit/spent_on_huge_tangents", SpentOn(Joined("tan(1e300)", "+", 80))},
      {"Limit/spent_on_inverse_circular", SpentOn(Joined("arcsin(.5)", "+", 300))},
      {"Limit/spent_on_hyperbolics", SpentOn(Joined("sinh(x)", "+", 300))},
      {"Limit/spent_on_inverse_hyperbolics", SpentOn(Joined("argsinh(x)", "+", 350))},
      {"Limit/spent_on_factorials", SpentOn(Joined("fact(170)-fact(170)", "+", 15))},
      {"Limit/spent_on_combinations", SpentOn(Joined("ncr(170,85)", "+", 16))},
      {"Limit/spent_on_binomials", SpentOn(Joined("bin(170,.5,85)", "+", 16))},
      {"Limit/spent_on_divisors", SpentOn(Joined("gcm(701408733,433494437)", "+", 16))},
      {"Limit/spent_on_primes", SpentOn("prim(999999937)")},
      {"Limit/spent_on_normal_series", SpentOn(Joined("nor(x)", "+", 40))},
      {"Limit/spent_on_normal_tail", SpentOn(Joined("nor(-29)", "+", 100))},
      {"Limit/spent_on_normal_inverse", SpentOn("znor(.4)")},
      {"Limit/spent_on_intervals", SpentOn("mie(9,1,2,.9)")},
      {"Limit/spent_on_julian_days", SpentOn(Joined("juld(1,2,2000,3,4,5)", "+", 16), 9)},
      {"Limit/spent_on_coordinates", SpentOn(Joined("pol(3,x)", "+", 16), 9)},
      {"Limit/spent_on_determinants", SpentOn(Joined("det3x3(x,2,3,4,5,6,7,8,10)", "+", 16), 9)},
      {"Limit/spent_on_random_numbers", SpentOn(Joined("rnd", "+", 500))},
      {"Limit/spent_on_solver_steps", SpentOn("x", 9)},
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
    engine.ErrorCode = tarvo::ErrorNumber::kNone;
    benchmark::DoNotOptimize(tarvo::NormalizeExpression(engine, text, Names()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  engine.ErrorCode = tarvo::ErrorNumber::kNone;
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

// A state folder of its own holding a full tape: the corpus's entries, each
// repeated until it is `entryBytes` long, with what the console printed
// for them, until the tape has its thousand rows or its megabyte.
class TapeFolder {
 public:
  explicit TapeFolder(size_t entryBytes) {
    char folder[] = "/tmp/tarvo-bench-XXXXXX";
    dir_ = mkdtemp(folder);
    std::string printed;
    tarvo::Console console([&printed](const std::string& line) { printed = line; }, Quiet);
    console.Start("");
    tarvo::Tape tape;
    for (size_t i = 0; i < tarvo::kTapeRows; ++i) {
      const std::string& entry = Corpus()[i % Corpus().size()];
      console.Run(entry);
      std::string typed = entry;
      while (typed.size() < entryBytes) typed += "+" + entry;
      tape.Add({static_cast<std::int64_t>(i), tarvo::TapeRow::Kind::kAnswer, tarvo::Utf8ToBytes(typed),
                tarvo::Utf8ToBytes(printed)});
    }
    if (!tape.Save(dir_).ok) std::fprintf(stderr, "cannot write a tape in %s\n", dir_.c_str());
  }
  ~TapeFolder() { std::filesystem::remove_all(dir_); }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

// A window's start reads the whole tape (under the folder's lock, its
// UTF-8 checked, its rows parsed and sorted by time).
void BM_TapeLoad(benchmark::State& state, size_t entryBytes) {
  const TapeFolder folder(entryBytes);
  tarvo::Tape tape;
  for (auto _ : state) benchmark::DoNotOptimize(tape.Load(folder.Dir()));
  state.counters["rows"] = static_cast<double>(tape.Rows().size());
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(folder.Dir() + "/" + tarvo::kTapeFile));
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
  benchmark::RegisterBenchmark("Tape/load_1000_typical_rows", BM_TapeLoad, 0)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Tape/load_1MB_of_long_rows", BM_TapeLoad, 1000)->Unit(benchmark::kMillisecond);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
