#include "app/notices.hpp"

#include "winport/notices.h"

namespace app {

void PrintNotices(FILE *out) {
  char text[4096];
  while (WinportTakeNotice(text, sizeof text)) fprintf(out, "pardune: %s\n", text);
}

}  // namespace app
