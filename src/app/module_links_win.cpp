// On Windows the module is loaded from its own folder, where the file
// manager keeps it; there is no folder of links.
#include "app/module_links.hpp"

namespace app {

bool ModuleLoadPath(const std::string &, const std::string &modulePath, std::string *loadPath,
                    std::string *) {
  *loadPath = modulePath;
  return true;
}

}  // namespace app
