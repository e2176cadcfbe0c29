// Picture files (JPEG, BMP, GIF first frame, PNG) decoded with the Windows Imaging Component.
#pragma once

#include <optional>
#include <string>

#include "raster/Surface.h"

namespace scenesaver::platform::win32 {

// Decodes the file at `path` into `out`, resized to the picture's natural size (a GIF takes its
// logical screen's size, the first frame at its place on it). Pictures larger than
// kMaxPictureSide on a side or kMaxPicturePixels in all are refused before any bitmap is made.
// On failure returns a description naming the file as `name`, and leaves `out` unchanged.
// Pixels become 0x00BBGGRR; an alpha channel is dropped.
std::optional<std::string> DecodePictureFile(const std::wstring& path, const std::string& name,
                                             raster::Surface& out);

}  // namespace scenesaver::platform::win32
