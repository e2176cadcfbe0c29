#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "base/RuntimeFailure.h"
#include "presentation/TransparentBltFunc.h"
#include "tests/unit/support/Surfaces.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using presentation::TransparentPaint;
using raster::Surface;

constexpr std::uint32_t kKey = 0x00336699;
constexpr std::uint32_t kBack = 0x00ABCDEF;

using testing_support::Filled;
constexpr auto& Content = testing_support::PixelsOf;

// A sprite of distinct colours (never the key) with a key-coloured frame around it.
Surface FramedSprite(int w, int h) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool frame = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      s.Row(y)[x] = frame ? kKey : static_cast<std::uint32_t>(0x010000 * y + x + 1);
    }
  }
  return s;
}

TEST(TransparentPaint, KeyPixelsKeepTheDestinationOthersAreCopied) {
  const Surface sprite = FramedSprite(5, 4);
  Surface dst = Filled(8, 6, kBack);
  TransparentPaint(dst, 2, 1, 5, 4, sprite, 0, 0, kKey);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 3 && x <= 5 && y >= 2 && y <= 3;  // the sprite's non-key core
      EXPECT_EQ(dst.Pixel(x, y), inside ? sprite.Pixel(x - 2, y - 1) : kBack) << x << "," << y;
    }
  }
}

TEST(TransparentPaint, OnlyAnExactMatchIsTransparent) {
  // Each neighbour of the key, one channel off by one, is drawn.
  const std::uint32_t near[] = {kKey + 0x000001, kKey - 0x000001, kKey + 0x000100,
                                kKey - 0x000100, kKey + 0x010000, kKey - 0x010000};
  Surface sprite(6, 1);
  for (int i = 0; i < 6; ++i) sprite.Row(0)[i] = near[i];
  Surface dst = Filled(6, 1, kBack);
  TransparentPaint(dst, 0, 0, 6, 1, sprite, 0, 0, kKey);
  EXPECT_EQ(Content(dst), Content(sprite));
}

TEST(TransparentPaint, MixedRunsOfKeyAndOpaquePixelsAtEveryAlignment) {
  // Rows of odd widths with key runs of every length, drawn at every column offset, so that
  // groups of pixels that are all key, all opaque or mixed meet the row ends everywhere.
  Surface sprite(41, 3);
  std::uint32_t seed = 7;
  for (std::uint32_t& p : sprite.Pixels()) {
    seed = seed * 1103515245u + 12345u;
    p = (seed >> 16) % 3 == 0 ? 0x00000100 + (seed >> 24) : kKey;
  }
  for (int x = -5; x < 5; ++x) {
    Surface dst(48, 3);
    for (std::size_t i = 0; i < dst.Pixels().size(); ++i) {
      dst.Pixels()[i] = static_cast<std::uint32_t>(0x00200000 + i);
    }
    Surface want = dst;
    for (int y = 0; y < 3; ++y) {
      for (int sx = 0; sx < 41; ++sx) {
        const int dx = x + sx;
        if (dx >= 0 && sprite.Pixel(sx, y) != kKey) want.Row(y)[dx] = sprite.Pixel(sx, y);
      }
    }
    TransparentPaint(dst, x, 0, 41, 3, sprite, 0, 0, kKey);
    EXPECT_EQ(Content(dst), Content(want)) << x;
  }
}

TEST(TransparentPaint, AllKeySpriteLeavesTheDestinationAndNoKeySpriteIsAnOpaqueCopy) {
  Surface dst = Filled(4, 4, kBack);
  TransparentPaint(dst, 0, 0, 4, 4, Filled(4, 4, kKey), 0, 0, kKey);
  EXPECT_EQ(Content(dst), Content(Filled(4, 4, kBack)));
  const Surface opaque = Filled(4, 4, 0x00000001);
  TransparentPaint(dst, 0, 0, 4, 4, opaque, 0, 0, kKey);
  EXPECT_EQ(Content(dst), Content(opaque));
}

