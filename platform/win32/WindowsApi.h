// The Windows API headers, without the name-mapping macros that would rename the host
// interface's own members (MessageBox, PlaySound, DeleteFile) in the files that include both.
// Code here calls the "A" or "W" function it means explicitly.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// mmsystem.h needs the types windows.h defines.
#include <mmsystem.h>

#undef MessageBox
#undef PlaySound
#undef DeleteFile
