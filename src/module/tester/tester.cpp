// The tester dialog is not built yet: Run's hand-over point returns at once.
#include "tester/tester.hpp"

int RunTester() {
  return 1;
}
