#include "presentation/TransparentBltFunc.h"

#include <algorithm>
#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "base/RuntimeFailure.h"

namespace scenesaver::presentation {

namespace {

using raster::Color;
using Pixel = std::uint32_t;

// The sizes of the bitmaps a masked blit of w x h pixels works with: a top-down bitmap (height
// -h) of w * h pixels at three bytes each. Each must fit a signed 32-bit value.
void CheckSpriteSize(std::int32_t w, std::int32_t h) {
  std::int32_t product = 0;
  if (__builtin_sub_overflow(0, h, &product) || __builtin_mul_overflow(w, h, &product) ||
      __builtin_mul_overflow(product, 3, &product)) {
    throw base::RuntimeFailure(base::kOverflow, "TransparentBltFunc");
  }
}

// One row: key-coloured source pixels keep the destination. Four pixels at a time where SSE2
// is there; groups without a key pixel are stored without reading the destination, groups of
// key pixels only are skipped.
void KeyRow(Pixel* __restrict out, const Pixel* __restrict in, std::size_t n, Color key) {
  std::size_t i = 0;
#ifdef __SSE2__
  const __m128i keys = _mm_set1_epi32(static_cast<int>(key));
  for (; i + 4 <= n; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i is_key = _mm_cmpeq_epi32(s, keys);
    const int mask = _mm_movemask_epi8(is_key);
    if (mask == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), s);
    } else if (mask != 0xFFFF) {
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                       _mm_or_si128(_mm_and_si128(is_key, d), _mm_andnot_si128(is_key, s)));
    }
  }
#endif
  for (; i < n; ++i) {
    if (in[i] != key) out[i] = in[i];
  }
}

}  // namespace

void TransparentPaint(raster::Surface& destination, std::int32_t x, std::int32_t y,
                      std::int32_t width, std::int32_t height, const raster::Surface& source,
                      std::int32_t source_x, std::int32_t source_y, raster::Color key_colour) {
  CheckSpriteSize(width, height);
  if (width <= 0 || height <= 0) return;
  // Clip in 64 bits against both surfaces, moving source and destination together.
  std::int64_t dx = x, dy = y, sx = source_x, sy = source_y, w = width, h = height;
  const auto clip_low = [](std::int64_t& a, std::int64_t& b, std::int64_t& len) {
    const std::int64_t skip = std::max<std::int64_t>({0, -a, -b});
    a += skip;
    b += skip;
    len -= skip;
  };
  clip_low(dx, sx, w);
  clip_low(dy, sy, h);
  w = std::min<std::int64_t>({w, destination.Width() - dx, source.Width() - sx});
  h = std::min<std::int64_t>({h, destination.Height() - dy, source.Height() - sy});
  if (w <= 0 || h <= 0) return;
  if (&destination == &source) {
    // A sprite drawn onto its own bitmap: read it from a snapshot of the source rectangle so
    // that overlapping rectangles see the original pixels (rare; allocates).
    raster::Surface snapshot(static_cast<int>(w), static_cast<int>(h));
    raster::BitBlt(snapshot, 0, 0, static_cast<int>(w), static_cast<int>(h), source,
                   static_cast<int>(sx), static_cast<int>(sy));
    TransparentPaint(destination, static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy),
                     static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), snapshot, 0, 0,
                     key_colour);
    return;
  }
  for (std::int64_t row = 0; row < h; ++row) {
    KeyRow(destination.Row(static_cast<int>(dy + row)) + dx,
           source.Row(static_cast<int>(sy + row)) + sx, static_cast<std::size_t>(w), key_colour);
  }
}

}  // namespace scenesaver::presentation
