#include "farhost/failure.hpp"

#include <cstdio>
#include <exception>
#include <new>

#include "farhost/backend.hpp"

namespace farhost {
namespace {

// A fixed buffer: out of memory, nothing more can be allocated.
char failure[256];
bool failed = false;

void Note(const char *what) {
  if (!failed) std::snprintf(failure, sizeof failure, "%s", what);
  failed = true;
  EndInput();
}

}  // namespace

void NoteFailure() {
  try {
    throw;
  } catch (const std::bad_alloc &) {
    Note("out of memory");
  } catch (const std::exception &e) {
    Note(e.what());
  } catch (...) {
    Note("an unknown failure");
  }
}

const char *Failure() {
  return failed ? failure : nullptr;
}

}  // namespace farhost
