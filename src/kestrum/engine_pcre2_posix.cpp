// The engine on PCRE2 (8-bit, no UTF), compiled to machine code where the
// platform allows and interpreted otherwise.
#include "kestrum/engine.hpp"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

#include "kestrum/arena.hpp"
#include "kestrum/char_tables.hpp"

namespace kestrum {

namespace {

constexpr uint32_t kMagic = 0x4B455245;  // "KERE"
// The interpreter's frames live in the arena: at most kHeapLimitKiB of them,
// and room for the old vector while it grows.
constexpr size_t kArenaSize = size_t{64} << 20;
constexpr uint32_t kHeapLimitKiB = 32 << 10;
constexpr size_t kJitStackSize = size_t{16} << 20;

struct Engine {
  uint32_t magic = kMagic;
  unsigned char tables[kCharTablesSize];
  Arena arena{kArenaSize};
  pcre2_general_context *general = nullptr;  // hands out arena memory only
  pcre2_match_context *matchContext = nullptr;
  pcre2_compile_context *compileContext = nullptr;
  pcre2_jit_stack *jitStack = nullptr;
  pcre2_match_data *matchData = nullptr;  // in the arena
  pcre2_code *code = nullptr;
  pcre2_code *anchoredCode = nullptr;
  uint32_t groups = 0;
  bool jit = false;
  bool noMoves = false;
  bool forceInterpreter = false;
  // Set while Parse runs: still set afterwards means the call was stopped,
  // and the handle waits for the next SetExpression.
  std::atomic<bool> busy{false};
};

Engine *FromHandle(EngineHandle handle) {
  auto *e = static_cast<Engine *>(handle);
  return e != nullptr && e->magic == kMagic ? e : nullptr;
}

void FreeCode(pcre2_code *code, pcre2_code *anchored) {
  pcre2_code_free(code);
  pcre2_code_free(anchored);
}

void DestroyEngine(Engine *e) {
  e->magic = 0;
  FreeCode(e->code, e->anchoredCode);
  pcre2_jit_stack_free(e->jitStack);
  pcre2_compile_context_free(e->compileContext);
  // The contexts and the match data go with the arena.
  delete e;
}

bool SplitExpression(const char *expression, const char **pattern, size_t *length,
                     uint32_t *options) {
  if (expression[0] != '/') return false;
  const char *close = std::strrchr(expression, '/');
  if (close == expression) return false;
  uint32_t o = 0;
  for (const char *f = close + 1; *f != '\0'; ++f) {
    switch (*f) {
      case 'i':
        o |= PCRE2_CASELESS;
        break;
      case 'm':
        o |= PCRE2_MULTILINE;
        break;
      case 's':
        o |= PCRE2_DOTALL;
        break;
      case 'x':
        o |= PCRE2_EXTENDED;
        break;
      case 'n':
        o |= PCRE2_NO_AUTO_CAPTURE;
        break;
      case 'U':
        o |= PCRE2_UNGREEDY;
        break;
      default:
        return false;
    }
  }
  *pattern = expression + 1;
  *length = static_cast<size_t>(close - expression - 1);
  *options = o;
  return true;
}

int ToOffset(PCRE2_SIZE offset) {
  return offset == PCRE2_UNSET ? -1 : static_cast<int>(offset);
}

}  // namespace

EngineHandle WINAPI EngineCreate() {
  auto *e = new (std::nothrow) Engine;
  if (e == nullptr) return nullptr;
  BuildOemCharTables(e->tables);
  if (e->arena.Valid()) {
    e->general = pcre2_general_context_create(Arena::Malloc, Arena::Release, &e->arena);
  }
  if (e->general != nullptr) e->matchContext = pcre2_match_context_create(e->general);
  e->compileContext = pcre2_compile_context_create(nullptr);
  if (e->matchContext == nullptr || e->compileContext == nullptr) {
    DestroyEngine(e);
    return nullptr;
  }
  e->arena.Keep();
  pcre2_set_character_tables(e->compileContext, e->tables);
  // The watchdog stops runaway matches; no limit of the engine's own cuts
  // them short before it.
  pcre2_set_match_limit(e->matchContext, UINT32_MAX);
  pcre2_set_depth_limit(e->matchContext, UINT32_MAX);
  pcre2_set_heap_limit(e->matchContext, kHeapLimitKiB);
  // Fully allocated up front: a match never grows it.
  e->jitStack = pcre2_jit_stack_create(kJitStackSize, kJitStackSize, nullptr);
  if (e->jitStack != nullptr) pcre2_jit_stack_assign(e->matchContext, nullptr, e->jitStack);
  return e;
}

int WINAPI EngineDestroy(EngineHandle *handle) {
  if (handle == nullptr) return 0;
  Engine *e = FromHandle(*handle);
  if (e == nullptr) return 0;
  DestroyEngine(e);
  *handle = nullptr;
  return 1;
}

int WINAPI EngineSetNoMoves(EngineHandle handle, int noMoves) {
  Engine *e = FromHandle(handle);
  if (e == nullptr) return 0;
  e->noMoves = noMoves != 0;
  return 1;
}

int WINAPI EngineSetExpression(EngineHandle handle, const char *expression, int, int) {
  Engine *e = FromHandle(handle);
  if (e == nullptr) return 0;
  // Whatever happens next, the old expression is gone. The pointers are
  // cleared before anything is freed, so a stop part-way leaks at worst.
  pcre2_code *oldCode = e->code, *oldAnchored = e->anchoredCode;
  e->code = nullptr;
  e->anchoredCode = nullptr;
  e->matchData = nullptr;
  e->groups = 0;
  e->jit = false;
  FreeCode(oldCode, oldAnchored);

  const char *pattern = nullptr;
  size_t length = 0;
  uint32_t options = 0;
  if (expression == nullptr || !SplitExpression(expression, &pattern, &length, &options)) return 0;
  options |= PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  auto *subject = reinterpret_cast<PCRE2_SPTR>(pattern);
  pcre2_code *code =
      pcre2_compile(subject, length, options, &error, &errorOffset, e->compileContext);
  if (code == nullptr) return 0;
  pcre2_code *anchored = pcre2_compile(subject, length, options | PCRE2_ANCHORED, &error,
                                       &errorOffset, e->compileContext);
  if (anchored == nullptr) {
    pcre2_code_free(code);
    return 0;
  }
  bool jit = e->jitStack != nullptr && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0 &&
             pcre2_jit_compile(anchored, PCRE2_JIT_COMPLETE) == 0;
  uint32_t groups = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);

