// Black, borderless windows over every display but the primary one, so that a show on the
// primary display leaves nothing of the desktop readable elsewhere.
#pragma once

#include <SDL.h>

#include <memory>
#include <vector>

namespace scenesaver::platform {

// Has the X server itself fill `window` black wherever it is exposed before the show draws
// there, clears it so, and waits until the server has done it.
void BlackUnderneath(SDL_Window* window);

class CoverWindows {
 public:
  // `show` is the show's own window; the covers share its X connection, so their input comes
  // through SDL's event queue like the show's.
  explicit CoverWindows(SDL_Window* show) : show_(show) {}
  ~CoverWindows();
  CoverWindows(const CoverWindows&) = delete;
  CoverWindows& operator=(const CoverWindows&) = delete;

  // Drops the present covers and covers every display SDL knows now, display 0 excepted.
  void CoverCurrentDisplays();
  // Puts every cover above other windows again.
  void Raise();
  std::size_t Count() const { return covers_.size(); }

 private:
  // An X window made here, and SDL's view of it (which does not destroy the X window).
  struct Cover {
    unsigned long xwindow = 0;
    SDL_Window* window = nullptr;
  };
  void Drop();

  SDL_Window* show_;
  std::vector<Cover> covers_;
};

}  // namespace scenesaver::platform
