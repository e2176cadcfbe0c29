// A quick walk over a JPEG stream's markers, made before decoding: it counts the scans (a
// progressive picture with very many scans costs a full pass each) and tells whether the
// stream reaches its end marker (a truncated file).
#pragma once

#include <cstdint>
#include <span>

namespace scenesaver::platform {

struct JpegLayout {
  int scans = 0;          // start-of-scan markers seen (the walk stops once past the limit)
  bool complete = false;  // the end-of-image marker follows the last scan
};

JpegLayout ScanJpegLayout(std::span<const std::uint8_t> jpeg, int scan_limit);

}  // namespace scenesaver::platform
