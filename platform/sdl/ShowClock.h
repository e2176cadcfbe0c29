// The clock of a show on the desktop: the monotonic clock since the clock was made. The show
// reads whole milliseconds from it and paces transition steps in microseconds; the present log
// writes fractions of the same clock, so a repaint's lateness can be told to the microsecond.
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
  std::int64_t Microseconds() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(Since()).count();
  }
  double Milliseconds() const { return std::chrono::duration<double, std::milli>(Since()).count(); }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::duration Since() const { return Clock::now() - origin_; }

  Clock::time_point origin_ = Clock::now();
};

}  // namespace scenesaver::platform
