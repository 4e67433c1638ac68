// winport: the subset of the Windows API that the module and the hosts use,
// declared with Windows' names and types and implemented on POSIX.
#pragma once

#include "winport/clipboard.h"
#include "winport/codepage.h"
#include "winport/console.h"
#include "winport/faultguard.h"
#include "winport/module.h"
#include "winport/notices.h"
#include "winport/registry.h"
#include "winport/sync.h"
#include "winport/threads.h"
#include "winport/types.h"
