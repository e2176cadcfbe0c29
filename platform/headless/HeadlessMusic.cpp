#include "platform/headless/HeadlessMusic.h"

#include "platform/audio/MusicFile.h"

namespace scenesaver::platform {

bool HeadlessMusic::Open(const std::string& path) {
  Close();
  const auto kind = MusicKindFromPath(path);
  if (!kind) return false;
  const auto bytes = ReadWholeFile(path.c_str());
  if (!bytes) return false;
  switch (*kind) {
    case MusicKind::kMidi:
      duration_ms_ = SmfDurationMs(SmfPayload(*bytes));
      if (!duration_ms_) return false;
      break;
    case MusicKind::kWave:
      duration_ms_ = WaveDurationMs(*bytes);
      if (!duration_ms_) return false;
      break;
    case MusicKind::kMp3:
    case MusicKind::kOgg:
      duration_ms_.reset();
      break;
  }
  open_ = true;
  return true;
}

void HeadlessMusic::Close() {
  Halt();
  open_ = false;
  duration_ms_.reset();
}

std::uint32_t HeadlessMusic::Elapsed() const {
  // Unsigned difference: correct across a wrap of the clock.
  return running_ ? clock_() - started_tick_ : 0;
}

void HeadlessMusic::PlayFromStart() {
  if (!open_) return;
  played_ms_ = 0;
  running_ = true;
  started_tick_ = clock_();
}

void HeadlessMusic::Pause() {
  if (!running_) return;
  played_ms_ += Elapsed();
  running_ = false;
}

void HeadlessMusic::Resume() {
  if (!open_ || running_) return;
  running_ = true;
  started_tick_ = clock_();
}

void HeadlessMusic::Halt() {
  running_ = false;
  played_ms_ = 0;
}

bool HeadlessMusic::IsPlaying() {
  if (!running_) return false;
  if (!duration_ms_) return true;
  if (played_ms_ + Elapsed() < *duration_ms_) return true;
  running_ = false;
  return false;
}

}  // namespace scenesaver::platform
