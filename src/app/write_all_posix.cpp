#include "app/write_all.hpp"

#include <unistd.h>

#include <cerrno>

namespace app {

bool WriteAll(int fd, const char *bytes, size_t length) {
  while (length > 0) {
    ssize_t n = write(fd, bytes, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    length -= size_t(n);
  }
  return true;
}

}  // namespace app
