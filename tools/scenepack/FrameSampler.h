// Turns the show's refreshes (a picture at a tick, at irregular moments) into frames at a
// constant rate: frame i stands for the instant i * 1000 / fps ms and shows the last picture
// refreshed at or before that instant.
#pragma once

#include <cstdint>
#include <functional>

#include "raster/Surface.h"

namespace scenesaver::scenepack {

// Frames needed to cover `duration_ms` at `fps`: the last one starts before the end.
std::int64_t FrameCountFor(std::uint64_t duration_ms, int fps);

// True when frame `index` (at index * 1000 / fps ms, exactly) lies before `tick_ms`.
bool FrameBefore(std::int64_t index, int fps, std::uint64_t tick_ms);

class FrameSampler {
 public:
  // Receives each frame in order, with its index and whether it repeats the frame before it
  // (the same picture, no refresh between); the surface is valid during the call only.
  using Emit = std::function<void(const raster::Surface&, std::int64_t index, bool repeat)>;

  FrameSampler(int fps, std::int64_t frame_count, Emit emit);

  // The picture shown from `tick_ms` on. Emits the frames due before it, then keeps a copy.
  // Refreshes come in order of their ticks; several at one tick leave the last one shown.
  void Refresh(const raster::Surface& picture, std::uint64_t tick_ms);
  // Emits the frames still missing with the last picture (nothing when none was refreshed).
  void Finish();

  // Changes the length once it is known (it must not be shorter than what was emitted).
  void SetFrameCount(std::int64_t frame_count) { count_ = frame_count; }
  std::int64_t FramesEmitted() const { return next_; }
  std::int64_t FrameCount() const { return count_; }
  // True once every frame has been emitted.
  bool Done() const { return next_ >= count_; }

 private:
  void EmitUntil(std::int64_t end);

  int fps_;
  std::int64_t count_;
  Emit emit_;
  std::int64_t next_ = 0;
  bool have_picture_ = false;
  bool held_emitted_ = false;  // the held picture has gone out at least once
  raster::Surface held_;
};

}  // namespace scenesaver::scenepack
