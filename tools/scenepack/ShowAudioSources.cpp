#include "tools/scenepack/ShowAudioSources.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <vector>

#include "platform/audio/MusicFile.h"
#include "tools/scenepack/FfmpegHandles.h"

namespace scenesaver::scenepack {

namespace {

// General MIDI SoundFonts, most preferred first, as the player looks for them.
constexpr std::array kSoundFonts = {
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// Decoded scene sounds kept at most (the player's cache holds as much).
constexpr std::size_t kSoundCacheSamples = (64u << 20) / sizeof(float);

struct FluidSettingsFree {
  void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
};
struct FluidSynthFree {
  void operator()(fluid_synth_t* synth) const { delete_fluid_synth(synth); }
};
struct FluidPlayerFree {
  void operator()(fluid_player_t* player) const {
    fluid_player_stop(player);
    delete_fluid_player(player);
  }
};

// A Standard MIDI File played by FluidSynth, pulled sample by sample instead of by a sound
// card: the file's player follows the synthesiser's own sample clock.
class MidiVoice final : public MusicVoice {
 public:
  static std::unique_ptr<MidiVoice> Open(std::vector<std::uint8_t> smf) {
    const std::string font = GeneralMidiSoundFont();
    if (font.empty()) return nullptr;
    auto voice = std::unique_ptr<MidiVoice>(new MidiVoice(std::move(smf)));
    voice->settings_.reset(new_fluid_settings());
    if (!voice->settings_) return nullptr;
    fluid_settings_setnum(voice->settings_.get(), "synth.sample-rate", kMixRate);
    fluid_settings_setstr(voice->settings_.get(), "player.timing-source", "sample");
    fluid_settings_setint(voice->settings_.get(), "synth.threadsafe-api", 0);
    voice->synth_.reset(new_fluid_synth(voice->settings_.get()));
    if (!voice->synth_ ||
        fluid_synth_sfload(voice->synth_.get(), font.c_str(), 1) == FLUID_FAILED) {
      return nullptr;
    }
    if (!voice->StartPlayer()) return nullptr;
    return voice;
  }

  void Restart() override {
    player_.reset();
    fluid_synth_system_reset(synth_.get());
    StartPlayer();
  }

  void MixInto(std::span<float> out) override {
    const std::size_t frames = out.size() / kMixChannels;
    rendered_.resize(out.size());
    fluid_synth_write_float(synth_.get(), static_cast<int>(frames), rendered_.data(), 0, 2,
                            rendered_.data(), 1, 2);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] += rendered_[i];
  }

 private:
  explicit MidiVoice(std::vector<std::uint8_t> smf) : smf_(std::move(smf)) {}

  bool StartPlayer() {
    player_.reset(new_fluid_player(synth_.get()));
    if (!player_) return false;
    if (fluid_player_add_mem(player_.get(), smf_.data(), smf_.size()) == FLUID_FAILED) return false;
    return fluid_player_play(player_.get()) == FLUID_OK;
  }

  std::vector<std::uint8_t> smf_;
  std::unique_ptr<fluid_settings_t, FluidSettingsFree> settings_;
  std::unique_ptr<fluid_synth_t, FluidSynthFree> synth_;
  std::unique_ptr<fluid_player_t, FluidPlayerFree> player_;  // declared last: freed first
  std::vector<float> rendered_;
};

struct InputFree {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct IoFree {
  void operator()(AVIOContext* io) const {
    av_freep(&io->buffer);
    avio_context_free(&io);
  }
};

// Audio decoded by FFmpeg from a file's bytes held in memory, converted to the mix's format
// as it is read.
class DecodedAudio {
 public:
  static std::unique_ptr<DecodedAudio> Open(
      std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
    auto decoded = std::unique_ptr<DecodedAudio>(new DecodedAudio(std::move(bytes)));
    if (!decoded->Start()) return nullptr;
    return decoded;
  }

  // Appends up to `frames` sample frames to `out`; fewer only at the end of the sound.
  void Read(std::size_t frames, std::vector<float>& out) {
    const std::size_t wanted = out.size() + frames * kMixChannels;
    while (out.size() < wanted) {
      if (ready_at_ < ready_.size()) {
        const std::size_t take = std::min(ready_.size() - ready_at_, wanted - out.size());
        out.insert(out.end(), ready_.begin() + static_cast<std::ptrdiff_t>(ready_at_),
                   ready_.begin() + static_cast<std::ptrdiff_t>(ready_at_ + take));
        ready_at_ += take;
        continue;
      }
      if (!DecodeMore()) return;
    }
  }

