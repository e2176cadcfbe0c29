// Decoding of picture files (JPEG, BMP, GIF first frame, PNG) into surfaces at natural size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/Result.h"
#include "raster/Surface.h"

namespace scenesaver::platform {

// Pictures beyond these limits are refused before any bitmap is allocated.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 64LL * 1024 * 1024;
inline constexpr int kMaxJpegScans = 100;
inline constexpr std::int64_t kMaxPictureFileBytes = 256LL * 1024 * 1024;

// Decodes the file at `path` at its natural size; a failure's reason names the file. Pixels
// become 0x00BBGGRR; an alpha channel is dropped (transparent pixels show their stored colour).
base::Result<raster::Surface> DecodePicture(const std::string& path);

// The same for a file already in memory; `name` names it in the failure's reason.
base::Result<raster::Surface> DecodePictureBytes(std::span<const std::uint8_t> bytes,
                                                 const std::string& name);

}  // namespace scenesaver::platform
