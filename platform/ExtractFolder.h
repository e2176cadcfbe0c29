// The show's private temporary folder, in the platform's own implementation.
#pragma once

#ifdef _WIN32
#include "platform/win32/ExtractFolder.h"
#else
#include "platform/posix/ExtractFolder.h"
#endif
