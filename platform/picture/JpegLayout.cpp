#include "platform/picture/JpegLayout.h"

#include <cstring>

namespace scenesaver::platform {

namespace {

constexpr std::uint8_t kMarkerPrefix = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kTem = 0x01;

bool IsRestart(std::uint8_t m) { return m >= 0xD0 && m <= 0xD7; }

// Position of the marker that ends the entropy-coded data starting at `pos`: 0xFF followed by
// neither a stuffed zero, a restart marker nor another 0xFF. Returns `size` when there is none.
std::size_t EndOfEntropyData(const std::uint8_t* data, std::size_t size, std::size_t pos) {
  while (pos < size) {
    const void* hit = std::memchr(data + pos, kMarkerPrefix, size - pos);
    if (hit == nullptr) return size;
    pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data);
    std::size_t next = pos + 1;
    while (next < size && data[next] == kMarkerPrefix) ++next;  // fill bytes
    if (next >= size) return size;
    if (data[next] != 0 && !IsRestart(data[next])) return next - 1;
    pos = next + 1;
  }
  return size;
}

}  // namespace

JpegLayout ScanJpegLayout(std::span<const std::uint8_t> jpeg, int scan_limit) {
  JpegLayout layout;
  const std::uint8_t* data = jpeg.data();
  const std::size_t size = jpeg.size();
  std::size_t pos = 2;  // after the start-of-image marker
  while (pos < size) {
    if (data[pos] != kMarkerPrefix) {
      ++pos;  // stray bytes between segments; the decoder skips them too
      continue;
    }
    while (pos < size && data[pos] == kMarkerPrefix) ++pos;
    if (pos >= size) break;
    const std::uint8_t marker = data[pos++];
    if (marker == kEndOfImage) {
      layout.complete = true;
      break;
    }
    if (marker == 0 || marker == kTem || marker == kStartOfImage || IsRestart(marker)) continue;
    if (pos + 2 > size) break;
    const std::size_t length = (static_cast<std::size_t>(data[pos]) << 8) | data[pos + 1];
    if (length < 2 || pos + length > size) break;
    pos += length;
    if (marker == kStartOfScan) {
      if (++layout.scans > scan_limit) break;
      pos = EndOfEntropyData(data, size, pos);
    }
  }
  return layout;
}

}  // namespace scenesaver::platform
