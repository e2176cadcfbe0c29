#include "platform/audio/MciInterpreter.h"

#include "platform/audio/MciCommand.h"

namespace scenesaver::platform {

MciInterpreter::Position MciInterpreter::Current() {
  // The end of the music is noticed only when someone looks.
  if (position_ == Position::kPlaying && !player_.IsPlaying()) position_ = Position::kAtEnd;
  return position_;
}

bool MciInterpreter::Send(std::string_view text, std::string& reply) {
  reply.clear();
  const auto command = mci::ParseCommand(text);
  if (!command) return false;

  if (command->verb == mci::Verb::kOpen) {
    if (alias_) return false;  // the one device is taken (or the alias is already in use)
    if (!player_.Open(command->path)) return false;
    alias_ = command->device;
    position_ = Position::kAtStart;
    return true;
  }
  if (!alias_ || *alias_ != command->device) return false;

  switch (command->verb) {
    case mci::Verb::kPlay:
      switch (Current()) {
        case Position::kAtStart:
          player_.PlayFromStart();
          position_ = Position::kPlaying;
          break;
        case Position::kPaused:
          player_.Resume();
          position_ = Position::kPlaying;
          break;
        case Position::kPlaying:
        case Position::kAtEnd:  // playing from the end to the end plays nothing
          break;
      }
      return true;
    case mci::Verb::kStatusMode:
      reply = Current() == Position::kPlaying ? "playing" : "stopped";
      return true;
    case mci::Verb::kSeekToStart:
    case mci::Verb::kSeekToEnd:
      player_.Halt();
      position_ = command->verb == mci::Verb::kSeekToStart ? Position::kAtStart : Position::kAtEnd;
      return true;
    case mci::Verb::kStop:
      if (Current() == Position::kPlaying) {
        player_.Pause();
        position_ = Position::kPaused;
      }
      return true;
    case mci::Verb::kClose:
      player_.Close();
      alias_.reset();
      position_ = Position::kAtStart;
      return true;
    case mci::Verb::kOpen:
      break;
  }
  return false;
}

}  // namespace scenesaver::platform
