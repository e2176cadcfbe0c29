// The show's sound track rebuilt from its logged sound calls on the virtual clock: the music
// device driven by the same command strings (so it starts, pauses and restarts where the show
// made it), and the one scene-sound channel, where a new sound cuts the one still playing.
// Mixed to 48 kHz stereo, sample-accurate: a call at tick t acts from sample t * 48.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/HeadlessAudio.h"

namespace scenesaver::scenepack {

inline constexpr int kMixRate = 48000;
inline constexpr int kMixChannels = 2;

// The first sample frame at or after `tick_ms`.
constexpr std::uint64_t SampleFrameAt(std::uint64_t tick_ms) { return tick_ms * (kMixRate / 1000); }

// Interleaved stereo samples at the mix rate.
using SampleBuffer = std::vector<float>;

// One music file, rendered on demand.
class MusicVoice {
 public:
  virtual ~MusicVoice() = default;
  // Back to the beginning; whatever was sounding is silenced.
  virtual void Restart() = 0;
  // Adds the next out.size() / 2 frames of the music into `out`; silence once it has ended.
  virtual void MixInto(std::span<float> out) = 0;
};

// Where the sounds come from: the real decoders in the program, fakes in tests.
class AudioSources {
 public:
  virtual ~AudioSources() = default;
  // nullptr when the file cannot be played (the show's music device then fails to open).
  virtual std::unique_ptr<MusicVoice> OpenMusic(const std::string& path) = 0;
  // nullptr when the file is not a sound the player would play.
  virtual std::shared_ptr<const SampleBuffer> LoadSound(const std::string& path) = 0;
};

struct PlaySoundArgument {
  std::uint32_t flags = 0;
  std::string name;
};
// Reads the logged argument of a PlaySound call, "0x20003 /tmp/x/a.wav" or "0x40".
PlaySoundArgument ParsePlaySoundArgument(std::string_view argument);

// Adds `from` into `into` and holds every sample to [-1, 1].
void MixClamped(std::span<float> into, std::span<const float> from);

class AudioMixdown {
 public:
  // Receives the mix in order, in blocks of interleaved stereo samples.
  using Sink = std::function<void(std::span<const float>)>;

  // The track ends after `total_frames` sample frames; nothing past it reaches the sink.
  AudioMixdown(AudioSources& sources, std::uint64_t total_frames, Sink sink);
  ~AudioMixdown();
  AudioMixdown(const AudioMixdown&) = delete;
  AudioMixdown& operator=(const AudioMixdown&) = delete;

  // Mixes up to the call's tick, then carries it out. Calls come in the order the show made them.
  void Apply(const platform::AudioCall& call);
  // Mixes up to (not including) sample frame `frame`, or the end of the track.
  void MixUntil(std::uint64_t frame);
  void Finish() { MixUntil(total_frames_); }
  // Changes the length once it is known.
  void SetTotalFrames(std::uint64_t total_frames) { total_frames_ = total_frames; }
  std::uint64_t Position() const { return position_; }
  std::uint64_t TotalFrames() const { return total_frames_; }

  // Whether the music is sounding now (for tests).
  bool MusicSounding() const;

 private:
  class Device;

  AudioSources& sources_;
  std::uint64_t total_frames_;
  Sink sink_;
  std::uint64_t position_ = 0;
  std::unique_ptr<Device> music_;
  std::shared_ptr<const SampleBuffer> sound_;
  std::size_t sound_at_ = 0;  // next sample of sound_
  SampleBuffer block_;
  SampleBuffer voice_;
};

}  // namespace scenesaver::scenepack
