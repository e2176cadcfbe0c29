#include "tools/scenepack/AudioMixdown.h"

#include <algorithm>
#include <charconv>

#include "platform/MusicAndSounds.h"
#include "platform/audio/MciInterpreter.h"
#include "platform/headless/HeadlessMusic.h"

namespace scenesaver::scenepack {

namespace {

constexpr std::uint64_t kBlockFrames = 4096;

}  // namespace

PlaySoundArgument ParsePlaySoundArgument(std::string_view argument) {
  PlaySoundArgument parsed;
  const std::size_t blank = argument.find(' ');
  std::string_view flags = argument.substr(0, blank);
  if (flags.starts_with("0x") || flags.starts_with("0X")) flags.remove_prefix(2);
  std::from_chars(flags.data(), flags.data() + flags.size(), parsed.flags, 16);
  if (blank != std::string_view::npos) parsed.name = argument.substr(blank + 1);
  return parsed;
}

void MixClamped(std::span<float> into, std::span<const float> from) {
  const std::size_t count = std::min(into.size(), from.size());
  for (std::size_t i = 0; i < count; ++i) into[i] = std::clamp(into[i] + from[i], -1.0f, 1.0f);
}

// The music device as the show saw it: the same command interpreter over a player that knows
// each file's playing time on the virtual clock (so every reply is the one the show got), and
// beside it the voice that sounds while the device plays.
class AudioMixdown::Device final : public platform::MusicPlayer {
 public:
  explicit Device(AudioSources& sources)
      : sources_(sources), timing_([this] { return tick_; }), mci_(*this) {}

  void Send(std::uint32_t tick, std::string_view command) {
    tick_ = tick;
    std::string reply;
    mci_.Send(command, reply);
  }

  bool Sounding() const { return voice_ && sounding_; }
  void MixInto(std::span<float> out) {
    if (Sounding()) voice_->MixInto(out);
  }

  bool Open(const std::string& path) override {
    Close();
    if (!timing_.Open(path)) return false;
    voice_ = sources_.OpenMusic(path);
    if (!voice_) {
      timing_.Close();
      return false;
    }
    return true;
  }
  void Close() override {
    timing_.Close();
    voice_.reset();
    sounding_ = false;
  }
  void PlayFromStart() override {
    timing_.PlayFromStart();
    if (!voice_) return;
    voice_->Restart();
    sounding_ = true;
  }
  void Pause() override {
    timing_.Pause();
    sounding_ = false;
  }
  void Resume() override {
    timing_.Resume();
    sounding_ = voice_ != nullptr;
  }
  void Halt() override {
    timing_.Halt();
    sounding_ = false;
  }
  // The end of the file as the show's clock saw it; the voice itself runs on into silence
  // (or a synthesiser's release) until the device is halted or restarted.
  bool IsPlaying() override { return timing_.IsPlaying(); }

 private:
  AudioSources& sources_;
  std::uint32_t tick_ = 0;
  platform::HeadlessMusic timing_;
  platform::MciInterpreter mci_;
  std::unique_ptr<MusicVoice> voice_;
  bool sounding_ = false;
};

AudioMixdown::AudioMixdown(AudioSources& sources, std::uint64_t total_frames, Sink sink)
    : sources_(sources),
      total_frames_(total_frames),
      sink_(std::move(sink)),
      music_(std::make_unique<Device>(sources)) {}

AudioMixdown::~AudioMixdown() = default;

bool AudioMixdown::MusicSounding() const { return music_->Sounding(); }

void AudioMixdown::Apply(const platform::AudioCall& call) {
  MixUntil(SampleFrameAt(call.tick_ms));
  if (call.call == "mci") {
    music_->Send(call.tick_ms, call.argument);
    return;
  }
  // A new sound cuts the one still playing; so does a purge or an empty name.
  sound_.reset();
  sound_at_ = 0;
  const PlaySoundArgument argument = ParsePlaySoundArgument(call.argument);
  if (argument.name.empty() || (argument.flags & platform::kSndPurge) != 0) return;
  sound_ = sources_.LoadSound(argument.name);
}

void AudioMixdown::MixUntil(std::uint64_t frame) {
  frame = std::min(frame, total_frames_);
  while (position_ < frame) {
    const std::size_t frames = std::min(frame - position_, kBlockFrames);
    const std::size_t samples = frames * kMixChannels;
    block_.assign(samples, 0.0f);
    if (music_->Sounding()) {
      voice_.assign(samples, 0.0f);
      music_->MixInto(voice_);
      MixClamped(block_, voice_);
    }
    if (sound_) {
      const std::size_t left = sound_->size() - std::min(sound_at_, sound_->size());
      const std::size_t take = std::min(left, samples);
      MixClamped(std::span(block_).first(take), std::span(*sound_).subspan(sound_at_, take));
      sound_at_ += take;
      if (sound_at_ >= sound_->size()) sound_.reset();
    }
    sink_(block_);
    position_ += frames;
  }
}

}  // namespace scenesaver::scenepack
