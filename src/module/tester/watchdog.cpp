#include "tester/watchdog.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/fault_guard.hpp"
#include "host/host_services.hpp"
#include "host/host_state.hpp"
#include "host/text.hpp"
#include "tester/match_state.hpp"

DWORD WatchdogTimeout = 2000;

namespace {

enum {
  kDirectoryBound = 261,
  kLogPathSize = kDirectoryBound + 16,  // the directory, a separator and the name
  kDashes = 80,
  kStopWaitMs = 5000,
};

#ifdef _WIN32
const char kLogName[] = "\\RegExp_bug.txt";
#else
const char kLogName[] = "/RegExp_bug.txt";
#endif

const char kSetStep[] = "Set expression";
const char kParseStep[] = "Parse expression";

int CallSetExpression(void *arg) {
  const EngineCall *call = static_cast<const EngineCall *>(arg);
  return Host.EngineTable->SetExpression(Engine, call->text, 0, 0);
}

// The worker clears the record it fills, so that a search that finds
// nothing leaves its lines on the worker's processor.
int CallParse(void *arg) {
  const EngineCall *call = static_cast<const EngineCall *>(arg);
  std::memset(call->match, 0, sizeof *call->match);
  return Host.EngineTable->Parse(Engine, call->text, call->text, call->last, call->match, 0, 0);
}

// A faulted call may have left the engine half done: the worker touches
// nothing more and waits to be stopped.
DWORD RunWorker(int (*call)(void *), LPVOID arg) {
  int result = 0;
  if (!RunGuarded(call, arg, &result))
    for (;;) Sleep(1);
  return static_cast<DWORD>(result);
}

int StartGuarded(EngineCall *call, LPTHREAD_START_ROUTINE worker, const char *step) {
  if (!Host.EngineTable) return 0;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, worker, call, 0, &id);
  if (!thread) return 0;
  return AwaitEngine(call, thread, step);
}

// The box has shown the report; the host hears that the log did not keep it
// (a debugger on Windows; pardune says it once the terminal is back).
void ReportUnwrittenLog(const char *path, int error) {
  char notice[kLogPathSize + 160];
  FormatBounded(notice, sizeof notice, "cannot write the hang report to %s: %s", path,
                std::strerror(error));
  OutputDebugStringA(notice);
}

}  // namespace

DWORD WINAPI SetExpressionWorker(LPVOID call) {
  return RunWorker(CallSetExpression, call);
}

DWORD WINAPI ParseWorker(LPVOID call) {
  return RunWorker(CallParse, call);
}

int GuardedSetExpression(const char *expression) {
  if (!Host.EngineTable || !Host.EngineTable->SetExpression) return 0;
  EngineCall call = {expression, nullptr, nullptr};
  return StartGuarded(&call, SetExpressionWorker, kSetStep);
}

int GuardedParse(const char *text, const char *last, MatchRecord *match) {
  if (!Host.EngineTable || !Host.EngineTable->Parse) return 0;
  EngineCall call = {text, last, match};
  return StartGuarded(&call, ParseWorker, kParseStep);
}

int AwaitEngine(EngineCall *call, HANDLE thread, const char *step) {
  if (WaitForSingleObject(thread, WatchdogTimeout) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (!GetExitCodeThread(thread, &code)) code = 0;
    CloseHandle(thread);
    return static_cast<int>(code);
  }
  TerminateThread(thread, 0);
  // The stop may land a moment later: the record and the text it points to
  // are used again only once the worker is gone.
  WaitForSingleObject(thread, kStopWaitMs);
  CloseHandle(thread);

  // The report quotes the examined text up to the end of its line.
  char *lineEnd = nullptr;
  const char *report;
  if (!call->last) {
    report = FormatText("Parser hungs up at: %s...\nExpression:\n  [%s]\n\n", step, call->text);
  } else {
    lineEnd = const_cast<char *>(std::strchr(call->text, '\n'));
    if (lineEnd) *lineEnd = '\0';
    report = FormatText("Parser hungs up at %s...\nExpression:\n  [%s]\nExamined text:\n  [%s]\n\n",
                        step, TheMatchState.expression, call->text);
  }
  // The shared buffer is borrowed: keep a copy while the box is open.
  static char copy[kFormatBufferSize];
  CopyText(copy, report, sizeof copy);
  Report(copy);
  AppendHangLog(copy, TextLength(copy));
  if (lineEnd) *lineEnd = '\n';
  TheMatchState.ExpressionReady = false;
  return 0;
}

void AppendHangLog(const char *report, int length) {
  // Without the module's directory the name would point at the root.
  if (!Host.ModuleDirectory || !Host.ModuleDirectory[0]) return;
  char path[kLogPathSize];
  CopyText(path, Host.ModuleDirectory, kDirectoryBound);
  AppendText(path, kLogName, -1);
  FILE *log = std::fopen(path, "a+");
  if (!log) {
    ReportUnwrittenLog(path, errno);
    return;
  }
  char dashes[kDashes + 1];
  FillBytes(dashes, '-', kDashes);
  dashes[kDashes] = '\n';
  const size_t size = length > 0 ? static_cast<size_t>(length) : 0;
  bool written = std::fwrite(dashes, 1, sizeof dashes, log) == sizeof dashes &&
                 std::fwrite(report, 1, size, log) == size;
  int error = errno;
  if (std::fclose(log) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) ReportUnwrittenLog(path, error);
}
