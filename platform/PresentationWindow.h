// The full-screen window the show is drawn in, its cursor and its input.
#pragma once

#include <cstdint>

#include "base/Result.h"
#include "platform/Geometry.h"
#include "platform/InputHandlers.h"

namespace scenesaver::platform {

class PresentationWindow {
 public:
  virtual ~PresentationWindow() = default;
  virtual void SetInputHandlers(InputHandlers* handlers) = 0;
  virtual Size PrimaryScreenSize() = 0;
  // Places Picture1 on the window, in window pixels.
  virtual void PlacePicture1(std::int32_t left, std::int32_t top, std::int32_t width,
                             std::int32_t height) = 0;
  // Shows the window, making it first where the platform waits for the picture's size; the
  // reason when no window can be had.
  virtual base::Result<void> ShowWindow() = 0;
  // Covers every screen black at once and holds the input, before anything of the show is known,
  // when the show is locked by the password; ShowWindow later shows the presentation there.
  // True when the screens are covered; a platform without such a cover leaves it to ShowWindow.
  virtual bool CoverScreens() { return false; }
  virtual void MakeTopmost() = 0;
  // ShowCursor: raises or lowers the display count and returns the new count.
  virtual int ShowCursor(bool show) = 0;
  virtual Point GetCursorPos() = 0;
};

}  // namespace scenesaver::platform
