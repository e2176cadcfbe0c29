#include "platform/sdl/PresentPixels.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace scenesaver::platform {

namespace {

std::uint32_t Swapped(std::uint32_t p) {
  return ((p & 0xFFU) << 16) | (p & 0xFF00U) | ((p >> 16) & 0xFFU);
}

// `count` pixels with red and blue exchanged, four at a time where the processor allows.
void CopySwapped(const std::uint32_t* src, std::uint32_t* out, std::int32_t count) {
  std::int32_t i = 0;
#if defined(__SSE2__)
  const __m128i low = _mm_set1_epi32(0xFF);
  const __m128i green = _mm_set1_epi32(0xFF00);
  for (; i + 4 <= count; i += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i red = _mm_slli_epi32(_mm_and_si128(p, low), 16);
    const __m128i blue = _mm_and_si128(_mm_srli_epi32(p, 16), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_or_si128(_mm_or_si128(red, blue), _mm_and_si128(p, green)));
  }
#endif
  for (; i < count; ++i) out[i] = Swapped(src[i]);
}

// One picture row converted into `out`, `factor` copies of each pixel, starting at picture
// column `first` (window column `x0`) for `count` window pixels.
void WriteRow(const std::uint32_t* row, std::int64_t offset, std::int32_t factor,
              std::uint32_t* out, std::int32_t count, bool swap) {
  // offset: window column minus the picture's left edge, for out[0].
  if (factor == 1) {
    const std::uint32_t* src = row + offset;
    if (swap) {
      CopySwapped(src, out, count);
    } else {
      std::memcpy(out, src, static_cast<std::size_t>(count) * sizeof(std::uint32_t));
    }
    return;
  }
  std::int32_t i = 0;
  std::int64_t column = offset / factor;
  std::int32_t left_in_block = static_cast<std::int32_t>(factor - offset % factor);
  while (i < count) {
    const std::uint32_t value = swap ? Swapped(row[column]) : row[column];
    const std::int32_t run = std::min(left_in_block, count - i);
    std::fill_n(out + i, run, value);
    i += run;
    ++column;
    left_in_block = factor;
  }
}

std::uint32_t Blend(std::uint32_t a, std::uint32_t b, std::uint32_t weight_b /*0..256*/) {
  const std::uint32_t wa = 256 - weight_b;
  const std::uint32_t rb = ((a & 0xFF00FFU) * wa + (b & 0xFF00FFU) * weight_b) >> 8;
  const std::uint32_t g = ((a & 0x00FF00U) * wa + (b & 0x00FF00U) * weight_b) >> 8;
  return (rb & 0xFF00FFU) | (g & 0x00FF00U);
}

// The average of picture pixels [x0, x1) x [y0, y1), each range at least one pixel.
std::uint32_t Average(const raster::Surface& picture, std::int32_t x0, std::int32_t x1,
                      std::int32_t y0, std::int32_t y1) {
  std::uint64_t r = 0, g = 0, b = 0;
  for (std::int32_t y = y0; y < y1; ++y) {
    const std::uint32_t* row = picture.Row(y);
    for (std::int32_t x = x0; x < x1; ++x) {
      r += row[x] & 0xFFU;
      g += (row[x] >> 8) & 0xFFU;
      b += (row[x] >> 16) & 0xFFU;
    }
  }
  const auto n = static_cast<std::uint64_t>(x1 - x0) * static_cast<std::uint64_t>(y1 - y0);
  return static_cast<std::uint32_t>(((b + n / 2) / n) << 16 | ((g + n / 2) / n) << 8 |
                                    ((r + n / 2) / n));
}

// Picture pixel span [first, last) that window pixel `d` (0-based inside the area) covers
// when `source` pixels map onto `dest` pixels, at least one pixel.
void Span(std::int64_t d, std::int64_t source, std::int64_t dest, std::int32_t& first,
          std::int32_t& last) {
  first = static_cast<std::int32_t>(d * source / dest);
  last = static_cast<std::int32_t>(std::max((d + 1) * source / dest, std::int64_t{first} + 1));
  last = std::min<std::int32_t>(last, static_cast<std::int32_t>(source));
}

// A smoothly scaled pixel: the average of the pixels it covers when shrinking, a blend of
// the four nearest when growing.
std::uint32_t SmoothPixel(const raster::Surface& picture, const Rect& area, std::int32_t dx,
                          std::int32_t dy) {
  const std::int64_t pw = picture.Width();
  const std::int64_t ph = picture.Height();
  std::int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  Span(dx, pw, area.width, x0, x1);
  Span(dy, ph, area.height, y0, y1);
  if (area.width < pw || area.height < ph) return Average(picture, x0, x1, y0, y1);
  // Growing: sample centres in 1/256 picture pixels.
  const auto at = [](std::int64_t d, std::int64_t source, std::int64_t dest) {
    const std::int64_t centre = ((2 * d + 1) * source * 256) / (2 * dest) - 128;
    return std::clamp<std::int64_t>(centre, 0, (source - 1) * 256);
  };
  const std::int64_t sx = at(dx, pw, area.width);
  const std::int64_t sy = at(dy, ph, area.height);
  const auto cx = static_cast<std::int32_t>(sx >> 8);
  const auto cy = static_cast<std::int32_t>(sy >> 8);
  const std::int32_t nx = std::min<std::int32_t>(cx + 1, static_cast<std::int32_t>(pw - 1));
  const std::int32_t ny = std::min<std::int32_t>(cy + 1, static_cast<std::int32_t>(ph - 1));
  const auto fx = static_cast<std::uint32_t>(sx & 0xFF);
  const auto fy = static_cast<std::uint32_t>(sy & 0xFF);
  const std::uint32_t top = Blend(picture.Row(cy)[cx], picture.Row(cy)[nx], fx);
  const std::uint32_t bottom = Blend(picture.Row(ny)[cx], picture.Row(ny)[nx], fx);
  return Blend(top, bottom, fy);
}

}  // namespace

