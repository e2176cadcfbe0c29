// Pictures shared by the decoders' tests on every platform: the two-colour test picture each
// test encodes with its own platform's encoder, small GIF files written out byte by byte, and
// the edits that make a picture claim another size.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace scenesaver::testing_support {

using PictureBytes = std::vector<std::uint8_t>;

// The test picture: 16 x 8, left half (200, 40, 10), right half (20, 90, 220), as surface colours
// (0x00BBGGRR).
inline constexpr int kTestPictureWidth = 16;
inline constexpr int kTestPictureHeight = 8;
inline std::uint32_t TestPicturePixel(int x) {
  return x < kTestPictureWidth / 2 ? 0x000A28C8u : 0x00DC5A14u;
}

// The test picture's rows, three bytes a pixel: red first, or blue first when `bgr`.
inline PictureBytes TestPictureBytes(bool bgr) {
  PictureBytes bytes;
  for (int y = 0; y < kTestPictureHeight; ++y) {
    for (int x = 0; x < kTestPictureWidth; ++x) {
      const std::uint32_t p = TestPicturePixel(x);
      const auto red = static_cast<std::uint8_t>(p);
      const auto green = static_cast<std::uint8_t>(p >> 8);
      const auto blue = static_cast<std::uint8_t>(p >> 16);
      bytes.insert(bytes.end(), bgr ? std::initializer_list<std::uint8_t>{blue, green, red}
                                    : std::initializer_list<std::uint8_t>{red, green, blue});
    }
  }
  return bytes;
}

// The largest difference between two colours in any one byte.
inline int ChannelDistance(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                     static_cast<int>((b >> shift) & 0xFF)));
  }
  return worst;
}

// 4 x 2 GIF: red, lime, blue, white / black, yellow, magenta, cyan.
inline const PictureBytes kGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x02, 0x00, 0xf2,
                                  0x07, 0x00, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00,
                                  0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0xff, 0x00, 0xff,
                                  0xff, 0xff, 0xff, 0xff, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00,
                                  0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x02, 0x00, 0x00,
                                  0x03, 0x06, 0x18, 0x42, 0x07, 0x53, 0x26, 0x01, 0x00, 0x3b};
inline const std::vector<std::uint32_t> kGifPixels = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF,
                                                      0x000000, 0x00FFFF, 0xFF00FF, 0xFFFF00};

// kGif's 4 x 2 frame at (1, 1) on a 6 x 3 screen whose background is entry 0, black.
inline PictureBytes GifFrameInsideItsScreen() {
  PictureBytes gif = kGif;
  gif[6] = 6;
  gif[8] = 3;
  gif[11] = 0;
  gif[46] = 1;
  gif[48] = 1;
  return gif;
}
inline const std::vector<std::uint32_t> kGifFrameInsideItsScreenPixels = {
    0, 0,        0,        0,        0,        0,  //
    0, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0,  //
    0, 0,        0x00FFFF, 0xFF00FF, 0xFFFF00, 0};

// Two frames of 2 x 1: red, then blue.
inline const PictureBytes kAnimatedGif = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x01, 0x00, 0xf0, 0x00, 0x00, 0xff, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xff, 0x0b, 0x4e, 0x45,
    0x54, 0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2e, 0x30, 0x03, 0x01, 0x00, 0x00, 0x00, 0x2c, 0x00,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x04, 0x0a, 0x00, 0x21, 0xf9, 0x04,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x80, 0x00,
    0x00, 0xff, 0x00, 0x00, 0x00, 0x02, 0x02, 0x04, 0x0a, 0x00, 0x3b};

// Rewrites the width and height in the frame header of a JPEG.
inline PictureBytes WithJpegSize(PictureBytes jpeg, int width, int height) {
  for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

}  // namespace scenesaver::testing_support
