#include "platform/sdl/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/ShowHost.h"
#include "platform/audio/MciInterpreter.h"
#include "platform/audio/MusicFile.h"
#include "platform/audio/SoundCache.h"
#include "platform/posix/RegularFile.h"

namespace scenesaver::platform {

namespace {

// The one channel scene sounds play on.
constexpr int kSoundChannel = 0;
// Decoded scene sounds kept for their next turn: about six minutes of CD-quality sound.
constexpr std::size_t kSoundCacheBytes = 64u << 20;

// General MIDI SoundFonts, most preferred first: the system default, then TimGM6mb itself.
constexpr std::array kSoundFonts = {
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

struct MusicDeleter {
  void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
};
using MusicHandle = std::unique_ptr<Mix_Music, MusicDeleter>;

struct ChunkDeleter {
  void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using ChunkHandle = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

struct RWopsCloser {
  void operator()(SDL_RWops* source) const { SDL_RWclose(source); }
};
// A data source until a loader takes it over (the loaders close what they are given).
using SourceHandle = std::unique_ptr<SDL_RWops, RWopsCloser>;

// SDL's audio subsystem and the mixer's output device, open for the object's lifetime.
// Decoding and mixing run on SDL's audio thread; the calls here only hand work to it.
class MixerDevice {
 public:
  MixerDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    subsystem_ = true;
    for (const char* path : kSoundFonts) {
      if (access(path, R_OK) == 0) {
        Mix_SetSoundFonts(path);
        break;
      }
    }
    Mix_Init(MIX_INIT_MID | MIX_INIT_OGG | MIX_INIT_MP3);
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) return;
    open_ = true;
    Mix_AllocateChannels(1);
  }
  ~MixerDevice() {
    if (open_) {
      Mix_HaltChannel(-1);
      Mix_HaltMusic();
      Mix_CloseAudio();
    }
    if (subsystem_) {
      Mix_Quit();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
  }
  MixerDevice(const MixerDevice&) = delete;
  MixerDevice& operator=(const MixerDevice&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool subsystem_ = false;
  bool open_ = false;
};

// Opens the mixer on first use; with no sound card it stays closed and everything is quiet.
class LazyMixer {
 public:
  bool Ready() {
    if (!tried_) {
      tried_ = true;
      device_.emplace();
    }
    return device_->IsOpen();
  }
  bool WasOpened() const { return device_ && device_->IsOpen(); }

 private:
  bool tried_ = false;
  std::optional<MixerDevice> device_;
};

Mix_MusicType MixTypeOf(MusicKind kind) {
  switch (kind) {
    case MusicKind::kMidi:
      return MUS_MID;
    case MusicKind::kWave:
      return MUS_WAV;
    case MusicKind::kMp3:
      return MUS_MP3;
    case MusicKind::kOgg:
      return MUS_OGG;
  }
  return MUS_NONE;
}

// The music device's player on SDL2_mixer. MIDI cannot be rewound there, so every start
// from the beginning halts and plays the music anew.
class SdlMusicPlayer final : public MusicPlayer {
 public:
  explicit SdlMusicPlayer(LazyMixer& mixer) : mixer_(mixer) {}
  ~SdlMusicPlayer() override { Close(); }
  SdlMusicPlayer(const SdlMusicPlayer&) = delete;
  SdlMusicPlayer& operator=(const SdlMusicPlayer&) = delete;

  bool Open(const std::string& path) override {
    Close();
    const auto kind = MusicKindFromPath(path);
    if (!kind || !mixer_.Ready()) return false;
    SourceHandle source;
    if (*kind == MusicKind::kMidi || *kind == MusicKind::kWave) {
      // Read into memory: a MIDI file wrapped in RIFF then plays like a plain one, and a WAVE
      // file's chunk sizes are first held to the file's real size.
      auto bytes = ReadWholeFile(path.c_str());
      if (!bytes) return false;
      if (*kind == MusicKind::kMidi) {
        const auto smf = SmfPayload(*bytes);
        if (smf.empty()) return false;
        bytes_.assign(smf.begin(), smf.end());
      } else {
        // A format the decoder cannot take safely is refused before it sees it.
        if (!ClipWaveChunksToFile(*bytes) || !HasDecodableWaveFormat(*bytes)) return false;
        bytes_ = std::move(*bytes);
      }
      source.reset(SDL_RWFromConstMem(bytes_.data(), static_cast<int>(bytes_.size())));
    } else {
      // Only a regular file, opened without blocking on a FIFO; the stream owns it from here.
      UniqueFd fd = OpenRegularFile(path);
      std::FILE* file = fd.Valid() ? ::fdopen(fd.Get(), "rb") : nullptr;
      if (file != nullptr) {
        fd.Release();
        source.reset(SDL_RWFromFP(file, SDL_TRUE));
        if (!source) std::fclose(file);
      }
    }
    // For MIDI the synthesiser reads its SoundFont here, before the show holds a scene.
    if (!source) return false;
    music_.reset(Mix_LoadMUSType_RW(source.release(), MixTypeOf(*kind), 1));
    if (!music_) {
      bytes_.clear();
      return false;
    }
    return true;
  }

  void Close() override {
    if (!music_) return;
    Mix_HaltMusic();
    music_.reset();
    bytes_.clear();
  }

  void PlayFromStart() override {
    if (!music_) return;
    Mix_HaltMusic();
    Mix_PlayMusic(music_.get(), 0);
  }
  void Pause() override {
    if (music_) Mix_PauseMusic();
  }
  void Resume() override {
    if (music_) Mix_ResumeMusic();
  }
  void Halt() override {
    if (music_) Mix_HaltMusic();
  }
  bool IsPlaying() override { return music_ && Mix_PlayingMusic() != 0 && Mix_PausedMusic() == 0; }

 private:
  LazyMixer& mixer_;
  std::vector<std::uint8_t> bytes_;  // MIDI or WAVE data while it is loaded
  MusicHandle music_;
};

}  // namespace

struct SdlAudio::Impl {
  // Declared first so that it is destroyed last, after the music and the sound are freed.
  LazyMixer mixer;
  SdlMusicPlayer music{mixer};
  MciInterpreter mci{music};
  // Every chunk the channel plays is owned here; the channel is halted before one is freed.
  SoundCache<ChunkHandle> sounds{kSoundCacheBytes};

  void StopSound() {
    if (!mixer.WasOpened()) return;
    Mix_HaltChannel(kSoundChannel);
  }

  // Reads and decodes a WAVE file into the cache; nullptr when it cannot be played. Only RIFF
  // WAVE data is let through: SDL_mixer would decode any music format into a sound, all at
  // once on this thread, and a long MIDI file would stall the show.
  Mix_Chunk* Decode(const std::string& path, const FileIdentity& file) {
    auto bytes = ReadWholeFile(path.c_str());
    if (!bytes || !ClipWaveChunksToFile(*bytes) || !HasDecodableWaveFormat(*bytes)) return nullptr;
    SourceHandle source(SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size())));
    if (!source) return nullptr;
    // The chunk keeps its own copy of the samples.
    ChunkHandle chunk(Mix_LoadWAV_RW(source.release(), 1));
    if (!chunk) return nullptr;
    const std::size_t decoded = chunk->alen;
    return sounds.Keep(path, file, std::move(chunk), decoded).get();
  }
};

SdlAudio::SdlAudio() : impl_(std::make_unique<Impl>()) {}

SdlAudio::~SdlAudio() {
  if (impl_) impl_->StopSound();
}

void SdlAudio::MciSendString(std::string_view command, std::string& reply) {
  impl_->mci.Send(command, reply);
  if (reply.size() > kMciReplyMax) reply.resize(kMciReplyMax);
}

void SdlAudio::PlaySound(std::string_view name, std::uint32_t flags) {
  // A new sound cuts the one still playing; so does a purge or an empty name.
  impl_->StopSound();
  if (name.empty() || (flags & kSndPurge) != 0) return;
  // The name is always a file here (no sound aliases), and a sound that cannot be loaded plays
  // nothing: there is no default sound to fall back on. Playing is always asynchronous.
  if (!impl_->mixer.Ready()) return;
  const std::string path(name);
  const std::optional<FileIdentity> file = IdentifyFile(path);
  if (!file) return;
  // A scene's sound comes again with its scene: decoding it once keeps the cost of reading and
  // converting it (milliseconds) out of the scene change after the first.
  Mix_Chunk* chunk = nullptr;
  if (const ChunkHandle* kept = impl_->sounds.Find(path, *file)) {
    chunk = kept->get();
  } else {
    chunk = impl_->Decode(path, *file);
  }
  if (chunk != nullptr) Mix_PlayChannel(kSoundChannel, chunk, 0);
}

}  // namespace scenesaver::platform