  bool Restart() {
    codec_.reset();
    input_.reset();
    io_.reset();
    resample_.reset();
    ready_.clear();
    ready_at_ = 0;
    ended_ = false;
    return Start();
  }

 private:
  explicit DecodedAudio(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
      : bytes_(std::move(bytes)) {}

  static int ReadPacket(void* opaque, std::uint8_t* buffer, int size) {
    auto& self = *static_cast<DecodedAudio*>(opaque);
    const std::size_t left = self.bytes_->size() - self.read_at_;
    if (left == 0) return AVERROR_EOF;
    const std::size_t take = std::min(left, static_cast<std::size_t>(size));
    std::memcpy(buffer, self.bytes_->data() + self.read_at_, take);
    self.read_at_ += take;
    return static_cast<int>(take);
  }
  static std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
    auto& self = *static_cast<DecodedAudio*>(opaque);
    const auto size = static_cast<std::int64_t>(self.bytes_->size());
    if ((whence & AVSEEK_SIZE) != 0) return size;
    std::int64_t target = offset;
    if ((whence & 3) == SEEK_CUR) target += static_cast<std::int64_t>(self.read_at_);
    if ((whence & 3) == SEEK_END) target += size;
    if (target < 0 || target > size) return -1;
    self.read_at_ = static_cast<std::size_t>(target);
    return target;
  }

  bool Start() {
    read_at_ = 0;
    constexpr int kIoBuffer = 64 * 1024;
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBuffer));
    if (buffer == nullptr) return false;
    io_.reset(avio_alloc_context(buffer, kIoBuffer, 0, this, ReadPacket, nullptr, Seek));
    if (!io_) {
      av_free(buffer);
      return false;
    }
    AVFormatContext* input = avformat_alloc_context();
    if (input == nullptr) return false;
    input->pb = io_.get();
    input->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (avformat_open_input(&input, nullptr, nullptr, nullptr) < 0) return false;
    input_.reset(input);
    if (avformat_find_stream_info(input, nullptr) < 0) return false;
    const AVCodec* decoder = nullptr;
    stream_ = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream_ < 0 || decoder == nullptr) return false;
    codec_.reset(avcodec_alloc_context3(decoder));
    if (!codec_ ||
        avcodec_parameters_to_context(codec_.get(), input->streams[stream_]->codecpar) < 0 ||
        avcodec_open2(codec_.get(), decoder, nullptr) < 0) {
      return false;
    }
    if (codec_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      const int channels = codec_->ch_layout.nb_channels;
      av_channel_layout_uninit(&codec_->ch_layout);
      av_channel_layout_default(&codec_->ch_layout, channels);
    }
    SwrContext* raw = nullptr;
    AVChannelLayout output = AV_CHANNEL_LAYOUT_STEREO;
    if (swr_alloc_set_opts2(&raw, &output, AV_SAMPLE_FMT_FLT, kMixRate, &codec_->ch_layout,
                            codec_->sample_fmt, codec_->sample_rate, 0, nullptr) < 0 ||
        swr_init(raw) < 0) {
      swr_free(&raw);
      return false;
    }
    resample_.reset(raw);
    return true;
  }

  // Decodes the next packet's samples into ready_; false at the end.
  bool DecodeMore() {
    ready_.clear();
    ready_at_ = 0;
    if (ended_) return false;
    for (;;) {
      const int received = avcodec_receive_frame(codec_.get(), frame_.get());
      if (received == 0) {
        Convert(frame_.get());
        av_frame_unref(frame_.get());
        if (!ready_.empty()) return true;
        continue;
      }
      if (received == AVERROR_EOF) {
        Convert(nullptr);  // the resampler's tail
        ended_ = true;
        return !ready_.empty();
      }
      if (av_read_frame(input_.get(), packet_.get()) < 0) {
        avcodec_send_packet(codec_.get(), nullptr);
        continue;
      }
      if (packet_->stream_index == stream_) avcodec_send_packet(codec_.get(), packet_.get());
      av_packet_unref(packet_.get());
    }
  }

