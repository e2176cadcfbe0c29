// The first frame of a GIF picture, decoded by our own small LZW decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "raster/Surface.h"

namespace scenesaver::platform {

// Where the first frame of a GIF lies, read from the headers before anything is decoded.
struct GifFrame {
  int screen_width = 0;  // the picture's size: the logical screen
  int screen_height = 0;
  int left = 0;  // the frame's rectangle on the screen
  int top = 0;
  int width = 0;
  int height = 0;
  bool interlaced = false;
  std::span<const std::uint8_t> palette;  // RGB triples
  raster::Color background = 0;                   // for screen pixels outside the frame
  std::size_t data_offset = 0;            // the LZW minimum code size, then data sub-blocks
};

// Walks the headers, the colour tables and the extensions up to the first image descriptor.
std::optional<GifFrame> ReadGifFirstFrame(std::span<const std::uint8_t> gif);

// Decodes the frame onto `out`, sized to the logical screen. Returns false when the data is
// damaged or ends before the frame's last pixel (then `out` holds an unspecified picture).
bool DecodeGifFrame(std::span<const std::uint8_t> gif, const GifFrame& frame, raster::Surface& out);

}  // namespace scenesaver::platform
