// The headless stand-in for the music device and the scene-sound channel: it answers the
// command strings against the virtual clock and logs every call as a row of audio.csv.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio/MciInterpreter.h"
#include "platform/headless/HeadlessMusic.h"

namespace scenesaver::platform {

struct AudioCall {
  std::uint32_t tick_ms = 0;
  std::string call;      // "mci" or "PlaySound"
  std::string argument;  // the command string; for PlaySound the flags in hex, a blank, the name
  bool operator==(const AudioCall&) const = default;
};

class HeadlessAudio {
 public:
  explicit HeadlessAudio(std::function<std::uint32_t()> clock);
  HeadlessAudio(const HeadlessAudio&) = delete;
  HeadlessAudio& operator=(const HeadlessAudio&) = delete;

  // Answers like the desktop music device: "playing" until the file's playing time has passed
  // on the clock, then "stopped"; an empty reply when the command fails.
  void MciSendString(std::string_view command, std::string& reply);
  // Only logged: argument "0x20003 /tmp/x/a.wav", or "0x40" for a purge.
  void PlaySound(std::string_view name, std::uint32_t flags);
  const std::vector<AudioCall>& Calls() const { return calls_; }

 private:
  std::function<std::uint32_t()> clock_;
  std::vector<AudioCall> calls_;
  HeadlessMusic music_;
  MciInterpreter mci_;
};

// Writes the calls as CSV with the header "tick_ms,call,argument"; fields holding a comma, a
// double quote or a line break are quoted, their quotes doubled.
void WriteAudioCsv(std::ostream& out, const std::vector<AudioCall>& calls);
// The same into a file; false when it cannot be written.
bool WriteAudioCsv(const std::string& path, const std::vector<AudioCall>& calls);

}  // namespace scenesaver::platform
