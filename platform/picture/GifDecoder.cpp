#include "platform/picture/GifDecoder.h"

#include <algorithm>
#include <array>
#include <vector>

namespace scenesaver::platform {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t kImageDescriptor = 0x2C;
constexpr std::uint8_t kExtension = 0x21;
constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;

int ReadLe16(Bytes b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

std::size_t ColourTableBytes(std::uint8_t packed) { return 3u << ((packed & 7) + 1); }

// Skips data sub-blocks (length byte, data) up to and including the empty one; returns the
// position after it, or nothing when the data ends first.
std::optional<std::size_t> SkipSubBlocks(Bytes b, std::size_t pos) {
  while (pos < b.size()) {
    if (b[pos] == 0) return pos + 1;
    pos += b[pos] + 1u;
  }
  return std::nullopt;
}

// Reads variable-width codes, least significant bit first, from the concatenated sub-blocks.
class CodeReader {
 public:
  explicit CodeReader(const std::vector<std::uint8_t>& data) : data_(data) {}
  // The next code of `bits` bits, or -1 when the data is used up.
  int Read(int bits) {
    while (count_ < bits) {
      if (pos_ >= data_.size()) return -1;
      buffer_ |= static_cast<std::uint32_t>(data_[pos_++]) << count_;
      count_ += 8;
    }
    const int code = static_cast<int>(buffer_ & ((1u << bits) - 1));
    buffer_ >>= bits;
    count_ -= bits;
    return code;
  }

 private:
  const std::vector<std::uint8_t>& data_;
  std::size_t pos_ = 0;
  std::uint32_t buffer_ = 0;
  int count_ = 0;
};

// Decodes the LZW stream into `indices` (one colour index per frame pixel, in stream order).
// Returns false when the stream is damaged or ends before every pixel has been produced.
bool DecodeLzw(const std::vector<std::uint8_t>& data, int min_code_size,
               std::vector<std::uint8_t>& indices) {
  const int clear = 1 << min_code_size;
  const int end = clear + 1;
  std::array<std::uint16_t, kMaxCodes> prefix{};
  std::array<std::uint8_t, kMaxCodes> suffix{};
  std::array<std::uint8_t, kMaxCodes + 1> stack{};
  for (int i = 0; i < clear; ++i)
    suffix[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  CodeReader reader(data);
  int bits = min_code_size + 1;
  int next = clear + 2;
  int previous = -1;
  std::uint8_t first = 0;
  std::size_t out = 0;
  while (out < indices.size()) {
    const int code = reader.Read(bits);
    if (code < 0 || code == end) return false;  // ended before the last pixel
    if (code == clear) {
      bits = min_code_size + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      if (code >= clear) return false;
      first = static_cast<std::uint8_t>(code);
      indices[out++] = first;
      previous = code;
      continue;
    }
    if (code > next || (code == next && next >= kMaxCodes)) return false;
    // Unwind the string of `code` (for the code not yet in the table: previous + its first).
    std::size_t depth = 0;
    int walk = code;
    if (code == next) {
      stack[depth++] = first;
      walk = previous;
    }
    while (walk >= clear) {  // each entry's prefix is an earlier entry, so this ends
      stack[depth++] = suffix[static_cast<std::size_t>(walk)];
      walk = prefix[static_cast<std::size_t>(walk)];
    }
    first = static_cast<std::uint8_t>(walk);
    stack[depth++] = first;
    while (depth > 0 && out < indices.size()) indices[out++] = stack[--depth];
    if (next < kMaxCodes) {
      prefix[static_cast<std::size_t>(next)] = static_cast<std::uint16_t>(previous);
      suffix[static_cast<std::size_t>(next)] = first;
      ++next;
      if (next == (1 << bits) && bits < kMaxCodeBits) ++bits;
    }
    previous = code;
  }
  return true;
}

// The frame row that the n-th row of the stream fills.
int StreamRowToFrameRow(int n, int height, bool interlaced) {
  if (!interlaced) return n;
  // Passes: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
  const int pass1 = (height + 7) / 8;
  if (n < pass1) return n * 8;
  n -= pass1;
  const int pass2 = (height + 3) / 8;
  if (n < pass2) return 4 + n * 8;
  n -= pass2;
  const int pass3 = (height + 1) / 4;
  if (n < pass3) return 2 + n * 4;
  n -= pass3;
  return 1 + n * 2;
}

raster::Color PaletteColour(Bytes palette, std::size_t index) {
  if (index * 3 + 2 >= palette.size()) return 0;  // an index beyond the table shows black
  return palette[index * 3] | (palette[index * 3 + 1] << 8) | (palette[index * 3 + 2] << 16);
}

}  // namespace

std::optional<GifFrame> ReadGifFirstFrame(Bytes b) {
  if (b.size() < 13) return std::nullopt;
  GifFrame frame;
  frame.screen_width = ReadLe16(b, 6);
  frame.screen_height = ReadLe16(b, 8);
  const std::uint8_t screen_flags = b[10];
  std::size_t pos = 13;
  Bytes global;
  if (screen_flags & 0x80) {
    const std::size_t size = ColourTableBytes(screen_flags);
    if (pos + size > b.size()) return std::nullopt;
    global = b.subspan(pos, size);
    pos += size;
    frame.background = PaletteColour(global, b[11]);
  }
  while (pos < b.size() && b[pos] == kExtension) {
    if (pos + 2 > b.size()) return std::nullopt;
    const auto after = SkipSubBlocks(b, pos + 2);  // introducer and label, then sub-blocks
    if (!after) return std::nullopt;
    pos = *after;
  }
  if (pos + 10 > b.size() || b[pos] != kImageDescriptor) return std::nullopt;
  frame.left = ReadLe16(b, pos + 1);
  frame.top = ReadLe16(b, pos + 3);
  frame.width = ReadLe16(b, pos + 5);
  frame.height = ReadLe16(b, pos + 7);
  const std::uint8_t frame_flags = b[pos + 9];
  frame.interlaced = (frame_flags & 0x40) != 0;
  pos += 10;
  frame.palette = global;
  if (frame_flags & 0x80) {
    const std::size_t size = ColourTableBytes(frame_flags);
    if (pos + size > b.size()) return std::nullopt;
    frame.palette = b.subspan(pos, size);
    pos += size;
  }
  if (pos >= b.size()) return std::nullopt;
  frame.data_offset = pos;
  // A picture that declares no screen takes the frame's extent.
  if (frame.screen_width == 0 || frame.screen_height == 0) {
    frame.screen_width = frame.left + frame.width;
    frame.screen_height = frame.top + frame.height;
  }
  return frame;
}

bool DecodeGifFrame(Bytes b, const GifFrame& frame, raster::Surface& out) {
  const int min_code_size = b[frame.data_offset];
  if (min_code_size < 1 || min_code_size > 8) return false;  // indices are bytes
  std::vector<std::uint8_t> data;
  std::size_t pos = frame.data_offset + 1;
  while (pos < b.size() && b[pos] != 0) {
    const std::size_t length = b[pos];
    if (pos + 1 + length > b.size()) return false;
    data.insert(data.end(), b.begin() + static_cast<std::ptrdiff_t>(pos + 1),
                b.begin() + static_cast<std::ptrdiff_t>(pos + 1 + length));
    pos += 1 + length;
  }
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(frame.width) *
                                    static_cast<std::size_t>(frame.height));
  if (!DecodeLzw(data, min_code_size, indices)) return false;

  std::array<raster::Color, 256> colours{};
  for (std::size_t i = 0; i < colours.size(); ++i) colours[i] = PaletteColour(frame.palette, i);
  out.SetBackColor(frame.background);
  out.Resize(frame.screen_width, frame.screen_height);
  const int visible = std::max(0, std::min(frame.width, frame.screen_width - frame.left));
  if (visible == 0) return true;
  for (int n = 0; n < frame.height; ++n) {
    const int y = frame.top + StreamRowToFrameRow(n, frame.height, frame.interlaced);
    if (y >= frame.screen_height) continue;
    const std::uint8_t* row = indices.data() + static_cast<std::size_t>(n) * frame.width;
    raster::Color* target = out.Row(y) + frame.left;
    for (int x = 0; x < visible; ++x) target[x] = colours[row[x]];
  }
  return true;
}

}  // namespace scenesaver::platform