Rect PlacedArea(const Placement& placement, Size picture, const Rect& changed, Size window) {
  const Rect part = ClipTo(changed, picture);
  if (part.Empty()) return {};
  const Rect& area = placement.area;
  Rect placed;
  if (placement.factor >= 1) {
    const std::int64_t k = placement.factor;
    placed = {static_cast<std::int32_t>(area.left + part.left * k),
              static_cast<std::int32_t>(area.top + part.top * k),
              static_cast<std::int32_t>(part.width * k),
              static_cast<std::int32_t>(part.height * k)};
  } else {
    // Scaled edges, one picture pixel wider each way, and rounded outwards.
    const auto edge = [](std::int64_t p, std::int64_t source, std::int64_t dest, bool up) {
      return up ? (p * dest + source - 1) / source : p * dest / source;
    };
    const std::int64_t left = edge(std::max(part.left - 1, 0), picture.width, area.width, false);
    const std::int64_t top = edge(std::max(part.top - 1, 0), picture.height, area.height, false);
    const std::int64_t right = edge(std::min<std::int64_t>(part.Right() + 1, picture.width),
                                    picture.width, area.width, true);
    const std::int64_t bottom = edge(std::min<std::int64_t>(part.Bottom() + 1, picture.height),
                                     picture.height, area.height, true);
    placed = {static_cast<std::int32_t>(area.left + left),
              static_cast<std::int32_t>(area.top + top), static_cast<std::int32_t>(right - left),
              static_cast<std::int32_t>(bottom - top)};
  }
  return ClipTo(placed, window);
}

Rect WritePlaced(const raster::Surface& picture, const Placement& placement, const Rect& changed,
                 const PixelImage& out, bool swap_red_blue) {
  const Size picture_size{picture.Width(), picture.Height()};
  const Rect target = PlacedArea(placement, picture_size, changed, out.size);
  if (target.Empty()) return {};
  const Rect& area = placement.area;
  for (std::int32_t y = target.top; y < target.Bottom(); ++y) {
    std::uint32_t* row = out.pixels + static_cast<std::size_t>(y) * out.stride + target.left;
    const std::int64_t dy = std::int64_t{y} - area.top;
    if (placement.factor >= 1) {
      const std::int64_t k = placement.factor;
      // A repeated row is a copy of the one above it.
      if (dy % k != 0 && y != target.top) {
        std::memcpy(row, row - out.stride, static_cast<std::size_t>(target.width) * 4);
        continue;
      }
      WriteRow(picture.Row(static_cast<int>(dy / k)), std::int64_t{target.left} - area.left,
               placement.factor, row, target.width, swap_red_blue);
    } else {
      for (std::int32_t x = 0; x < target.width; ++x) {
        const std::uint32_t p =
            SmoothPixel(picture, area, static_cast<std::int32_t>(target.left + x - area.left),
                        static_cast<std::int32_t>(dy));
        row[x] = swap_red_blue ? Swapped(p) : p;
      }
    }
  }
  return target;
}

bool PlacedWholeOneToOne(const Placement& placement, Size picture, Size window) {
  const Rect& area = placement.area;
  return placement.factor == 1 && area.width == picture.width && area.height == picture.height &&
         ClipTo(area, window) == area;
}

void ReadPlaced(const PixelImage& in, const Placement& placement, const Rect& part,
                raster::Surface& picture, bool swap_red_blue) {
  const Rect read = ClipTo(part, {picture.Width(), picture.Height()});
  if (read.Empty()) return;
  for (std::int32_t y = read.top; y < read.Bottom(); ++y) {
    const std::uint32_t* row = in.pixels +
                               static_cast<std::size_t>(y + placement.area.top) * in.stride +
                               placement.area.left + read.left;
    WriteRow(row, 0, 1, picture.Row(y) + read.left, read.width, swap_red_blue);
  }
}

int Margins(const Placement& placement, Size window, Rect (&margins)[4]) {
  const Rect inside = ClipTo(placement.area, window);
  int count = 0;
  const auto add = [&](Rect r) {
    if (!r.Empty()) margins[count++] = r;
  };
  if (inside.Empty()) {
    add({0, 0, window.width, window.height});
    return count;
  }
  add({0, 0, window.width, inside.top});
  add({0, static_cast<std::int32_t>(inside.Bottom()), window.width,
       static_cast<std::int32_t>(window.height - inside.Bottom())});
  add({0, inside.top, inside.left, inside.height});
  add({static_cast<std::int32_t>(inside.Right()), inside.top,
       static_cast<std::int32_t>(window.width - inside.Right()), inside.height});
  return count;
}

}  // namespace scenesaver::platform
