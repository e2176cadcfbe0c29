// Feeds arbitrary bytes to everything that reads a music or sound file: the MIDI and WAVE
// duration readers, the RIFF MIDI unwrapper, and the desktop player opening the bytes as WAVE,
// OGG and MP3 music and as a scene sound (SDL's dummy audio driver, so nothing is heard).
// MIDI is not handed to the synthesiser here: loading its SoundFont costs ~80 ms per input.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "platform/ShowHost.h"
#include "platform/audio/MusicFile.h"
#include "platform/sdl/SdlAudio.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

// A private folder for the input files, removed at exit.
class InputFolder {
 public:
  InputFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fuzz_music.XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~InputFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  InputFolder(const InputFolder&) = delete;
  InputFolder& operator=(const InputFolder&) = delete;

  // Writes the bytes under `name`; returns the full path, empty on failure.
  std::string Write(const std::string& name, std::span<const std::uint8_t> bytes) const {
    if (path_.empty()) return {};
    const std::string path = (path_ / name).string();
    struct Closer {
      void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "wb"));
    if (!file) return {};
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
      return {};
    }
    return path;
  }

 private:
  std::filesystem::path path_;
};

struct Fixture {
  InputFolder folder;
  platform::SdlAudio audio;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  (void)platform::SmfDurationMs(platform::SmfPayload(bytes));
  (void)platform::SmfDurationMs(bytes);
  (void)platform::WaveDurationMs(bytes);

  Fixture& fixture = TheFixture();
  std::string reply;
  for (const char* name : {"in.wav", "in.ogg", "in.mp3"}) {
    const std::string path = fixture.folder.Write(name, bytes);
    if (path.empty()) continue;
    fixture.audio.MciSendString("open \"" + path + "\" alias bgm", reply);
    fixture.audio.MciSendString("play bgm", reply);
    fixture.audio.MciSendString("status bgm mode", reply);
    fixture.audio.MciSendString("close bgm", reply);
  }
  const std::string sound = fixture.folder.Write("sound.wav", bytes);
  if (!sound.empty()) {
    fixture.audio.PlaySound(sound,
                            platform::kSndFilename | platform::kSndNoDefault | platform::kSndAsync);
    fixture.audio.PlaySound("", platform::kSndPurge);
  }
  return 0;
}
