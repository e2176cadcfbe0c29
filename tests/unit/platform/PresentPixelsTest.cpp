// The picture written into a window image: whole multiples are exact blocks of each pixel, the
// changed part alone is written, smooth scaling keeps flat colours flat, and nothing is written
// outside the window.
#include <gtest/gtest.h>

#include <vector>

#include "platform/sdl/PresentPixels.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using platform::Placement;
using platform::PlacePicture;
using platform::Rect;
using platform::ScaleMode;
using platform::Size;

constexpr std::uint32_t kUnwritten = 0xDEADBEEF;

raster::Surface Numbered(int width, int height) {
  raster::Surface s(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) s.Row(y)[x] = static_cast<std::uint32_t>(y * 1000 + x);
  }
  return s;
}

struct Window {
  explicit Window(Size size)
      : size(size), pixels(static_cast<std::size_t>(size.width * size.height), kUnwritten) {}
  platform::PixelImage Image() {
    return {pixels.data(), size, static_cast<std::size_t>(size.width)};
  }
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y * size.width + x)];
  }
  Size size;
  std::vector<std::uint32_t> pixels;
};

TEST(PresentPixels, WholeMultiplesAreExactBlocksCentred) {
  const raster::Surface picture = Numbered(8, 6);
  Window window({30, 20});
  const Placement placement = PlacePicture(window.size, {8, 6}, ScaleMode::kAuto);
  ASSERT_EQ(placement.factor, 3);
  const Rect written = WritePlaced(picture, placement, {0, 0, 8, 6}, window.Image(), false);
  EXPECT_EQ(written, (Rect{3, 1, 24, 18}));
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      const bool inside = x >= 3 && x < 27 && y >= 1 && y < 19;
      const std::uint32_t expected = inside ? picture.Pixel((x - 3) / 3, (y - 1) / 3) : kUnwritten;
      ASSERT_EQ(window.At(x, y), expected) << x << "," << y;
    }
  }
}

TEST(PresentPixels, OnlyTheChangedPartIsWrittenAndColoursSwapWhenAsked) {
  const raster::Surface picture = Numbered(8, 6);
  Window window({16, 12});
  const Placement placement{{0, 0, 16, 12}, 2};
  const Rect written = WritePlaced(picture, placement, {3, 2, 2, 1}, window.Image(), true);
  EXPECT_EQ(written, (Rect{6, 4, 4, 2}));
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool inside = x >= 6 && x < 10 && y >= 4 && y < 6;
      const std::uint32_t p = picture.Pixel(x / 2, y / 2);
      const std::uint32_t swapped = ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
      ASSERT_EQ(window.At(x, y), inside ? swapped : kUnwritten) << x << "," << y;
    }
  }
}

TEST(PresentPixels, OneToOneSwapsRedAndBlueOfEveryPixelOfOddRows) {
  // 13 pixels a row: the four-at-a-time part and the rest both take part.
  raster::Surface picture(13, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 13; ++x) {
      picture.Row(y)[x] = 0x00010203U * static_cast<std::uint32_t>(x + 1) +
                          0x00400000U * static_cast<std::uint32_t>(y);
    }
  }
  Window window({13, 3});
  WritePlaced(picture, {{0, 0, 13, 3}, 1}, {0, 0, 13, 3}, window.Image(), true);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 13; ++x) {
      const std::uint32_t p = picture.Pixel(x, y);
      ASSERT_EQ(window.At(x, y), ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
    }
  }
}

// The shared image is the only copy of a picture shown whole at 1:1: what was written into it,
// centred with margins and swapped, reads back exactly, and only the part asked for.
TEST(PresentPixels, AWholeOneToOnePictureReadsBackFromTheImage) {
  const raster::Surface picture = Numbered(13, 5);
  Window window({20, 9});
  const Placement placement = PlacePicture(window.size, {13, 5}, ScaleMode::kOneToOne);
  ASSERT_TRUE(platform::PlacedWholeOneToOne(placement, {13, 5}, window.size));
  WritePlaced(picture, placement, {0, 0, 13, 5}, window.Image(), true);
  raster::Surface back(13, 5, kUnwritten);
  back.Cls();
  platform::ReadPlaced(window.Image(), placement, {1, 1, 11, 3}, back, true);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 13; ++x) {
      const bool inside = x >= 1 && x < 12 && y >= 1 && y < 4;
      ASSERT_EQ(back.Pixel(x, y), inside ? picture.Pixel(x, y) : kUnwritten) << x << "," << y;
    }
  }
  // Cut at the window's edges, scaled or shown in part: the image does not hold every pixel.
  EXPECT_FALSE(platform::PlacedWholeOneToOne(placement, {13, 5}, {12, 9}));
  EXPECT_FALSE(platform::PlacedWholeOneToOne({{0, 0, 26, 10}, 2}, {13, 5}, {26, 10}));
  EXPECT_FALSE(platform::PlacedWholeOneToOne({{0, 0, 12, 5}, 0}, {13, 5}, {20, 9}));
}

TEST(PresentPixels, OneToOneLargerThanTheWindowIsCutAtItsEdges) {
  const raster::Surface picture = Numbered(10, 8);
  Window window({6, 4});
  const Placement placement = PlacePicture(window.size, {10, 8}, ScaleMode::kOneToOne);
  EXPECT_EQ(WritePlaced(picture, placement, {0, 0, 10, 8}, window.Image(), false),
            (Rect{0, 0, 6, 4}));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) ASSERT_EQ(window.At(x, y), picture.Pixel(x + 2, y + 2));
  }
}

TEST(PresentPixels, SmoothScalingKeepsFlatColoursAndReachesEveryPixelOfTheArea) {
  raster::Surface picture(100, 75, 0x00336699);
  picture.Cls();
  for (const Size size : {Size{32, 20}, Size{270, 140}}) {
    Window window(size);
    const Placement placement = PlacePicture(size, {100, 75}, ScaleMode::kFill);
    ASSERT_EQ(placement.factor, 0);
    const Rect written = WritePlaced(picture, placement, {0, 0, 100, 75}, window.Image(), false);
    EXPECT_EQ(written, placement.area);
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) {
        const bool inside =
            x >= written.left && x < written.Right() && y >= written.top && y < written.Bottom();
        ASSERT_EQ(window.At(x, y), inside ? 0x00336699U : kUnwritten) << x << "," << y;
      }
    }
  }
}

TEST(PresentPixels, SmoothPartialAreaCoversTheScaledChange) {
  // A change of one picture pixel reaches its scaled neighbours too, and stays small.
  const Rect area = platform::PlacedArea({{0, 0, 50, 50}, 0}, {100, 100}, {40, 40, 1, 1}, {50, 50});
  EXPECT_LE(area.left, 20);
  EXPECT_GE(area.Right(), 21);
  EXPECT_LE(area.width, 4);
}

TEST(PresentPixels, MarginsSurroundThePlacedPicture) {
  Rect margins[4];
  ASSERT_EQ(Margins({{3, 1, 24, 18}, 3}, {30, 20}, margins), 4);
  EXPECT_EQ(margins[0], (Rect{0, 0, 30, 1}));
  EXPECT_EQ(margins[1], (Rect{0, 19, 30, 1}));
  EXPECT_EQ(margins[2], (Rect{0, 1, 3, 18}));
  EXPECT_EQ(margins[3], (Rect{27, 1, 3, 18}));
  EXPECT_EQ(Margins({{0, 0, 30, 20}, 1}, {30, 20}, margins), 0);
  EXPECT_EQ(Margins({{-5, -5, 50, 50}, 1}, {30, 20}, margins), 0);
}

}  // namespace