  void Convert(const AVFrame* frame) {
    const int in_frames = frame != nullptr ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(resample_.get(), in_frames);
    if (room <= 0) return;
    ready_.resize(static_cast<std::size_t>(room) * kMixChannels);
    auto* out = reinterpret_cast<std::uint8_t*>(ready_.data());
    const int made = swr_convert(
        resample_.get(), &out, room,
        frame != nullptr ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr,
        in_frames);
    ready_.resize(static_cast<std::size_t>(std::max(made, 0)) * kMixChannels);
  }

  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
  std::size_t read_at_ = 0;
  std::unique_ptr<AVIOContext, IoFree> io_;
  std::unique_ptr<AVFormatContext, InputFree> input_;
  CodecContextHandle codec_;
  SwrHandle resample_;
  int stream_ = -1;
  FrameHandle frame_{av_frame_alloc()};
  PacketHandle packet_{av_packet_alloc()};
  std::vector<float> ready_;
  std::size_t ready_at_ = 0;
  bool ended_ = false;
};

// WAVE, MP3 or Ogg music, decoded as it plays.
class DecodedMusicVoice final : public MusicVoice {
 public:
  explicit DecodedMusicVoice(std::unique_ptr<DecodedAudio> audio) : audio_(std::move(audio)) {}
  void Restart() override {
    if (!audio_->Restart())
      ended_ = true;
    else
      ended_ = false;
  }
  void MixInto(std::span<float> out) override {
    if (ended_) return;
    buffer_.clear();
    audio_->Read(out.size() / kMixChannels, buffer_);
    for (std::size_t i = 0; i < buffer_.size(); ++i) out[i] += buffer_[i];
    if (buffer_.size() < out.size()) ended_ = true;
  }

 private:
  std::unique_ptr<DecodedAudio> audio_;
  std::vector<float> buffer_;
  bool ended_ = false;
};

// The bytes of a WAVE file the player would play (chunk sizes held to the file), else nullopt.
std::optional<std::vector<std::uint8_t>> PlayableWave(const std::string& path) {
  auto bytes = platform::ReadWholeFile(path.c_str());
  if (!bytes || !platform::ClipWaveChunksToFile(*bytes) ||
      !platform::HasDecodableWaveFormat(*bytes)) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

std::string GeneralMidiSoundFont() {
  for (const char* path : kSoundFonts) {
    if (access(path, R_OK) == 0) return path;
  }
  return {};
}

std::unique_ptr<MusicVoice> ShowAudioSources::OpenMusic(const std::string& path) {
  const auto kind = platform::MusicKindFromPath(path);
  if (!kind) return nullptr;
  if (*kind == platform::MusicKind::kMidi) {
    const auto bytes = platform::ReadWholeFile(path.c_str());
    if (!bytes) return nullptr;
    const auto smf = platform::SmfPayload(*bytes);
    if (smf.empty()) return nullptr;
    return MidiVoice::Open(std::vector<std::uint8_t>(smf.begin(), smf.end()));
  }
  std::optional<std::vector<std::uint8_t>> bytes = *kind == platform::MusicKind::kWave
                                                       ? PlayableWave(path)
                                                       : platform::ReadWholeFile(path.c_str());
  if (!bytes) return nullptr;
  auto audio =
      DecodedAudio::Open(std::make_shared<const std::vector<std::uint8_t>>(std::move(*bytes)));
  if (!audio) return nullptr;
  return std::make_unique<DecodedMusicVoice>(std::move(audio));
}

std::shared_ptr<const SampleBuffer> ShowAudioSources::LoadSound(const std::string& path) {
  if (const auto kept = sounds_.find(path); kept != sounds_.end()) return kept->second;
  // Only RIFF WAVE data, as the player's sound channel takes.
  auto bytes = PlayableWave(path);
  if (!bytes) return nullptr;
  auto audio =
      DecodedAudio::Open(std::make_shared<const std::vector<std::uint8_t>>(std::move(*bytes)));
  if (!audio) return nullptr;
  auto samples = std::make_shared<SampleBuffer>();
  audio->Read(kSoundCacheSamples / kMixChannels, *samples);
  std::size_t kept = 0;
  for (const auto& [name, sound] : sounds_) kept += sound->size();
  if (kept + samples->size() > kSoundCacheSamples) sounds_.clear();
  sounds_[path] = samples;
  return samples;
}

}  // namespace scenesaver::scenepack
