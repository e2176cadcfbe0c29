#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "raster/Surface.h"
#include "tests/unit/support/Surfaces.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using raster::Surface;

// A surface whose every pixel is distinct: 1000 * y + x + 1.
Surface Numbered(int w, int h) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s.Row(y)[x] = static_cast<std::uint32_t>(1000 * y + x + 1);
  }
  return s;
}

using testing_support::Filled;
constexpr auto& Content = testing_support::PixelsOf;

// Straightforward models of the two copies, pixel by pixel, for comparison with the clipped
// and table-driven versions.
void ModelBitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      const std::int64_t dx = std::int64_t{x} + i, dy = std::int64_t{y} + j;
      const std::int64_t px = std::int64_t{sx} + i, py = std::int64_t{sy} + j;
      if (dx < 0 || dy < 0 || dx >= dst.Width() || dy >= dst.Height()) continue;
      if (px < 0 || py < 0 || px >= src.Width() || py >= src.Height()) continue;
      dst.Row(static_cast<int>(dy))[dx] = src.Pixel(static_cast<int>(px), static_cast<int>(py));
    }
  }
}

// A non-negative fraction, kept exact.
struct Fraction {
  std::int64_t num;
  std::int64_t den;  // > 0
};

// Source pixel under the centre of destination pixel k of n, the source extent m stretched over
// the n destination pixels: the centre lies at (k + 1/2) * m / n source pixels from the start
// (from the far end when mirrored); pixel p covers (p, p + 1], so a centre exactly on the line
// between two pixels takes the one before it.
std::int64_t ModelSample(std::int64_t k, std::int64_t n, std::int64_t m, bool mirror) {
  Fraction centre{(2 * k + 1) * m, 2 * n};
  if (mirror) centre.num = 2 * n * m - centre.num;
  std::int64_t p = 0;
  while ((p + 1) * centre.den < centre.num) ++p;  // p + 1 < centre
  return p;
}

void ModelStretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                     int sw, int sh) {
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
  const std::int64_t dx0 = w < 0 ? std::int64_t{x} + w : x, dn = w < 0 ? -std::int64_t{w} : w;
  const std::int64_t dy0 = h < 0 ? std::int64_t{y} + h : y, dm = h < 0 ? -std::int64_t{h} : h;
  const std::int64_t sx0 = sw < 0 ? std::int64_t{sx} + sw : sx,
                     sn = sw < 0 ? -std::int64_t{sw} : sw;
  const std::int64_t sy0 = sh < 0 ? std::int64_t{sy} + sh : sy,
                     sm = sh < 0 ? -std::int64_t{sh} : sh;
  for (std::int64_t j = 0; j < dm; ++j) {
    for (std::int64_t i = 0; i < dn; ++i) {
      const std::int64_t dx = dx0 + i, dy = dy0 + j;
      if (dx < 0 || dy < 0 || dx >= dst.Width() || dy >= dst.Height()) continue;
      const std::int64_t px = sx0 + ModelSample(i, dn, sn, (w < 0) != (sw < 0));
      const std::int64_t py = sy0 + ModelSample(j, dm, sm, (h < 0) != (sh < 0));
      if (px < 0 || py < 0 || px >= src.Width() || py >= src.Height()) continue;
      dst.Row(static_cast<int>(dy))[dx] = src.Pixel(static_cast<int>(px), static_cast<int>(py));
    }
  }
}

