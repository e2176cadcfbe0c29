// Reading the four-byte settings file: two signed 16-bit little-endian values, the music flag
// first, then the scene-sound flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scenesaver::platform {

struct StoredSettings {
  std::int16_t music = 0;
  std::int16_t sound = 0;
};

// A missing file gives both -1 (on). A file that exists but cannot be read gives both 0 (off).
// A value whose two bytes the file does not hold in full reads as 0 (off), so a file shorter
// than four bytes turns off what it does not spell out.
StoredSettings ReadSettingsFile(const std::string& path);

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
