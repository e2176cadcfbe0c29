// The settings form's window on Win32: a fixed-frame modal dialog with the frames "BGM" and
// "Sound", the option buttons Option1(0..3) and the buttons Command1(0) "OK" (the default button,
// Enter) and Command1(1) "キャンセル" (Esc), placed in pixels from the form's twips.
#pragma once

#include "base/Result.h"
#include "platform/StartupHost.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

// Control ids: Command1(0) and (1) are the dialog manager's IDOK and IDCANCEL, so that Enter and
// Esc press them; Option1(i) is kOption1Id + i.
inline constexpr int kOption1Id = 1000;
inline constexpr int kFrameId = 1100;

// Shows `form` (already loaded) modally over `owner` (nullptr: no owner) until Command1_Click
// returns true or the user closes the window; closing calls no handler. Exceptions from the
// form's handlers end the dialog and are rethrown here, once the system's frames are left.
// The reason, with the system's word for it, when the dialog cannot be created.
base::Result<void> ShowSettingsDialog(SettingsForm& form, HWND owner = nullptr);

}  // namespace scenesaver::platform::win32
