// What could not be done while the tester ran (settings not saved, a
// settings file kept aside or left alone, a hang log not written), said on
// standard error once the terminal is back, one line each.
#pragma once

#include <cstdio>

namespace app {

void PrintNotices(FILE *out);

}  // namespace app
