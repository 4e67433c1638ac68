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
// unreadable.
std::shared_ptr<const RegDocument> CurrentRegistry();

// Runs change on the file's current contents; when it succeeds and reports a
// change, the result replaces the file. A file with lines that could not be
// read is first kept aside under a new name.
LONG ChangeRegistry(const std::function<LONG(RegDocument &doc, bool &changed)> &change);

}  // namespace winport
