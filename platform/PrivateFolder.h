// The per-user folder that holds the show's temporary folders and the single-instance lock, in the
// platform's own implementation.
#pragma once

#ifdef _WIN32
#include "platform/win32/PrivateFolder.h"
#else
#include "platform/posix/PrivateFolder.h"
#endif
