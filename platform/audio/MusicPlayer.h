// One music file under playback: what a backend offers to the command interpreter.
#pragma once

#include <string>

namespace scenesaver::platform {

class MusicPlayer {
 public:
  virtual ~MusicPlayer() = default;
  // Loads the file (the player is chosen from its extension); false when it cannot be played.
  virtual bool Open(const std::string& path) = 0;
  // Stops and forgets the file.
  virtual void Close() = 0;
  virtual void PlayFromStart() = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  // Stops the playback; the next PlayFromStart begins again.
  virtual void Halt() = 0;
  // True while the music started by PlayFromStart/Resume is still sounding.
  virtual bool IsPlaying() = 0;
};

}  // namespace scenesaver::platform
