// Reading the four-byte settings file: two signed 16-bit little-endian values, the music flag
// first, then the scene-sound flag.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct StoredSettings {
  std::int16_t music = 0;
  std::int16_t sound = 0;
};

// A missing file gives both -1 (on). A file that exists but cannot be read gives both 0 (off).
// A value whose two bytes the file does not hold in full reads as 0 (off), so a file shorter
// than four bytes turns off what it does not spell out.
StoredSettings ReadSettingsFile(const std::string& path);

}  // namespace platform