TEST(BitBlt, ClipsOnEverySideAndLeavesTheRestUnchanged) {
  const Surface src = Numbered(7, 5);
  struct Case {
    int x, y, w, h, sx, sy;
  };
  // Past the left, top, right and bottom of the destination, then of the source, then both.
  const Case cases[] = {{-3, 0, 7, 5, 0, 0}, {0, -2, 7, 5, 0, 0}, {4, 0, 7, 5, 0, 0},
                        {0, 3, 7, 5, 0, 0},  {0, 0, 7, 5, -2, 0}, {0, 0, 7, 5, 0, -3},
                        {0, 0, 7, 5, 5, 0},  {0, 0, 7, 5, 0, 4},  {-1, -1, 9, 9, -1, -1},
                        {2, 1, 3, 2, 1, 1}};
  for (const Case& c : cases) {
    Surface dst = Filled(6, 4, 0xABCDEF);
    Surface want = dst;
    raster::BitBlt(dst, c.x, c.y, c.w, c.h, src, c.sx, c.sy);
    ModelBitBlt(want, c.x, c.y, c.w, c.h, src, c.sx, c.sy);
    EXPECT_EQ(Content(dst), Content(want)) << c.x << "," << c.y << " from " << c.sx << "," << c.sy;
  }
  // Explicitly: the left two source columns cut off at the left edge.
  Surface dst = Filled(6, 4, 0);
  raster::BitBlt(dst, -2, 0, 7, 5, src, 0, 0);
  EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(2, 0));
  EXPECT_EQ(dst.Pixel(4, 3), src.Pixel(6, 3));
  EXPECT_EQ(dst.Pixel(5, 3), 0u);
}

TEST(BitBlt, SourceBeyondTheRightEdgeLeavesDestinationUnchanged) {
  Surface src(10, 10, 1);
  src.Cls();
  Surface dst(10, 10, 2);
  dst.Cls();
  raster::BitBlt(dst, 0, 0, 1, 10, src, 10, 0);
  EXPECT_EQ(Content(dst), Content(Filled(10, 10, 2)));
}

TEST(BitBlt, EmptyNegativeAndExtremeArgumentsDrawNothingOrClip) {
  const Surface src = Numbered(4, 4);
  Surface dst = Filled(4, 4, 7);
  const auto untouched = Content(dst);
  raster::BitBlt(dst, 0, 0, 0, 4, src, 0, 0);
  raster::BitBlt(dst, 0, 0, 4, -1, src, 0, 0);
  raster::BitBlt(dst, INT_MIN, INT_MIN, INT_MAX, INT_MAX, src, 0, 0);
  raster::BitBlt(dst, INT_MAX, 0, INT_MAX, 4, src, 0, 0);
  raster::BitBlt(dst, 0, 0, 4, 4, src, INT_MIN, INT_MAX);
  EXPECT_EQ(Content(dst), untouched);
  raster::BitBlt(dst, 0, 0, INT_MAX, INT_MAX, src, 0, 0);
  EXPECT_EQ(Content(dst), Content(src));
}

TEST(BitBlt, OverlappingCopyWithinOneSurfaceReadsTheOriginalPixels) {
  for (const int dy : {-1, 0, 1}) {
    for (const int dx : {-2, 0, 2}) {
      Surface s = Numbered(6, 5);
      Surface want = s;
      const Surface original = s;
      ModelBitBlt(want, 1 + dx, 1 + dy, 4, 3, original, 1, 1);
      raster::BitBlt(s, 1 + dx, 1 + dy, 4, 3, s, 1, 1);
      EXPECT_EQ(Content(s), Content(want)) << dx << "," << dy;
    }
  }
}

TEST(StretchBlt, NegativeWidthMirrorsIntoTheBandBetweenXPlusWAndX) {
  Surface src(800, 1, 0);
  for (int x = 0; x < 800; ++x) src.Row(0)[x] = static_cast<std::uint32_t>(x);
  Surface dst(800, 1, 0xFFFFFF);
  dst.Cls();
  raster::StretchBlt(dst, 440, 0, -80, 1, src, 0, 0, 800, 1);
  EXPECT_EQ(dst.Pixel(359, 0), 0xFFFFFFu);
  EXPECT_EQ(dst.Pixel(440, 0), 0xFFFFFFu);
  // Mirrored 10:1 shrink: column 360 shows the source's right end, column 439 its left end.
  EXPECT_EQ(dst.Pixel(360, 0), 794u);
  EXPECT_EQ(dst.Pixel(439, 0), 4u);
}

