// The single-instance test, in the platform's own implementation.
#pragma once

#ifdef _WIN32
#include "platform/win32/InstanceLock.h"
#else
#include "platform/posix/InstanceLock.h"
#endif
