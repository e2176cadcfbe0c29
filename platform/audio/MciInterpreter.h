// A music device driven by MCI-style command strings ("open", "play", "status ... mode",
// "seek ... to start", "stop", "close") on top of one MusicPlayer. One device can be open at a
// time, under its alias. Commands that are unknown, malformed or address a device that is not
// open fail quietly: the reply is left empty.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/audio/MusicPlayer.h"

namespace scenesaver::platform {

// The reply buffer holds 256 characters including the terminator.
inline constexpr std::size_t kMciReplyMax = 255;

class MciInterpreter {
 public:
  explicit MciInterpreter(MusicPlayer& player) : player_(player) {}
  // Returns true when the command was carried out.
  bool Send(std::string_view command, std::string& reply);
  bool IsOpen() const { return alias_.has_value(); }

 private:
  enum class Position { kAtStart, kPlaying, kPaused, kAtEnd };
  Position Current();

  MusicPlayer& player_;
  std::optional<std::string> alias_;
  Position position_ = Position::kAtStart;
};

}  // namespace scenesaver::platform
