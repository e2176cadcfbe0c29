#include "platform/raster/Surface.h"

#include <gtest/gtest.h>

namespace {

using platform::Surface;

TEST(StretchBlt, NegativeWidthMirrorsIntoTheBandBetweenXPlusWAndX) {
  Surface src(800, 1, 0);
  for (int x = 0; x < 800; ++x) src.Row(0)[x] = static_cast<std::uint32_t>(x);
  Surface dst(800, 1, 0xFFFFFF);
  dst.Cls();
  platform::StretchBlt(dst, 440, 0, -80, 1, src, 0, 0, 800, 1);
  EXPECT_EQ(dst.Pixel(359, 0), 0xFFFFFFu);
  EXPECT_EQ(dst.Pixel(440, 0), 0xFFFFFFu);
  EXPECT_GT(dst.Pixel(360, 0), dst.Pixel(439, 0));  // mirrored: left end shows the right side
}

TEST(BitBlt, SourceBeyondTheRightEdgeLeavesDestinationUnchanged) {
  Surface src(10, 10, 1);
  src.Cls();
  Surface dst(10, 10, 2);
  dst.Cls();
  platform::BitBlt(dst, 0, 0, 1, 10, src, 10, 0);
  EXPECT_EQ(dst.Pixel(0, 0), 2u);
}

}  // namespace