  // A fresh arena: nothing a stopped match left there survives.
  e->arena.Reset();
  pcre2_match_data *data = pcre2_match_data_create(kMatchEntries, e->general);
  if (data == nullptr) {
    FreeCode(code, anchored);
    return 0;
  }
  e->matchData = data;
  e->groups = groups;
  e->jit = jit;
  e->code = code;
  e->anchoredCode = anchored;
  e->busy.store(false, std::memory_order_relaxed);
  return 1;
}

// Safe to stop at any point: no allocation outside the arena, no lock.
int WINAPI EngineParse(EngineHandle handle, const char *text, const char *from, const char *last,
                       MatchRecord *match, int, int) {
  Engine *e = FromHandle(handle);
  if (e == nullptr || e->code == nullptr || e->matchData == nullptr || text == nullptr ||
      from == nullptr || last == nullptr || match == nullptr) {
    return 0;
  }
  if (last < text - 1 || from < text || from > last + 1) return 0;
  if (e->busy.exchange(true, std::memory_order_relaxed)) return 0;

  auto *subject = reinterpret_cast<PCRE2_SPTR>(text);
  auto length = static_cast<PCRE2_SIZE>(last - text + 1);
  auto start = static_cast<PCRE2_SIZE>(from - text);
  pcre2_code *code = e->noMoves ? e->anchoredCode : e->code;
  uint32_t options = e->jit && !e->forceInterpreter ? 0 : PCRE2_NO_JIT;
  int rc = pcre2_match(code, subject, length, start, options, e->matchData, e->matchContext);
  if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
    rc = pcre2_match(code, subject, length, start, PCRE2_NO_JIT, e->matchData, e->matchContext);
  }
  if (rc < 0) {
    e->busy.store(false, std::memory_order_relaxed);
    return 0;
  }
  // rc 0: more groups than entries, all of them filled.
  const uint32_t entries = kMatchEntries;
  int count = static_cast<int>(rc == 0 || e->groups + 1 > entries ? entries : e->groups + 1);
  const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(e->matchData);
  for (int i = 0; i < kMatchEntries; ++i) {
    bool set = i < count && (rc == 0 || i < rc);
    match->Start[i] = set ? ToOffset(ovector[2 * i]) : -1;
    match->End[i] = set ? ToOffset(ovector[2 * i + 1]) : -1;
  }
  match->Count = count;
  e->busy.store(false, std::memory_order_relaxed);
  return 1;
}

bool EngineUsesJit(EngineHandle handle) {
  Engine *e = FromHandle(handle);
  return e != nullptr && e->jit;
}

void EngineForceInterpreter(EngineHandle handle, bool on) {
  if (Engine *e = FromHandle(handle)) e->forceInterpreter = on;
}

}  // namespace kestrum