TEST(StretchBlt, GrowAndShrinkSampleUnderThePixelCentres) {
  Surface src(4, 1);
  for (int x = 0; x < 4; ++x) src.Row(0)[x] = static_cast<std::uint32_t>(10 + x);
  Surface grown(8, 1);
  raster::StretchBlt(grown, 0, 0, 8, 1, src, 0, 0, 4, 1);
  EXPECT_EQ(Content(grown), (std::vector<std::uint32_t>{10, 10, 11, 11, 12, 12, 13, 13}));
  Surface shrunk(2, 1);
  raster::StretchBlt(shrunk, 0, 0, 2, 1, src, 0, 0, 4, 1);
  EXPECT_EQ(Content(shrunk), (std::vector<std::uint32_t>{10, 12}));  // ties take the left pixel
  Surface three(3, 1);
  raster::StretchBlt(three, 0, 0, 3, 1, src, 0, 0, 4, 1);
  EXPECT_EQ(Content(three), (std::vector<std::uint32_t>{10, 11, 13}));
  Surface same(4, 1);
  raster::StretchBlt(same, 0, 0, 4, 1, src, 0, 0, 4, 1);
  EXPECT_EQ(Content(same), Content(src));
}

TEST(StretchBlt, MirrorsInBothAxesAsTheUnmirroredCopyReversed) {
  const Surface src = Numbered(5, 3);
  for (const auto& [w, h] : {std::pair{5, 3}, std::pair{9, 7}, std::pair{3, 2}}) {
    Surface plain(w, h);
    raster::StretchBlt(plain, 0, 0, w, h, src, 0, 0, 5, 3);
    Surface flipped_x(w, h), flipped_y(w, h), flipped_xy(w, h), flipped_src(w, h);
    raster::StretchBlt(flipped_x, w, 0, -w, h, src, 0, 0, 5, 3);
    raster::StretchBlt(flipped_y, 0, h, w, -h, src, 0, 0, 5, 3);
    raster::StretchBlt(flipped_xy, w, h, -w, -h, src, 0, 0, 5, 3);
    raster::StretchBlt(flipped_src, 0, 0, w, h, src, 5, 3, -5, -3);  // source extents negative
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = plain.Pixel(x, y);
        EXPECT_EQ(flipped_x.Pixel(w - 1 - x, y), p);
        EXPECT_EQ(flipped_y.Pixel(x, h - 1 - y), p);
        EXPECT_EQ(flipped_xy.Pixel(w - 1 - x, h - 1 - y), p);
        EXPECT_EQ(flipped_src.Pixel(w - 1 - x, h - 1 - y), p);
      }
    }
  }
}

TEST(StretchBlt, MatchesThePixelModelForClippedMirroredAndScaledCases) {
  // Many seeded cases, including rectangles hanging over every edge of both surfaces, mirrors,
  // odd and unit scale factors and a destination wider than one column strip.
  std::mt19937 rng(12345);
  const Surface src = Numbered(37, 23);
  const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int n = 0; n < 400; ++n) {
    const bool wide = n % 50 == 0;
    Surface dst = Filled(wide ? 4500 : 31, wide ? 3 : 29, 0xFEEDu);
    Surface want = dst;
    const int w = wide ? pick(-4600, 4600) : pick(-45, 45);
    const int h = pick(-35, 35);
    const int x = pick(-20, dst.Width() + 20), y = pick(-20, 45);
    int sw = pick(-45, 45), sh = pick(-30, 30);
    if (n % 4 == 1) sw = pick(0, 1) ? w : -w;  // 1:1 columns, plain or mirrored
    if (n % 8 == 1) sh = pick(0, 1) ? h : -h;
    const int sx = pick(-10, 47), sy = pick(-10, 33);
    raster::StretchBlt(dst, x, y, w, h, src, sx, sy, sw, sh);
    ModelStretchBlt(want, x, y, w, h, src, sx, sy, sw, sh);
    ASSERT_EQ(Content(dst), Content(want)) << "dst " << x << "," << y << "," << w << "," << h
                                           << " src " << sx << "," << sy << "," << sw << "," << sh;
  }
}

