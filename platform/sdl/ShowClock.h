// The clock of a show on the desktop: milliseconds on the monotonic clock since the clock was
// made. The show reads whole milliseconds from it; the present log writes fractions of the same
// clock, so a repaint's lateness against a tick deadline can be told to the microsecond.
#pragma once

#include <chrono>
#include <cstdint>

namespace scenesaver::platform {

class ShowClock {
 public:
  // Whole milliseconds, wrapping around after 2^32 like any tick count.
  std::uint32_t Ticks() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Since());
    return static_cast<std::uint32_t>(elapsed.count());
  }
  double Milliseconds() const { return std::chrono::duration<double, std::milli>(Since()).count(); }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::duration Since() const { return Clock::now() - origin_; }

  Clock::time_point origin_ = Clock::now();
};

}  // namespace scenesaver::platform
