// One keystroke in the tester's expression editor with OnFly on, from the key
// to the screen handed to the backend: the expression set, the text fetched
// and searched under the watchdog, the regions painted. Beside it the bare
// PCRE2 work of the same keystroke: on its own, and (over_bare) timed after
// each keystroke on the thread that searched. Targets for the largest text
// (100 lines of 511 characters): <= 2 ms median and within 1.1 x the bare
// work with SingleLines and ReNoMoves off; <= 2 ms with SingleLines on.
#include <benchmark/benchmark.h>
#include <windows.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <chrono>
#include <random>
#include <string>

#include "farhost/dialog.hpp"
#include "farhost/farhost.hpp"
#include "host/host_state.hpp"
#include "kestrum/service_table.hpp"
#include "settings/settings.hpp"
#include "support/test_files.hpp"
#include "tester/tester.hpp"
#include "tester/tester_dialog.hpp"

namespace {

// Fifteen groups that match only at the very end of the text, tried at
// every position before: the engine has real work to do.
const char kExpression[] =
    "(\\w)(\\w)(\\w)(\\w)(\\w)(\\w)(\\w)(\\w)(\\w)(\\w)(\\w)(\\w)(\\w)(\\w)(\\w+)@";
const char kNoMatch[] = "zz";

// Lines of letters a to y; the last one ends with '@' when `tail` is set.
std::string MakeText(int lines, int width, bool tail) {
  std::mt19937 random(7);
  std::string text;
  for (int i = 0; i < lines; ++i) {
    std::string line;
    for (int j = 0; j < width; ++j) line += char('a' + random() % 25);
    if (tail && i == lines - 1) line.back() = '@';
    text += line + "\n";
  }
  return text;
}

void StartModule() {
  static bool started = false;
  if (started) return;
  started = true;
  static std::string module = BesideTestProgram("Pardune.kmx");
  static PluginStartupInfo info = farhost::MakeStartupInfo(module.c_str());
  Start(&info, KestrumServiceTable());
}

struct Keystroke {
  std::string text;
  const char *expression;
  bool singleLines;
  bool noMoves;
  bool paired = false;  // the bare work timed beside each keystroke
};

using Clock = std::chrono::steady_clock;

double MicrosecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The engine's own work for a keystroke: compile, JIT compile, one search of
// the text.
int BareSearch(const std::string &pattern, const std::string &text, pcre2_match_data *data) {
  int error;
  PCRE2_SIZE offset;
  pcre2_code *code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.c_str()), pattern.size(),
                                   PCRE2_NEVER_UTF | PCRE2_NEVER_UCP, &error, &offset, nullptr);
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.c_str()), text.size(), 0, 0, data,
                       nullptr);
  pcre2_code_free(code);
  return rc;
}

struct BareJob {
  std::string pattern;
  const std::string *text;
  pcre2_match_data *data;
  double microseconds;
};

DWORD WINAPI TimedBareSearch(LPVOID parameter) {
  auto *job = static_cast<BareJob *>(parameter);
  const Clock::time_point start = Clock::now();
  benchmark::DoNotOptimize(BareSearch(job->pattern, *job->text, job->data));
  job->microseconds = MicrosecondsSince(start);
  return 0;
}

// The bare work on the thread that has just searched for the tester, timed
// within that thread: the processors of a virtual machine may differ in
// speed, and the host's load changes from one second to the next. 0: no
// thread.
double BareOnWorker(BareJob &job) {
  HANDLE thread = CreateThread(nullptr, 0, TimedBareSearch, &job, 0, nullptr);
  if (thread == nullptr) return 0;
  const bool done = WaitForSingleObject(thread, 2000) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return done ? job.microseconds : 0;
}

farhost::InputEvent KeyEvent(DWORD key) {
  farhost::InputEvent event;
  event.kind = farhost::InputEvent::Key;
  event.key = key;
  return event;
}

