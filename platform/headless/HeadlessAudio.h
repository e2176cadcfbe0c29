// The headless stand-in for the music device and the scene-sound channel: it answers the
// command strings against the virtual clock and logs every call as a row of audio.csv.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct AudioCall {
  std::uint32_t tick_ms = 0;
  std::string call;      // "mci" or "PlaySound"
  std::string argument;  // the command string, or the sound name and flags
};

class HeadlessAudio {
 public:
  explicit HeadlessAudio(std::function<std::uint32_t()> clock);
  void MciSendString(std::string_view command, std::string& reply);
  void PlaySound(std::string_view name, std::uint32_t flags);
  const std::vector<AudioCall>& Calls() const { return calls_; }

 private:
  std::function<std::uint32_t()> clock_;
  std::vector<AudioCall> calls_;
};

}  // namespace platform
