// The show's picture written into a window-sized image as a placement scales it: whole
// multiples by repeating pixels, other sizes smoothly. No display needed, so it is tested alone.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Geometry.h"
#include "platform/PresentScale.h"
#include "raster/Surface.h"

namespace scenesaver::platform {

// An image of 32-bit pixels, `stride` pixels from one row to the next.
struct PixelImage {
  std::uint32_t* pixels = nullptr;
  Size size;
  std::size_t stride = 0;
};

// The window area that `changed` (in picture pixels) covers once placed; empty when none of it
// is inside the window. A smooth scaling blends neighbours, so the area reaches one picture
// pixel further each way.
Rect PlacedArea(const Placement& placement, Size picture, const Rect& changed, Size window);

// Writes PlacedArea(...) of `out` from the picture (0x00BBGGRR); `swap_red_blue` writes
// 0x00RRGGBB instead. Returns that area.
Rect WritePlaced(const raster::Surface& picture, const Placement& placement, const Rect& changed,
                 const PixelImage& out, bool swap_red_blue);

// True when the placement puts the picture in the window whole, pixel for pixel: the image
// then holds every picture pixel and ReadPlaced can give them back.
bool PlacedWholeOneToOne(const Placement& placement, Size picture, Size window);

// The reverse of WritePlaced for such a placement: `part` (picture pixels) of the picture read
// back from the image.
void ReadPlaced(const PixelImage& in, const Placement& placement, const Rect& part,
                raster::Surface& picture, bool swap_red_blue);

// The window minus the placed picture as at most four rectangles (top, bottom, left, right);
// empty ones are left out. Returns their count.
int Margins(const Placement& placement, Size window, Rect (&margins)[4]);

}  // namespace scenesaver::platform
