// A music player on the virtual clock: it plays nothing, but knows how long each file plays,
// so that its music ends when real music would.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/audio/MusicPlayer.h"

namespace scenesaver::platform {

class HeadlessMusic final : public MusicPlayer {
 public:
  explicit HeadlessMusic(std::function<std::uint32_t()> clock) : clock_(std::move(clock)) {}
  // Opens when the file exists and has a playable extension; a MIDI or WAVE file must also
  // be readable. MP3 and OGG files are taken as longer than any show.
  bool Open(const std::string& path) override;
  void Close() override;
  void PlayFromStart() override;
  void Pause() override;
  void Resume() override;
  void Halt() override;
  bool IsPlaying() override;
  // The opened file's playing time; nullopt when unknown (it never ends).
  std::optional<std::uint32_t> Duration() const { return duration_ms_; }

 private:
  std::uint32_t Elapsed() const;

  std::function<std::uint32_t()> clock_;
  bool open_ = false;
  std::optional<std::uint32_t> duration_ms_;
  bool running_ = false;
  std::uint32_t started_tick_ = 0;  // clock reading when the running stretch began
  std::uint64_t played_ms_ = 0;     // time played before the running stretch
};

}  // namespace scenesaver::platform
