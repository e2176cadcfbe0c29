// Turns a picture file of any format libvips reads into one the player reads, upright and
// fitted to the presentation area. A picture that needs no change is kept byte for byte.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/scenepack/Fit.h"

namespace scenesaver::scenepack {

struct ImportSettings {
  PixelSize area;
  Fit fit = Fit::kNone;
  std::uint32_t background = 0;    // 0x00BBGGRR: what transparent pixels are flattened onto
  bool key_colour_sprite = false;  // a transparent overlay keyed on `background`: kept lossless
  int jpeg_quality = 92;
};

struct ImportedPicture {
  bool converted = false;           // false: the file's own bytes are stored
  std::vector<std::uint8_t> bytes;  // the new file when converted
  std::string extension;            // ".jpg" or ".png" when converted
  PixelSize size;                   // the stored picture's size
  std::string changes;              // "rotated, resized" for the build summary
  std::string error;                // "not a picture (...)", naming no file: the caller does
};

// Decodes `file` and, when the player could not show it as it is, converts it: EXIF rotation
// applied, colours to sRGB, resized and cropped by the fit, transparency flattened (fully
// transparent pixels become exactly the background colour); stored as PNG when it had
// transparency, came from a lossless format or is a key-colour sprite, else as JPEG.
ImportedPicture ImportPicture(std::span<const std::uint8_t> file, const ImportSettings& settings);

}  // namespace scenesaver::scenepack
