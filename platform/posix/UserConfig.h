// The per-user configuration folder, $XDG_CONFIG_HOME/scenesaver/ (else ~/.config/scenesaver/),
// and the "ScreenSaveUsePassword" value kept there: a file of that name holding one decimal
// number; any nonzero value means the show asks for the password before it ends. Also the
// "scale" setting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/PresentScale.h"
#include "platform/posix/OwnedFolder.h"

namespace scenesaver::platform {

// The folder's path, ending with '/'; empty when neither XDG_CONFIG_HOME nor a home is known.
std::string ConfigFolderPath();

// Opens the folder for writing, creating it (mode 0700) when missing.
std::optional<OwnedFolder> OpenConfigFolder();

// The value, or nullopt when it cannot be read: no file, not a plain file of ours, writable by
// group or others, or not a single decimal number that fits 32 bits.
std::optional<std::uint32_t> ReadScreenSaveUsePassword();

bool WriteScreenSaveUsePassword(std::uint32_t value);

// How the show is scaled to the screen: the file "scale" there, holding auto, 1 or fill. A
// missing file means auto; anything unreadable too, with `problem` saying why.
ScaleMode ReadScaleSetting(std::string* problem);

}  // namespace scenesaver::platform
