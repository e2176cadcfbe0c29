// Surfaces made and read for comparisons: a surface of one colour, and all its pixels in order.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/Surface.h"

namespace scenesaver::testing_support {

// A w x h surface cleared to `color`, which is also its background colour.
inline raster::Surface Filled(int w, int h, std::uint32_t color) {
  raster::Surface s(w, h, color);
  s.Cls();
  return s;
}

// The pixels row by row, for comparing whole surfaces with EXPECT_EQ.
inline std::vector<std::uint32_t> PixelsOf(const raster::Surface& s) {
  return {s.Pixels().begin(), s.Pixels().end()};
}

}  // namespace scenesaver::testing_support