TEST(StretchBlt, ZeroExtentsAndExtremeArgumentsDoNotCrash) {
  const Surface src = Numbered(4, 4);
  Surface dst = Filled(4, 4, 9);
  raster::StretchBlt(dst, 0, 0, 0, 4, src, 0, 0, 4, 4);
  raster::StretchBlt(dst, 0, 0, 4, 4, src, 0, 0, 4, 0);
  EXPECT_EQ(Content(dst), Content(Filled(4, 4, 9)));
  // The source rectangle lies wholly left of and above the source: nothing is read.
  raster::StretchBlt(dst, INT_MIN, INT_MIN, INT_MAX, INT_MAX, src, INT_MIN, INT_MIN, INT_MIN,
                     INT_MAX);
  EXPECT_EQ(Content(dst), Content(Filled(4, 4, 9)));
  // Mirrored over the band from -1 to INT_MAX - 2, a source just as long: the destination's
  // pixels sample the far end of the source rectangle, which lies past the source's edge.
  raster::StretchBlt(dst, INT_MAX, INT_MAX, INT_MIN, INT_MIN, src, 0, 0, INT_MAX, INT_MAX);
  EXPECT_EQ(Content(dst), Content(Filled(4, 4, 9)));
  // Both rectangles run 2^31 pixels back from INT_MAX, to -1: mirrored on both sides, so a
  // one-to-one copy, destination pixel 0 reading source pixel 0.
  raster::StretchBlt(dst, INT_MAX, INT_MAX, INT_MIN, INT_MIN, src, INT_MAX, INT_MAX, INT_MIN,
                     INT_MIN);
  EXPECT_EQ(Content(dst), Content(src));
  // With an empty surface on either side nothing happens.
  Surface before = dst;
  Surface empty;
  raster::StretchBlt(dst, 0, 0, 4, 4, empty, 0, 0, 4, 4);
  EXPECT_EQ(Content(dst), Content(before));
  raster::StretchBlt(empty, 0, 0, 4, 4, src, 0, 0, 4, 4);
  EXPECT_EQ(empty.Width(), 0);
  EXPECT_TRUE(empty.Pixels().empty());
}

TEST(StretchBlt, OntoItsOwnSurfaceReadsTheOriginalPixels) {
  Surface s = Numbered(8, 6);
  Surface want = s;
  const Surface original = s;
  ModelStretchBlt(want, 1, 1, -6, 5, original, 0, 0, 4, 3);
  raster::StretchBlt(s, 1, 1, -6, 5, s, 0, 0, 4, 3);
  EXPECT_EQ(Content(s), Content(want));
}

TEST(FillBox, BlackFillFromMinusOneToTheSizeCoversTheWholeSurface) {
  Surface s = Numbered(13, 7);
  raster::FillBox(s, -1, -1, 13, 7, 0);
  EXPECT_EQ(Content(s), Content(Filled(13, 7, 0)));
}

TEST(FillBox, IncludesBothCornersInEitherOrderAndClips) {
  Surface s = Filled(5, 4, 1);
  raster::FillBox(s, 3, 2, 1, 1, 5);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(s.Pixel(x, y), (x >= 1 && x <= 3 && y >= 1 && y <= 2) ? 5u : 1u) << x << "," << y;
    }
  }
  Surface t = Filled(5, 4, 1);
  raster::FillBox(t, 5, 0, 9, 3, 7);          // wholly right of the surface
  raster::FillBox(t, INT_MIN, -3, -1, 9, 7);  // wholly left
  EXPECT_EQ(Content(t), Content(Filled(5, 4, 1)));
  raster::FillBox(t, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 7);
  EXPECT_EQ(Content(t), Content(Filled(5, 4, 7)));
}

TEST(Surface, ClsFillsWithTheBackgroundColourAndPaintPictureClips) {
  Surface s(4, 3, 0x123456);
  EXPECT_EQ(Content(s), Content(Filled(4, 3, 0x123456)));
  s.SetBackColor(0x654321);
  s.Cls();
  EXPECT_EQ(s.Pixel(3, 2), 0x654321u);
  EXPECT_EQ(s.ScaleWidth(), 4.0f);
  EXPECT_EQ(s.ScaleHeight(), 3.0f);
  const Surface picture = Numbered(3, 3);
  raster::PaintPicture(s, picture, 2, -1);
  EXPECT_EQ(s.Pixel(1, 0), 0x654321u);
  EXPECT_EQ(s.Pixel(2, 0), picture.Pixel(0, 1));
  EXPECT_EQ(s.Pixel(3, 1), picture.Pixel(1, 2));
  EXPECT_EQ(s.Pixel(2, 2), 0x654321u);
}

}  // namespace
