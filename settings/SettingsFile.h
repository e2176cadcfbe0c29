// The four-byte settings file: the music flag then the sound flag, each a signed 16-bit
// little-endian value (-1 on, 0 off), with no header; and which of its two places is used.
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

// The two places of a saver's settings file: beside the program (the saver's own), and the
// user's configuration folder (empty when there is none), for a user who cannot write beside
// the program. The per-user file wins whenever it exists, so that what the dialog wrote is
// what the show reads.
struct SettingsPlaces {
  std::string beside_program;
  std::string per_user;
};

// The file the show reads: the per-user file when it exists, else the one beside the program.
std::string FileToRead(const SettingsPlaces& places);

// The file the dialog's OK writes: the per-user file when it exists or when the folder beside
// the program cannot be written; else the one beside the program.
std::string FileToWrite(const SettingsPlaces& places);

// Writes the two flags to FileToWrite, making the per-user folder first when that is the place.
std::optional<std::string> WriteToItsPlace(const SettingsPlaces& places, bool music_enabled,
                                           bool sound_enabled);

}  // namespace scenesaver::settings
