// Background music through MCI-style command strings, and the one scene-sound channel, on
// SDL2_mixer. Opened lazily; with no audio device every call is a quiet no-op.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace scenesaver::platform {

class SdlAudio {
 public:
  SdlAudio();
  ~SdlAudio();
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;
  void MciSendString(std::string_view command, std::string& reply);
  void PlaySound(std::string_view name, std::uint32_t flags);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace scenesaver::platform
