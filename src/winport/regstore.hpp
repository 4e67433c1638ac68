// Where the registry file lives, how it is read, and how a change reaches it:
// under a lock, on a fresh read, written to a temporary file and renamed.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "regfile.hpp"
#include "winport/types.h"

namespace winport {

// "" when no place for the file can be found.
std::string RegistryPath();

// The registry as the file holds it now; empty when the file is missing or
// unreadable, too large, or damaged where it cannot be kept aside (a link, or
// another user's file), which is then left alone and named in a notice.
std::shared_ptr<const RegDocument> CurrentRegistry();

// Runs change on the file's current contents; when it succeeds and reports a
// change, the result replaces the file. Only a regular file of the user's
// own is replaced, or one that links of the user's own lead to; a file with
// lines that could not be read is first kept aside under a new name, and
// never through a link. A change that cannot be saved leaves a notice.
LONG ChangeRegistry(const std::function<LONG(RegDocument &doc, bool &changed)> &change);

}  // namespace winport
