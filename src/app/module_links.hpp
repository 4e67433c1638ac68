// The per-user folder of links through which pardune loads an installed
// module: the module's own folder, where its hang log goes, is then the
// user's, and the installed folder is never written.
#pragma once

#include <string>

namespace app {

// $XDG_STATE_HOME/pardune (an absolute XDG_STATE_HOME only), else
// ~/.local/state/pardune.
bool UserModuleFolder(std::string *folder, std::string *error);

// An installed module (not beside the program), or one whose folder cannot
// be written, is loaded through the per-user folder.
bool LoadsThroughLinks(const std::string &programDir, const std::string &modulePath);

// Makes `folder` (mode 0700) and fills it with a link to every file beside
// `modulePath` but the hang log; links that point elsewhere are replaced and
// links whose file is gone removed. Refuses a folder, or a folder above it,
// that another user could change, and an entry that is not a link where a
// link belongs. `linkedModule` is the module's path through the folder.
bool LinkModuleFolder(const std::string &modulePath, const std::string &folder,
                      std::string *linkedModule, std::string *error);

// The path to load the module from: `modulePath` itself, or its link in the
// per-user folder, made ready.
bool ModuleLoadPath(const std::string &programDir, const std::string &modulePath,
                    std::string *loadPath, std::string *error);

}  // namespace app
