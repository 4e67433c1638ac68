// The engine on PCRE2 (8-bit, no UTF), compiled to machine code where the
// platform allows and interpreted otherwise.
//
// SetExpression and Parse may be stopped by force anywhere, so they touch
// nothing but the handle's arena: no heap, no lock. SetExpression compiles
// the pattern into the arena, for the mode last set only. SetNoMoves, which
// follows it on the file manager's thread, moves the copy the mode needs to
// the heap and compiles it to machine code there; that thread also frees the
// copies of earlier expressions, since PCRE2's memory for machine code has a
// lock of its own. Until then Parse interprets the arena's copy.
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
constexpr uint32_t kOptions = PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;  // besides the flags

// A copy of the expression on the heap, made and freed on the file
// manager's thread.
struct HeapCopy {
  pcre2_code *code = nullptr;
  uint32_t expression = 0;  // the expression it was made for
  bool jit = false;
};

struct Engine {
  uint32_t magic = kMagic;
  unsigned char tables[kCharTablesSize];
  Arena arena{kArenaSize};
  // Hand out arena memory only.
  pcre2_general_context *general = nullptr;
  pcre2_match_context *matchContext = nullptr;        // machine code on the engine's stack
  pcre2_match_context *threadStackContext = nullptr;  // on 32 KiB of the thread's
  pcre2_compile_context *compileContext = nullptr;
  // The file manager's thread only: the heap.
  pcre2_general_context *heapGeneral = nullptr;
  pcre2_compile_context *heapCompileContext = nullptr;
  pcre2_jit_stack *jitStack = nullptr;
  HeapCopy heap[2];  // unanchored, anchored

  // The current expression, all in the arena. `ready` is cleared first and
  // set last, so a stopped SetExpression leaves none.
  bool ready = false;
  uint32_t expression = 0;  // counts the expressions set
  const char *pattern = nullptr;
  size_t patternLength = 0;
  uint32_t options = 0;
  pcre2_code *arenaCode = nullptr;  // for arenaAnchored
  bool arenaAnchored = false;
  pcre2_match_data *matchData = nullptr;
  uint32_t groups = 0;

  bool noMoves = false;
  bool forceInterpreter = false;
  // The expression needed more than the thread's stack: its machine code
  // runs on the engine's own from then on.
  bool deepExpression = false;
  // Set while Parse runs: still set afterwards means the call was stopped,
  // and the handle waits for the next SetExpression.
  std::atomic<bool> busy{false};
};

Engine *FromHandle(EngineHandle handle) {
  auto *e = static_cast<Engine *>(handle);
  return e != nullptr && e->magic == kMagic ? e : nullptr;
}

void FreeHeapCopy(HeapCopy *copy) {
  pcre2_code_free(copy->code);
  *copy = HeapCopy{};
}

void DestroyEngine(Engine *e) {
  e->magic = 0;
  for (HeapCopy &copy : e->heap) FreeHeapCopy(&copy);
  pcre2_jit_stack_free(e->jitStack);
  pcre2_compile_context_free(e->heapCompileContext);
  pcre2_general_context_free(e->heapGeneral);
  // The rest goes with the arena.
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

pcre2_code *Compile(const Engine *e, bool anchored, pcre2_compile_context *context) {
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(e->pattern), e->patternLength,
                       e->options | (anchored ? PCRE2_ANCHORED : 0), &error, &errorOffset, context);
}

// The arena's copy moved to the heap: the same compiled pattern, with the
// heap's allocator.
pcre2_code *ToHeap(const Engine *e, const pcre2_code *code) {
  uint8_t *bytes = nullptr;
  PCRE2_SIZE size = 0;
  if (pcre2_serialize_encode(&code, 1, &bytes, &size, e->heapGeneral) != 1) return nullptr;
  pcre2_code *copy = nullptr;
  if (pcre2_serialize_decode(&copy, 1, bytes, e->heapGeneral) != 1) copy = nullptr;
  pcre2_serialize_free(bytes);
  return copy;
}

// Makes the heap copy that the mode needs, compiled to machine code, and
// frees those of earlier expressions. The file manager's thread only.
bool PrepareHeapCopy(Engine *e) {
  for (HeapCopy &copy : e->heap) {
    if (copy.code != nullptr && copy.expression != e->expression) FreeHeapCopy(&copy);
  }
  // After a stopped call the arena may be half written: nothing is read
  // from it until the next SetExpression.
  if (!e->ready || e->busy.load(std::memory_order_relaxed)) return true;
  HeapCopy &copy = e->heap[e->noMoves ? 1 : 0];
  if (copy.code != nullptr) return true;
  pcre2_code *code = nullptr;
  if (e->arenaCode != nullptr && e->arenaAnchored == e->noMoves) code = ToHeap(e, e->arenaCode);
  if (code == nullptr) code = Compile(e, e->noMoves, e->heapCompileContext);
  if (code == nullptr) return false;
  copy.code = code;
  copy.expression = e->expression;
  copy.jit = e->jitStack != nullptr && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
  return true;
}

