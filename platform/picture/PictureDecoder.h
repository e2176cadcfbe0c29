// Decoding of picture files (JPEG, BMP, GIF first frame, PNG) into surfaces at natural size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/raster/Surface.h"

namespace platform {

// Pictures beyond these limits are refused before any bitmap is allocated.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 64LL * 1024 * 1024;
inline constexpr int kMaxJpegScans = 100;
inline constexpr std::int64_t kMaxPictureFileBytes = 256LL * 1024 * 1024;

// Decodes the file at `path` into `out` (resized to the picture). On failure returns a
// description naming the file, and `out` is left unchanged. Pixels become 0x00BBGGRR; an alpha
// channel is dropped (transparent pixels show their stored colour).
std::optional<std::string> DecodePicture(const std::string& path, Surface& out);

// The same for a file already in memory; `name` names it in the failure description.
std::optional<std::string> DecodePictureBytes(std::span<const std::uint8_t> bytes,
                                              const std::string& name, Surface& out);

}  // namespace platform
