// Until the tester dialog exists: a box that says the module is in place.
#pragma once

#include <far170/plugin.hpp>

namespace app {

// Shows the module's name and the version gate's verdict (Run's result)
// in a message box that any key closes.
void ShowStartupBox(const PluginStartupInfo &info, const char *moduleName, int runResult);

}  // namespace app
