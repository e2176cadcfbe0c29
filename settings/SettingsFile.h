// The four-byte settings file: the music flag then the sound flag, each a signed 16-bit
// little-endian value (-1 on, 0 off), with no header.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace scenesaver::settings {

inline constexpr std::size_t kSize = 4;

// The file's bytes for the two flags; any nonzero flag is written as -1.
std::array<std::uint8_t, kSize> Encode(bool music_enabled, bool sound_enabled);

// Replaces the file at `path` with the two flags. The bytes go to a new file in the same folder
// first, which is then renamed over the old one, so a failure at any point leaves the old file as
// it was. Returns nullopt on success, otherwise a description naming the file and the reason.
std::optional<std::string> Write(const std::string& path, bool music_enabled, bool sound_enabled);

}  // namespace scenesaver::settings
