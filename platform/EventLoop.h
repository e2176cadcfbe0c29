// Clock, yield and repaint: all that a transition needs besides its surfaces.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Geometry.h"
#include "raster/Surface.h"

namespace scenesaver::platform {

class EventLoop {
 public:
  virtual ~EventLoop() = default;
  // Milliseconds, monotonic; compare readings with base::TickReached (the clock may wrap).
  virtual std::uint32_t GetTickCount() = 0;
  // Microseconds on the same clock, counted from a fixed moment, where the host has a clock
  // finer than its tick; none otherwise. A transition step then lasts its interval to the
  // microsecond rather than until the first whole tick past it.
  virtual std::optional<std::int64_t> GetMicroseconds() { return std::nullopt; }
  // Dispatches every pending window message to the input handlers, then returns.
  virtual void DoEvents() = 0;
  // Blocks until a window message is pending or the clock reads at least `tick`.
  virtual void WaitForEventsUntil(std::uint32_t tick) = 0;
  // Shows the surface's bitmap on the screen (Picture1).
  virtual void Refresh(const raster::Surface& picture1) = 0;
  // The same when only `changed` (in the surface's pixels) differs from what was last shown; a
  // backend may show just that part. An empty rectangle: nothing changed.
  virtual void RefreshChanged(const raster::Surface& picture1, const Rect& /*changed*/) {
    Refresh(picture1);
  }
};

}  // namespace scenesaver::platform
