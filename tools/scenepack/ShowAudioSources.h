// The music and scene sounds of a show, decoded for the export's mix: MIDI through FluidSynth
// with the General MIDI SoundFont the player uses, rendered offline; WAVE, MP3 and Ogg music
// and the scene sounds through FFmpeg's decoders, all at 48 kHz stereo.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "tools/scenepack/AudioMixdown.h"

namespace scenesaver::scenepack {

class ShowAudioSources final : public AudioSources {
 public:
  ShowAudioSources() = default;
  std::unique_ptr<MusicVoice> OpenMusic(const std::string& path) override;
  std::shared_ptr<const SampleBuffer> LoadSound(const std::string& path) override;

 private:
  // A scene's sound comes again with its scene: decoded once.
  std::map<std::string, std::shared_ptr<const SampleBuffer>> sounds_;
};

// The SoundFont the player's MIDI synthesiser uses; empty when none is installed.
std::string GeneralMidiSoundFont();

}  // namespace scenesaver::scenepack
