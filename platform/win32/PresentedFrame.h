// What a presentation window shows: Picture1's last refreshed bitmap, placed and scaled by the
// present rule for the window's size, black around it. The bitmap is kept, so that the window
// can be repainted after being covered.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/PresentScale.h"
#include "platform/win32/WindowsApi.h"
#include "raster/Surface.h"

namespace scenesaver::platform::win32 {

class PresentedFrame {
 public:
  explicit PresentedFrame(ScaleMode mode = ScaleMode::kAuto) : mode_(mode) {}

  // Keeps a copy of the surface's pixels, to be painted from now on.
  void Take(const raster::Surface& picture);
  // Where the picture lands in a window whose client area is `client`.
  Placement PlaceIn(const RECT& client) const;
  // Paints the whole `client` rectangle: the picture, and black elsewhere (all black until a
  // picture was taken).
  void PaintAll(HDC dc, const RECT& client) const;
  // Paints the picture's place only.
  void PaintPicture(HDC dc, const RECT& client) const;

 private:
  ScaleMode mode_;
  std::vector<std::uint32_t> pixels_;  // 0x00RRGGBB, top row first, as a 32-bit DIB has them
  int width_ = 0;
  int height_ = 0;
};

}  // namespace scenesaver::platform::win32