TEST(TransparentPaint, ClipsToTheDestinationOnEverySideAndToTheSource) {
  const Surface sprite = FramedSprite(6, 6);
  for (const auto& [x, y] : {std::pair{-3, 0}, std::pair{0, -3}, std::pair{3, 0}, std::pair{0, 3},
                             std::pair{-4, -4}, std::pair{5, 5}}) {
    Surface dst = Filled(6, 6, kBack);
    TransparentPaint(dst, x, y, 6, 6, sprite, 0, 0, kKey);
    for (int dy = 0; dy < 6; ++dy) {
      for (int dx = 0; dx < 6; ++dx) {
        const int sx = dx - x, sy = dy - y;
        const bool in_sprite = sx >= 0 && sy >= 0 && sx < 6 && sy < 6;
        const std::uint32_t s = in_sprite ? sprite.Pixel(sx, sy) : kKey;
        EXPECT_EQ(dst.Pixel(dx, dy), s == kKey ? kBack : s) << x << "," << y;
      }
    }
  }
  // A source rectangle reaching past the source's edge leaves the destination there alone.
  Surface dst = Filled(6, 6, kBack);
  TransparentPaint(dst, 0, 0, 6, 6, Filled(3, 3, 7), 1, 1, kKey);
  EXPECT_EQ(dst.Pixel(1, 1), 7u);
  EXPECT_EQ(dst.Pixel(2, 1), kBack);
  EXPECT_EQ(dst.Pixel(1, 2), kBack);
}

TEST(TransparentPaint, NegativeSourceOffsetsSkipTheMissingPixelsAndKeepBothSidesAligned) {
  const Surface sprite = FramedSprite(6, 6);
  for (const auto& [sx, sy] : {std::pair{-2, 0}, std::pair{0, -3}, std::pair{-1, -1},
                               std::pair{-5, -2}, std::pair{-7, 0}}) {
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{1, 2}, std::pair{-1, -1}}) {
      Surface dst = Filled(7, 7, kBack);
      TransparentPaint(dst, x, y, 6, 6, sprite, sx, sy, kKey);
      for (int dy = 0; dy < 7; ++dy) {
        for (int dx = 0; dx < 7; ++dx) {
          // Destination (dx, dy) is offset (dx - x, dy - y) into the rectangle, which reads
          // source pixel (sx + that); pixels outside either surface or the rectangle stay.
          const int ox = dx - x, oy = dy - y;
          const int px = sx + ox, py = sy + oy;
          const bool drawn =
              ox >= 0 && oy >= 0 && ox < 6 && oy < 6 && px >= 0 && py >= 0 && px < 6 && py < 6;
          const std::uint32_t s = drawn ? sprite.Pixel(px, py) : kKey;
          EXPECT_EQ(dst.Pixel(dx, dy), s == kKey ? kBack : s)
              << "source " << sx << "," << sy << " at " << x << "," << y << " pixel " << dx << ","
              << dy;
        }
      }
    }
  }
}

TEST(TransparentPaint, EmptyOrNegativeSizesDrawNothing) {
  Surface dst = Filled(4, 4, kBack);
  const Surface opaque = Filled(4, 4, 1);
  TransparentPaint(dst, 0, 0, 0, 4, opaque, 0, 0, kKey);
  TransparentPaint(dst, 0, 0, 4, 0, opaque, 0, 0, kKey);
  TransparentPaint(dst, 0, 0, -4, 4, opaque, 0, 0, kKey);
  TransparentPaint(dst, 4, 4, 4, -4, opaque, 0, 0, kKey);
  EXPECT_EQ(Content(dst), Content(Filled(4, 4, kBack)));
}

TEST(TransparentPaint, OversizedPixelCountsFailBeforeDrawing) {
  Surface dst = Filled(4, 4, kBack);
  const Surface opaque = Filled(4, 4, 1);
  // w * h * 3 overflows while w * h fits; then w * h itself; then -h.
  EXPECT_THROW(TransparentPaint(dst, 0, 0, 30000, 30000, opaque, 0, 0, kKey), base::RuntimeFailure);
  EXPECT_THROW(TransparentPaint(dst, 0, 0, 65536, 65536, opaque, 0, 0, kKey), base::RuntimeFailure);
  EXPECT_THROW(TransparentPaint(dst, 0, 0, 0, INT_MIN, opaque, 0, 0, kKey), base::RuntimeFailure);
  EXPECT_EQ(Content(dst), Content(Filled(4, 4, kBack)));
  // The largest triple that fits is no failure (and is clipped to the small surfaces).
  EXPECT_NO_THROW(TransparentPaint(dst, 0, 0, 715827882, 1, opaque, 0, 0, kKey));
  EXPECT_EQ(dst.Pixel(3, 0), 1u);
}

TEST(TransparentPaint, OntoItsOwnSurfaceReadsTheOriginalPixels) {
  Surface s = FramedSprite(6, 6);
  const Surface original = s;
  TransparentPaint(s, 1, 1, 6, 6, s, 0, 0, kKey);
  for (int y = 1; y < 6; ++y) {
    for (int x = 1; x < 6; ++x) {
      const std::uint32_t src = original.Pixel(x - 1, y - 1);
      EXPECT_EQ(s.Pixel(x, y), src == kKey ? original.Pixel(x, y) : src) << x << "," << y;
    }
  }
}

}  // namespace
