// The per-user folder of links through which pardune loads an installed
// module: the module's own folder, where its hang log goes, is then the
// user's, and the installed folder is never written.
#pragma once

#include <string>

namespace app {

// $XDG_STATE_HOME/pardune (an absolute XDG_STATE_HOME only), else
// ~/.local/state/pardune.
bool UserModuleFolder(std::string *folder, std::string *error);

// The folder is the user's, nobody else may write in it, and the folders
// above are the user's or root's and let nobody else rename what they hold.
bool FolderIsTheUsersAlone(const std::string &dir);

// An installed module (not beside the program), or one whose folder is not
// the user's alone or cannot be written, is loaded through the per-user
// folder: its hang log never goes where another user could plant a link.
bool LoadsThroughLinks(const std::string &programDir, const std::string &modulePath);

// The module runs as the user: it must belong to the user or to root, and
// not be writable by every user.
bool CheckModuleFile(const std::string &modulePath, std::string *error);

// Makes `folder` (mode 0700) and fills it with a link to every file beside
// `modulePath` but the hang log; links that point elsewhere are replaced and
// links whose file is gone removed. Refuses a folder, or a folder above it,
// that another user could change, and an entry that is not a link where a
// link belongs. `linkedModule` is the module's path through the folder.
bool LinkModuleFolder(const std::string &modulePath, const std::string &folder,
                      std::string *linkedModule, std::string *error);

// The path to load the module from, once CheckModuleFile passed:
// `modulePath` itself, or its link in the per-user folder, made ready.
bool ModuleLoadPath(const std::string &programDir, const std::string &modulePath,
                    std::string *loadPath, std::string *error);

}  // namespace app
