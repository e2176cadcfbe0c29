// What the presentation window shows: Picture1's last refreshed bitmap at its place, black
// around it. The bitmap is kept, so that the window can be repainted after being covered.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/Surface.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

class PresentedFrame {
 public:
  // Places the picture on the window, in window pixels; a bitmap of another size is stretched.
  void Place(int left, int top, int width, int height);
  // Keeps a copy of the surface's pixels, to be painted from now on.
  void Take(const raster::Surface& picture);
  // Paints the whole `client` rectangle: the picture, and black elsewhere.
  void PaintAll(HDC dc, const RECT& client) const;
  // Paints the picture's place only (black until a picture was taken).
  void PaintPicture(HDC dc) const;

 private:
  std::vector<std::uint32_t> pixels_;  // 0x00RRGGBB, top row first, as a 32-bit DIB has them
  int width_ = 0;
  int height_ = 0;
  RECT place_{};
};

}  // namespace scenesaver::platform::win32
