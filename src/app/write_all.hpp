// Writing a whole buffer to a file descriptor.
#pragma once

#include <cstddef>

namespace app {

// Writes every byte, retrying after interruptions; false when the descriptor
// fails. Async-signal-safe: the terminal guard calls it from its handlers.
bool WriteAll(int fd, const char *bytes, size_t length);

}  // namespace app
