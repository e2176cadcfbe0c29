#include <gtest/gtest.h>

#include <vips/vips8>

#include "tools/scenepack/PhotoImport.h"

namespace {

using scenesaver::scenepack::Fit;
using scenesaver::scenepack::ImportedPicture;
using scenesaver::scenepack::ImportPicture;
using scenesaver::scenepack::ImportSettings;
using scenesaver::scenepack::PixelSize;
using vips::VImage;

using Bytes = std::vector<std::uint8_t>;

Bytes Take(VipsBlob* blob) {
  size_t length = 0;
  const auto* data = static_cast<const std::uint8_t*>(vips_blob_get(blob, &length));
  Bytes bytes(data, data + length);
  vips_area_unref(VIPS_AREA(blob));
  return bytes;
}

// A picture of four flat quarters, upright: red | green over blue | white. 64x32, so that a
// turn shows in the size too, and flat enough that JPEG keeps each quarter's colour.
VImage Quarters() {
  const VImage black = VImage::black(32, 16, VImage::option()->set("bands", 3));
  auto flat = [&](double r, double g, double b) { return black.new_from_image({r, g, b}); };
  const VImage top = flat(255, 0, 0).join(flat(0, 255, 0), VIPS_DIRECTION_HORIZONTAL);
  const VImage bottom = flat(0, 0, 255).join(flat(255, 255, 255), VIPS_DIRECTION_HORIZONTAL);
  return top.join(bottom, VIPS_DIRECTION_VERTICAL)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

VImage Decode(const Bytes& bytes) {
  return VImage::new_from_buffer(bytes.data(), bytes.size(), "");
}

// The colour at (x, y) as 0xRRGGBB, each channel rounded to the nearest 0x40 step so that
// JPEG's small errors vanish.
unsigned Colour(const VImage& image, int x, int y) {
  const std::vector<double> p = image.getpoint(x, y);
  unsigned rgb = 0;
  for (int i = 0; i < 3; ++i) {
    const unsigned level = std::min(255u, static_cast<unsigned>((p[i] + 32) / 64) * 64);
    rgb = rgb << 8 | level;
  }
  return rgb;
}

ImportSettings Settings(PixelSize area, Fit fit = Fit::kNone) {
  ImportSettings settings;
  settings.area = area;
  settings.fit = fit;
  return settings;
}

// The stored picture that shows `upright` once the EXIF `orientation` is applied.
VImage StoredFor(const VImage& upright, int orientation) {
  switch (orientation) {
    case 2:
      return upright.flip(VIPS_DIRECTION_HORIZONTAL);
    case 3:
      return upright.rot(VIPS_ANGLE_D180);
    case 4:
      return upright.flip(VIPS_DIRECTION_VERTICAL);
    case 5:  // transpose
      return upright.rot(VIPS_ANGLE_D90).flip(VIPS_DIRECTION_HORIZONTAL);
    case 6:  // shown turned a quarter clockwise, so stored a quarter anticlockwise
      return upright.rot(VIPS_ANGLE_D270);
    case 7:  // transverse
      return upright.rot(VIPS_ANGLE_D90).flip(VIPS_DIRECTION_VERTICAL);
    case 8:
      return upright.rot(VIPS_ANGLE_D90);
    default:
      return upright;
  }
}

TEST(PhotoImport, EveryExifOrientationComesOutUpright) {
  const VImage upright = Quarters();
  for (int orientation = 1; orientation <= 8; ++orientation) {
    VImage stored = StoredFor(upright, orientation).copy();
    stored.set(VIPS_META_ORIENTATION, orientation);
    const Bytes jpeg = Take(stored.jpegsave_buffer(VImage::option()->set("Q", 95)));
    const ImportedPicture picture = ImportPicture(jpeg, Settings({800, 600}));
    ASSERT_EQ(picture.error, "") << orientation;
    EXPECT_EQ(picture.size, (PixelSize{64, 32})) << orientation;
    if (orientation == 1) {
      EXPECT_FALSE(picture.converted);  // nothing to do: the file itself is stored
      continue;
    }
    ASSERT_TRUE(picture.converted) << orientation;
    EXPECT_EQ(picture.extension, ".jpg");
    const VImage shown = Decode(picture.bytes);
    ASSERT_EQ(shown.width(), 64) << orientation;
    EXPECT_EQ(
        shown.get_typeof(VIPS_META_ORIENTATION) == 0 || shown.get_int(VIPS_META_ORIENTATION) == 1,
        true)
        << "orientation " << orientation << " left in the converted file";
    EXPECT_EQ(Colour(shown, 8, 4), 0xFF0000u) << orientation;
    EXPECT_EQ(Colour(shown, 56, 4), 0x00FF00u) << orientation;
    EXPECT_EQ(Colour(shown, 8, 28), 0x0000FFu) << orientation;
    EXPECT_EQ(Colour(shown, 56, 28), 0xFFFFFFu) << orientation;
  }
}

TEST(PhotoImport, FitsResizeAndCropAroundTheCentre) {
  const Bytes jpeg = Take(Quarters().jpegsave_buffer(VImage::option()->set("Q", 95)));
  ImportedPicture picture = ImportPicture(jpeg, Settings({32, 32}, Fit::kContain));
  ASSERT_EQ(picture.error, "");
  EXPECT_EQ(picture.size, (PixelSize{32, 16}));
  EXPECT_EQ(Decode(picture.bytes).width(), 32);
  EXPECT_NE(picture.changes.find("resized"), std::string::npos);

  // Cover into 32x32: scaled to 64x32 (no change of scale), then the middle 32 columns kept.
  picture = ImportPicture(jpeg, Settings({32, 32}, Fit::kCover));
  ASSERT_EQ(picture.error, "");
  EXPECT_EQ(picture.size, (PixelSize{32, 32}));
  const VImage cover = Decode(picture.bytes);
  EXPECT_EQ(Colour(cover, 2, 2), 0xFF0000u);   // the left edge is red, 16 columns in
  EXPECT_EQ(Colour(cover, 29, 2), 0x00FF00u);  // the right edge is green
  EXPECT_EQ(Colour(cover, 29, 29), 0xFFFFFFu);

  // Shrink leaves a smaller picture alone, byte for byte.
  picture = ImportPicture(jpeg, Settings({100, 100}, Fit::kShrink));
  EXPECT_FALSE(picture.converted);
  EXPECT_EQ(picture.size, (PixelSize{64, 32}));
}

TEST(PhotoImport, LosslessSourcesStayLosslessAndFormatsThePlayerLacksAreConverted) {
  const Bytes png = Take(Quarters().pngsave_buffer());
  ImportedPicture picture = ImportPicture(png, Settings({32, 16}, Fit::kContain));
  ASSERT_EQ(picture.error, "");
  EXPECT_EQ(picture.extension, ".png");
  EXPECT_FALSE(ImportPicture(png, Settings({640, 480})).converted);  // the player reads PNG

  const Bytes tiff = Take(Quarters().tiffsave_buffer());
  picture = ImportPicture(tiff, Settings({640, 480}));
  ASSERT_EQ(picture.error, "");
  EXPECT_TRUE(picture.converted);  // same size, but the player reads no TIFF
  EXPECT_EQ(picture.extension, ".png");
  EXPECT_EQ(picture.changes, "converted");
  EXPECT_EQ(Colour(Decode(picture.bytes), 56, 28), 0xFFFFFFu);
}

// 4x1 RGBA: opaque blue, fully transparent red, half-transparent green, opaque white.
Bytes AlphaStrip() {
  const std::vector<std::uint8_t> pixels = {0, 0,   255, 255, 255, 0,   0,   0,
                                            0, 255, 0,   128, 255, 255, 255, 255};
  const VImage image = VImage::new_from_memory(const_cast<std::uint8_t*>(pixels.data()),
                                               pixels.size(), 4, 1, 4, VIPS_FORMAT_UCHAR)
                           .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  return Take(image.pngsave_buffer());
}

TEST(PhotoImport, TransparencyIsFlattenedOntoTheBackground) {
  ImportSettings settings = Settings({640, 480});
  settings.background = 0x302010;  // 0x00BBGGRR: #102030
  const ImportedPicture picture = ImportPicture(AlphaStrip(), settings);
  ASSERT_EQ(picture.error, "");
  ASSERT_TRUE(picture.converted);
  EXPECT_EQ(picture.extension, ".png");
  EXPECT_NE(picture.changes.find("transparency flattened"), std::string::npos);
  const VImage out = Decode(picture.bytes);
  ASSERT_EQ(out.bands(), 3);
  EXPECT_EQ(out.getpoint(0, 0), (std::vector<double>{0, 0, 255}));
  EXPECT_EQ(out.getpoint(1, 0), (std::vector<double>{0x10, 0x20, 0x30}));  // the background
  const std::vector<double> half = out.getpoint(2, 0);  // green over the background, half each
  EXPECT_NEAR(half[0], 0x10 / 2.0, 1.5);
  EXPECT_NEAR(half[1], (255 + 0x20) / 2.0, 1.5);
  EXPECT_NEAR(half[2], 0x30 / 2.0, 1.5);
}

TEST(PhotoImport, AKeyColourSpriteGetsTheExactKeyOnlyWhereFullyTransparentAndStaysLossless) {
  ImportSettings settings = Settings({640, 480});
  settings.background = 0xFF00FF;  // magenta key
  settings.key_colour_sprite = true;
  ImportedPicture picture = ImportPicture(AlphaStrip(), settings);
  ASSERT_EQ(picture.error, "");
  EXPECT_EQ(picture.extension, ".png");
  const VImage out = Decode(picture.bytes);
  EXPECT_EQ(out.getpoint(1, 0), (std::vector<double>{255, 0, 255}));
  EXPECT_EQ(out.getpoint(0, 0), (std::vector<double>{0, 0, 255}));
  EXPECT_EQ(out.getpoint(3, 0), (std::vector<double>{255, 255, 255}));
  EXPECT_NE(out.getpoint(2, 0), (std::vector<double>{255, 0, 255}));  // flattened, not keyed

  // A JPEG sprite that is resized is stored as PNG, so the key pixels stay exact.
  const Bytes jpeg = Take(Quarters().jpegsave_buffer());
  settings.area = {32, 32};
  settings.fit = Fit::kContain;
  picture = ImportPicture(jpeg, settings);
  ASSERT_EQ(picture.error, "");
  EXPECT_EQ(picture.extension, ".png");
  settings.key_colour_sprite = false;
  EXPECT_EQ(ImportPicture(jpeg, settings).extension, ".jpg");
}

TEST(PhotoImport, AnAlphaChannelThatIsFullyOpaqueChangesNothing) {
  const VImage opaque = Quarters().bandjoin_const({255});
  const Bytes png = Take(opaque.pngsave_buffer());
  const ImportedPicture picture = ImportPicture(png, Settings({640, 480}));
  ASSERT_EQ(picture.error, "");
  EXPECT_FALSE(picture.converted);
}

TEST(PhotoImport, WhatIsNotAPictureOrIsDamagedFailsWithTheReason) {
  const std::string text = "hello, not a picture\n";
  ImportedPicture picture = ImportPicture(Bytes(text.begin(), text.end()), Settings({64, 64}));
  EXPECT_EQ(picture.error, "not a picture, or in a format this build of libvips cannot read");
  EXPECT_TRUE(ImportPicture(Bytes{}, Settings({64, 64})).error.starts_with("not a picture"));

  // A JPEG cut in half, to be resized: the decoder's complaint, not grey rows.
  const VImage noisy = VImage::gaussnoise(256, 256).cast(VIPS_FORMAT_UCHAR);
  Bytes jpeg = Take(noisy.jpegsave_buffer());
  jpeg.resize(jpeg.size() / 2);
  picture = ImportPicture(jpeg, Settings({64, 64}, Fit::kContain));
  EXPECT_TRUE(picture.error.starts_with("cannot decode the picture: ")) << picture.error;
  EXPECT_FALSE(picture.converted);
}

}  // namespace