// Runs inside the tester: sets it up, then times keystrokes that add and
// take back a '$' at the end of the expression.
class KeystrokeBackend : public farhost::Backend {
 public:
  KeystrokeBackend(benchmark::State &state, const Keystroke &keystroke)
      : state_(state), keystroke_(keystroke) {}
  void Show(const farhost::Screen &) override { ++shows_; }
  farhost::InputEvent Wait() override {
    farhost::Dialog *dialog = farhost::FindDialog(Tester->dialog.handle);
    Settings.OnFly = 1;
    Settings.SingleLines = keystroke_.singleLines;
    Settings.ReNoMoves = keystroke_.noMoves;
    Tester->text.SetText(keystroke_.text.c_str());
    Tester->text.SetModified(false);
    Tester->dialog.SetFocus(kExpressionFirstRow);
    auto press = [&](DWORD key) {
      dialog->HandleEvent(KeyEvent(key));
      dialog->Paint();
      farhost::ShowScreen();
    };
    for (const char *p = keystroke_.expression; *p; ++p) press(static_cast<unsigned char>(*p));
    bool added = false;
    double keystrokes = 0, bare = 0;
    BareJob job{"", &keystroke_.text, pcre2_match_data_create(16, nullptr), 0};
    for (auto _ : state_) {
      const Clock::time_point start = Clock::now();
      press(added ? DWORD(KEY_BS) : DWORD('$'));
      keystrokes += MicrosecondsSince(start);
      added = !added;
      // A match scrolls the window to it; the next search must start at
      // the top again to cover the whole text.
      state_.PauseTiming();
      if (keystroke_.paired) {
        job.pattern = std::string(keystroke_.expression) + (added ? "$" : "");
        bare += BareOnWorker(job);
      }
      Tester->text.MoveTo(0, 0, false);
      Tester->dialog.SetFocus(kExpressionFirstRow);
      state_.ResumeTiming();
    }
    pcre2_match_data_free(job.data);
    state_.counters["shows"] = benchmark::Counter(shows_, benchmark::Counter::kAvgIterations);
    if (bare > 0) {
      state_.counters["bare_ms"] = bare / 1000 / double(state_.iterations());
      state_.counters["over_bare"] = keystrokes / bare;
    }
    farhost::InputEvent quit;
    quit.kind = farhost::InputEvent::Quit;
    return quit;
  }

 private:
  benchmark::State &state_;
  const Keystroke &keystroke_;
  int shows_ = 0;
};

void RunKeystrokes(benchmark::State &state, const Keystroke &keystroke) {
  StartModule();
  farhost::TheScreen().Resize(80, 25);
  WinportSetConsoleSize(80, 25);
  KeystrokeBackend backend(state, keystroke);
  farhost::SetBackend(&backend);
  RunTester();
  farhost::SetBackend(nullptr);
}

void BM_KeystrokeWholeText(benchmark::State &state) {
  RunKeystrokes(state, {MakeText(100, 511, true), kExpression, false, false, true});
}
BENCHMARK(BM_KeystrokeWholeText)->Unit(benchmark::kMillisecond);

void BM_KeystrokeSingleLines(benchmark::State &state) {
  RunKeystrokes(state, {MakeText(100, 511, true), kExpression, true, false});
}
BENCHMARK(BM_KeystrokeSingleLines)->Unit(benchmark::kMillisecond);

// No match with ReNoMoves: one guarded Parse per position, 100 lines of the
// given width (8,100 or 51,100 calls). Targets: <= 12 ms and <= 60 ms.
void BM_KeystrokeNoMovesNoMatch(benchmark::State &state) {
  RunKeystrokes(state, {MakeText(100, int(state.range(0)), false), kNoMatch, true, true});
}
BENCHMARK(BM_KeystrokeNoMovesNoMatch)->Arg(80)->Arg(511)->Unit(benchmark::kMillisecond);

// The engine's own work for the whole-text keystroke, on its own.
void BM_BarePcre2WholeText(benchmark::State &state) {
  const std::string text = MakeText(100, 511, true);
  const std::string pattern = std::string(kExpression) + "$";
  pcre2_match_data *data = pcre2_match_data_create(16, nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(BareSearch(pattern, text, data));
  pcre2_match_data_free(data);
}
BENCHMARK(BM_BarePcre2WholeText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
