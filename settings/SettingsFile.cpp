#include "settings/SettingsFile.h"

#include "platform/FileServices.h"
#include "platform/SettingsReader.h"

namespace scenesaver::settings {
namespace {

std::int16_t FlagValue(bool on) { return on ? std::int16_t{-1} : std::int16_t{0}; }

void PutInt16(std::uint8_t* out, std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  out[0] = static_cast<std::uint8_t>(bits & 0xFF);
  out[1] = static_cast<std::uint8_t>(bits >> 8);
}

}  // namespace

std::array<std::uint8_t, kSize> Encode(bool music_enabled, bool sound_enabled) {
  std::array<std::uint8_t, kSize> bytes{};
  PutInt16(bytes.data(), FlagValue(music_enabled));
  PutInt16(bytes.data() + 2, FlagValue(sound_enabled));
  return bytes;
}

std::optional<std::string> Write(const std::string& path, bool music_enabled, bool sound_enabled) {
  const base::Result<void> written =
      platform::ReplaceFileAtomically(path, Encode(music_enabled, sound_enabled));
  if (!written) return written.error();
  return std::nullopt;
}

std::string FileToRead(const SettingsPlaces& places) {
  if (!places.per_user.empty() && platform::SettingsFilePresent(places.per_user)) {
    return places.per_user;
  }
  return places.beside_program;
}

std::string FileToWrite(const SettingsPlaces& places) {
  if (places.per_user.empty()) return places.beside_program;
  if (platform::SettingsFilePresent(places.per_user) ||
      !platform::CanWriteBeside(places.beside_program)) {
    return places.per_user;
  }
  return places.beside_program;
}

std::optional<std::string> WriteToItsPlace(const SettingsPlaces& places, bool music_enabled,
                                           bool sound_enabled) {
  const std::string path = FileToWrite(places);
  if (!places.per_user.empty() && path == places.per_user) {
    if (const base::Result<void> folder = platform::MakeUserSettingsFolder(); !folder) {
      return folder.error();
    }
  }
  return Write(path, music_enabled, sound_enabled);
}

}  // namespace scenesaver::settings