// The expression the handle holds, ready, and left by no stopped call.
bool Holds(const Engine *e, const char *pattern, size_t length, uint32_t options) {
  return e->ready && !e->busy.load(std::memory_order_relaxed) && e->patternLength == length &&
         e->options == (options | kOptions) && std::memcmp(e->pattern, pattern, length) == 0;
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
  if (e->general != nullptr) {
    e->matchContext = pcre2_match_context_create(e->general);
    e->threadStackContext = pcre2_match_context_create(e->general);
    e->compileContext = pcre2_compile_context_create(e->general);
  }
  e->heapGeneral = pcre2_general_context_create(nullptr, nullptr, nullptr);
  if (e->heapGeneral != nullptr) e->heapCompileContext = pcre2_compile_context_create(nullptr);
  if (e->matchContext == nullptr || e->threadStackContext == nullptr ||
      e->compileContext == nullptr || e->heapCompileContext == nullptr) {
    DestroyEngine(e);
    return nullptr;
  }
  e->arena.Keep();
  pcre2_set_character_tables(e->compileContext, e->tables);
  pcre2_set_character_tables(e->heapCompileContext, e->tables);
  // The watchdog stops runaway matches; no limit of the engine's own cuts
  // them short before it.
  pcre2_set_match_limit(e->matchContext, UINT32_MAX);
  pcre2_set_depth_limit(e->matchContext, UINT32_MAX);
  pcre2_set_heap_limit(e->matchContext, kHeapLimitKiB);
  pcre2_set_match_limit(e->threadStackContext, UINT32_MAX);  // its only limit machine code heeds
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
  return PrepareHeapCopy(e) ? 1 : 0;
}

// Safe to stop at any point: arena memory only, no lock.
int WINAPI EngineSetExpression(EngineHandle handle, const char *expression, int, int) {
  Engine *e = FromHandle(handle);
  if (e == nullptr) return 0;
  const char *pattern = nullptr;
  size_t length = 0;
  uint32_t options = 0;
  const bool valid =
      expression != nullptr && SplitExpression(expression, &pattern, &length, &options);
  // The same expression again (the text was edited, not the expression):
  // its compiled copies and machine code stand.
  if (valid && Holds(e, pattern, length, options)) return 1;
  // Whatever happens next, the old expression is gone; its heap copies are
  // freed by the next SetNoMoves.
  e->ready = false;
  e->deepExpression = false;
  e->expression++;
  e->pattern = nullptr;
  e->arenaCode = nullptr;
  e->matchData = nullptr;
  e->groups = 0;
  // A fresh arena: nothing a stopped call left there survives.
  e->arena.Reset();
  e->busy.store(false, std::memory_order_relaxed);
  if (!valid) return 0;
  char *kept = static_cast<char *>(e->arena.Allocate(length + 1));
  if (kept == nullptr) return 0;
  std::memcpy(kept, pattern, length);
  kept[length] = '\0';
  e->pattern = kept;
  e->patternLength = length;
  e->options = options | kOptions;
  pcre2_code *code = Compile(e, e->noMoves, e->compileContext);
  if (code == nullptr) return 0;
  uint32_t groups = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);
  pcre2_match_data *data = pcre2_match_data_create(kMatchEntries, e->general);
  if (data == nullptr) return 0;
  e->arenaCode = code;
  e->arenaAnchored = e->noMoves;
  e->matchData = data;
  e->groups = groups;
  e->ready = true;
  return 1;
}

// Safe to stop at any point: no allocation outside the arena, no lock.
int WINAPI EngineParse(EngineHandle handle, const char *text, const char *from, const char *last,
                       MatchRecord *match, int, int) {
  Engine *e = FromHandle(handle);
  if (e == nullptr || !e->ready || text == nullptr || from == nullptr || last == nullptr ||
      match == nullptr) {
    return 0;
  }
  if (last < text - 1 || from < text || from > last + 1) return 0;
  const HeapCopy &copy = e->heap[e->noMoves ? 1 : 0];
  pcre2_code *code = nullptr;
  bool jit = false;
  if (copy.code != nullptr && copy.expression == e->expression) {
    code = copy.code;
    jit = copy.jit && !e->forceInterpreter;
  } else if (e->arenaAnchored == e->noMoves) {
    code = e->arenaCode;
  }
  if (code == nullptr) return 0;
  if (e->busy.exchange(true, std::memory_order_relaxed)) return 0;

  auto *subject = reinterpret_cast<PCRE2_SPTR>(text);
  auto length = static_cast<PCRE2_SIZE>(last - text + 1);
  auto start = static_cast<PCRE2_SIZE>(from - text);
  uint32_t options = jit ? 0 : PCRE2_NO_JIT;
  // Machine code runs on the thread's stack first, as a bare pcre2_match
  // does: on the engine's mapped stack, how fast a search runs depends on
  // where the worker's stack happens to sit against it (up to a tenth). An
  // expression that needs more goes on to the engine's stack, and one that
  // needs still more to the interpreter.
  int rc = PCRE2_ERROR_JIT_STACKLIMIT;
  if (jit && !e->deepExpression) {
    rc = pcre2_match(code, subject, length, start, 0, e->matchData, e->threadStackContext);
    e->deepExpression = rc == PCRE2_ERROR_JIT_STACKLIMIT;
  }
  if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
    rc = pcre2_match(code, subject, length, start, options, e->matchData, e->matchContext);
  }
  if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
    rc = pcre2_match(code, subject, length, start, PCRE2_NO_JIT, e->matchData, e->matchContext);
  }
  // An anchored search matches at its start or not at all. The machine code
  // of PCRE2 10.42 forgets the anchor after (*SKIP) and searches on from
  // where it points; the interpreter does not, and it is right.
  if (rc >= 0 && e->noMoves && pcre2_get_startchar(e->matchData) != start) rc = PCRE2_ERROR_NOMATCH;
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
  if (e == nullptr || !e->ready) return false;
  const HeapCopy &copy = e->heap[e->noMoves ? 1 : 0];
  return copy.code != nullptr && copy.expression == e->expression && copy.jit;
}

void EngineForceInterpreter(EngineHandle handle, bool on) {
  if (Engine *e = FromHandle(handle)) e->forceInterpreter = on;
}

}  // namespace kestrum
