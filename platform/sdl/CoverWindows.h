// Black, borderless windows over every display but the primary one, so that a show on the
// primary display leaves nothing of the desktop readable elsewhere.
#pragma once

#include <SDL.h>

#include <memory>
#include <vector>

namespace platform {

class CoverWindows {
 public:
  CoverWindows() = default;
  CoverWindows(const CoverWindows&) = delete;
  CoverWindows& operator=(const CoverWindows&) = delete;

  // Drops the present covers and covers every display SDL knows now, display 0 excepted.
  void CoverCurrentDisplays();
  // Puts every cover above other windows again.
  void Raise();
  bool Owns(Uint32 window_id) const;
  std::size_t Count() const { return windows_.size(); }

 private:
  struct Destroyer {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
  };
  std::vector<std::unique_ptr<SDL_Window, Destroyer>> windows_;
};

}  // namespace platform
