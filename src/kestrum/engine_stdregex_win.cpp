// The engine of the Windows test host, on std::regex (ECMAScript). On Windows
// proper the real Kestrum brings its own engine; this one keeps the slots'
// contract for the tests that run under wine. It differs from the PCRE2 engine:
// flags i, m, s and x only (n and U are refused); ECMAScript syntax (no \K, no
// look-behind, no possessive or atomic groups); caseless matching and \w know
// ASCII letters only; and it allocates while it matches, so a call stopped by
// force may leave the heap locked.
//
// A runaway search that is safe to stop is asked for by a verb at the start
// of the pattern: after (*SPIN) Parse spins until it is stopped, after
// (*FAULT) it reads address zero. Neither allocates nor takes a lock, so the
// watchdog's TerminateThread leaves the process sound. The rest of the
// pattern is compiled as usual.
#include <cstdint>
#include <cstring>
#include <new>
#include <regex>
#include <string>

#include "kestrum/engine.hpp"

namespace kestrum {

namespace {

constexpr uint32_t kMagic = 0x4B455258;  // "KERX"

enum class Runaway { None, Spin, Fault };

struct Engine {
  uint32_t magic = kMagic;
  std::regex regex;
  bool ready = false;
  bool noMoves = false;
  Runaway runaway = Runaway::None;
};

// The verb at the start of a pattern, which is then skipped.
Runaway TakeVerb(const char **pattern, const char *end) {
  struct Verb {
    const char *text;
    Runaway runaway;
  };
  for (const Verb &verb : {Verb{"(*SPIN)", Runaway::Spin}, Verb{"(*FAULT)", Runaway::Fault}}) {
    const size_t n = std::strlen(verb.text);
    if (size_t(end - *pattern) >= n && std::strncmp(*pattern, verb.text, n) == 0) {
      *pattern += n;
      return verb.runaway;
    }
  }
  return Runaway::None;
}

int RunAway(Runaway runaway) {
  if (runaway == Runaway::Fault) {
    volatile int *volatile nowhere = nullptr;
    return *nowhere;
  }
  for (volatile unsigned turns = 0;; turns = turns + 1) {
  }
}

Engine *FromHandle(EngineHandle handle) {
  auto *e = static_cast<Engine *>(handle);
  return e != nullptr && e->magic == kMagic ? e : nullptr;
}

// x: white space and # comments outside classes go; s: a dot outside classes
// matches any character.
std::string Translate(const std::string &pattern, bool extended, bool dotAll) {
  std::string out;
  bool inClass = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      out += c;
      out += pattern[++i];
      continue;
    }
    if (inClass) {
      if (c == ']') inClass = false;
      out += c;
      continue;
    }
    if (extended && std::strchr(" \t\n\r\f\v", c) != nullptr) continue;
    if (extended && c == '#') {
      while (i + 1 < pattern.size() && pattern[i + 1] != '\n') ++i;
      continue;
    }
    if (c == '[') {
      inClass = true;
      out += c;
      if (i + 1 < pattern.size() && pattern[i + 1] == '^') out += pattern[++i];
      if (i + 1 < pattern.size() && pattern[i + 1] == ']') out += pattern[++i];
      continue;
    }
    if (dotAll && c == '.') {
      out += "[\\s\\S]";
      continue;
    }
    out += c;
  }
  return out;
}

}  // namespace

EngineHandle WINAPI EngineCreate() {
  return new (std::nothrow) Engine;
}

int WINAPI EngineDestroy(EngineHandle *handle) {
  if (handle == nullptr) return 0;
  Engine *e = FromHandle(*handle);
  if (e == nullptr) return 0;
  e->magic = 0;
  delete e;
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
  e->ready = false;
  e->runaway = Runaway::None;
  if (expression == nullptr || expression[0] != '/') return 0;
  const char *close = std::strrchr(expression, '/');
  if (close == expression) return 0;
  auto options = std::regex_constants::ECMAScript;
  bool extended = false, dotAll = false;
  for (const char *f = close + 1; *f != '\0'; ++f) {
    switch (*f) {
      case 'i':
        options |= std::regex_constants::icase;
        break;
      case 'm':
        options |= std::regex_constants::multiline;
        break;
      case 's':
        dotAll = true;
        break;
      case 'x':
        extended = true;
        break;
      default:
        return 0;
    }
  }
  const char *start = expression + 1;
  e->runaway = TakeVerb(&start, close);
  try {
    std::string pattern(start, close);
    e->regex = std::regex(Translate(pattern, extended, dotAll), options);
  } catch (...) {
    return 0;
  }
  e->ready = true;
  return 1;
}

int WINAPI EngineParse(EngineHandle handle, const char *text, const char *from, const char *last,
                       MatchRecord *match, int, int) {
  Engine *e = FromHandle(handle);
  if (e == nullptr || !e->ready || text == nullptr || from == nullptr || last == nullptr ||
      match == nullptr) {
    return 0;
  }
  if (last < text - 1 || from < text || from > last + 1) return 0;
  if (e->runaway != Runaway::None) return RunAway(e->runaway);
  auto flags = std::regex_constants::match_default;
  if (from > text) flags |= std::regex_constants::match_prev_avail;
  if (e->noMoves) flags |= std::regex_constants::match_continuous;
  try {
    std::cmatch found;
    if (!std::regex_search(from, last + 1, found, e->regex, flags)) return 0;
    int count = found.size() < kMatchEntries ? static_cast<int>(found.size()) : kMatchEntries;
    for (int i = 0; i < kMatchEntries; ++i) {
      bool set = i < count && found[i].matched;
      match->Start[i] = set ? static_cast<int>(found[i].first - text) : -1;
      match->End[i] = set ? static_cast<int>(found[i].second - text) : -1;
    }
    match->Count = count;
    return 1;
  } catch (...) {
    return 0;
  }
}

bool EngineUsesJit(EngineHandle) {
  return false;
}

void EngineForceInterpreter(EngineHandle, bool) {}

}  // namespace kestrum
