// The four-byte settings file: two signed 16-bit little-endian values, the music flag first,
// then the scene-sound flag. Reading it, and the places it may be kept: beside the program, or
// in the user's own configuration folder when the program's folder cannot be written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Result.h"

namespace scenesaver::platform {

struct StoredSettings {
  std::int16_t music = 0;
  std::int16_t sound = 0;
};

// A missing file gives both -1 (on). A file that exists but cannot be read gives both 0 (off).
// A value whose two bytes the file does not hold in full reads as 0 (off), so a file shorter
// than four bytes turns off what it does not spell out.
StoredSettings ReadSettingsFile(const std::string& path);

// True when `path` names a plain file: a settings file that is there to be read.
bool SettingsFilePresent(const std::string& path);

// The per-user settings file of the saver called `name` (its program's name without the
// extension): $XDG_CONFIG_HOME/scenesaver/NAME.set, else ~/.config/scenesaver/NAME.set. Empty
// where the platform keeps no per-user settings or no home folder is known.
std::string UserSettingsPath(const std::string& name);

// True when this user can make a new file in the folder holding `path`: false for a folder
// without write permission, on a read-only file system, or marked immutable.
bool CanWriteBeside(const std::string& path);

// Makes the folder of the per-user settings files when it is missing, private to the user; the
// reason when there is no such folder to be had.
base::Result<void> MakeUserSettingsFolder();

// The values of the first `got` bytes of a settings file (`got` at most 4).
inline StoredSettings DecodeSettings(const unsigned char* bytes, std::size_t got) {
  const auto at = [bytes](std::size_t i) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
  };
  StoredSettings settings;
  if (got >= 2) settings.music = at(0);
  if (got >= 4) settings.sound = at(2);
  return settings;
}

}  // namespace scenesaver::platform
