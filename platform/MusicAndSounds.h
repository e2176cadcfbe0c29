// The show's music (MCI command strings) and its scene sounds (PlaySound).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scenesaver::platform {

// Flags of PlaySound, with the values the show passes.
inline constexpr std::uint32_t kSndAsync = 0x1;
inline constexpr std::uint32_t kSndNoDefault = 0x2;
inline constexpr std::uint32_t kSndPurge = 0x40;
inline constexpr std::uint32_t kSndFilename = 0x20000;

class MusicAndSounds {
 public:
  virtual ~MusicAndSounds() = default;
  // mciSendString: sends one command string; the reply (up to 255 characters) lands in `reply`.
  virtual void MciSendString(std::string_view command, std::string& reply) = 0;
  // PlaySound: `name` empty with kSndPurge stops the scene sound.
  virtual void PlaySound(std::string_view name, std::uint32_t flags) = 0;
};

}  // namespace scenesaver::platform
