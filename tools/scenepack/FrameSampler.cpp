#include "tools/scenepack/FrameSampler.h"

#include <utility>

namespace scenesaver::scenepack {

std::int64_t FrameCountFor(std::uint64_t duration_ms, int fps) {
  const std::uint64_t scaled = duration_ms * static_cast<std::uint64_t>(fps);
  return static_cast<std::int64_t>((scaled + 999) / 1000);
}

bool FrameBefore(std::int64_t index, int fps, std::uint64_t tick_ms) {
  // index * 1000 / fps < tick, kept in integers so that no instant is rounded.
  return static_cast<std::uint64_t>(index) * 1000 < tick_ms * static_cast<std::uint64_t>(fps);
}

FrameSampler::FrameSampler(int fps, std::int64_t frame_count, Emit emit)
    : fps_(fps), count_(frame_count), emit_(std::move(emit)) {}

void FrameSampler::Refresh(const raster::Surface& picture, std::uint64_t tick_ms) {
  if (have_picture_) {
    std::int64_t end = next_;
    while (end < count_ && FrameBefore(end, fps_, tick_ms)) ++end;
    EmitUntil(end);
  }
  if (Done()) return;
  held_ = picture;
  have_picture_ = true;
  held_emitted_ = false;
}

void FrameSampler::Finish() {
  if (have_picture_) EmitUntil(count_);
}

void FrameSampler::EmitUntil(std::int64_t end) {
  for (; next_ < end; ++next_) {
    emit_(held_, next_, held_emitted_);
    held_emitted_ = true;
  }
}

}  // namespace scenesaver::scenepack
