#include "raster/Surface.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace scenesaver::raster {

Surface::Surface(int width, int height, Color back_color) : back_color_(back_color) {
  Resize(width, height);
}

void Surface::Resize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), back_color_);
}

void Surface::ResizeUninitialized(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
}

void Surface::Cls() { std::fill(pixels_.begin(), pixels_.end(), back_color_); }

namespace {

using Pixel = std::uint32_t;

// ---- Inner routines: the rectangles they get lie inside both surfaces. ----

void CopyRect(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
  const std::size_t bytes = static_cast<std::size_t>(w) * sizeof(Pixel);
  const bool same = &dst == &src;
  if (!same && x == 0 && sx == 0 && w == dst.Width() && w == src.Width()) {
    std::memcpy(dst.Row(y), src.Row(sy), bytes * static_cast<std::size_t>(h));
    return;
  }
  if (!same) {
    for (int row = 0; row < h; ++row)
      std::memcpy(dst.Row(y + row) + x, src.Row(sy + row) + sx, bytes);
    return;
  }
  // Overlapping rectangles of one surface: copy rows in the order that reads each row before
  // it is overwritten.
  if (y > sy) {
    for (int row = h - 1; row >= 0; --row) {
      std::memmove(dst.Row(y + row) + x, src.Row(sy + row) + sx, bytes);
    }
  } else {
    for (int row = 0; row < h; ++row)
      std::memmove(dst.Row(y + row) + x, src.Row(sy + row) + sx, bytes);
  }
}

void FillRect(Surface& dst, int x, int y, int w, int h, Color color) {
  if (x == 0 && w == dst.Width()) {
    std::fill_n(dst.Row(y), static_cast<std::size_t>(w) * static_cast<std::size_t>(h), color);
    return;
  }
  for (int row = 0; row < h; ++row) std::fill_n(dst.Row(y + row) + x, w, color);
}

// One axis of a stretched copy: the destination span [d0, d0 + dn) is fed from the source span
// [s0, s0 + sn); mirrored when the two signed extents differ in sign. Extents are nonzero.
struct Axis {
  std::int64_t d0, dn, s0, sn;
  bool mirror;
};

Axis MakeAxis(std::int64_t d, std::int64_t dw, std::int64_t s, std::int64_t sw) {
  Axis a{};
  a.mirror = (dw < 0) != (sw < 0);
  a.d0 = dw < 0 ? d + dw : d;
  a.dn = dw < 0 ? -dw : dw;
  a.s0 = sw < 0 ? s + sw : s;
  a.sn = sw < 0 ? -sw : sw;
  return a;
}

// Walks the source pixels sampled by consecutive destination pixels of one axis, exactly and
// without division per step: destination offset k (of dn) samples source offset
// floor(((2k + 1) * sn - 1) / (2 * dn)), kept as quotient and remainder. Mirrored axes walk k
// downwards. All products stay below 2^63 for 32-bit extents.
class SourceWalker {
 public:
  // Starts at destination offset i (relative to the axis' d0).
  SourceWalker(const Axis& a, std::int64_t i)
      : den_(2 * a.dn),
        step_q_(2 * a.sn / den_),
        step_r_(2 * a.sn % den_),
        base_(a.s0),
        mirror_(a.mirror) {
    const std::int64_t k = a.mirror ? a.dn - 1 - i : i;
    const std::int64_t num = (2 * k + 1) * a.sn - 1;
    q_ = num / den_;
    r_ = num % den_;
  }
  // Source coordinate of the current destination pixel.
  std::int64_t Source() const { return base_ + q_; }
  void Next() {
    if (mirror_) {
      q_ -= step_q_;
      r_ -= step_r_;
      if (r_ < 0) {
        --q_;
        r_ += den_;
      }
    } else {
      q_ += step_q_;
      r_ += step_r_;
      if (r_ >= den_) {
        ++q_;
        r_ -= den_;
      }
    }
  }

 private:
  std::int64_t den_, step_q_, step_r_, base_;
  bool mirror_;
  std::int64_t q_ = 0, r_ = 0;
};

// out[m] = in[idx[m]]: the inner loop of every scaled copy, unrolled for the load ports.
template <typename Index>
void GatherRow(Pixel* __restrict out, const Pixel* __restrict in, const Index* __restrict idx,
               std::size_t n) {
  std::size_t m = 0;
  for (; m + 8 <= n; m += 8) {
    const Pixel p0 = in[idx[m]], p1 = in[idx[m + 1]], p2 = in[idx[m + 2]], p3 = in[idx[m + 3]];
    const Pixel p4 = in[idx[m + 4]], p5 = in[idx[m + 5]], p6 = in[idx[m + 6]], p7 = in[idx[m + 7]];
    out[m] = p0;
    out[m + 1] = p1;
    out[m + 2] = p2;
    out[m + 3] = p3;
    out[m + 4] = p4;
    out[m + 5] = p5;
    out[m + 6] = p6;
    out[m + 7] = p7;
  }
  for (; m < n; ++m) out[m] = in[idx[m]];
}

// out[m] = last[-m]: a mirrored row at 1:1, four pixels at a time where SSE2 is there.
void ReverseRow(Pixel* __restrict out, const Pixel* __restrict last, std::size_t n) {
  std::size_t m = 0;
#ifdef __SSE2__
  for (; m + 4 <= n; m += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last - m - 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + m), _mm_shuffle_epi32(v, 0x1B));
  }
#endif
  for (; m < n; ++m) out[m] = *(last - m);
}

// Lines fetched ahead at the start of the next source row, where the hardware's sequential
// prefetch has not caught up yet.
constexpr int kRowPrefetchLines = 16;

// Draws the destination rows [j0, j1) (relative to ay.d0, inside dst) from column out_x on:
// copy_row(out, source row) draws one row, whose leftmost sampled column is low_column; a row
// sampling the same source row as the row just drawn is copied from it instead.
template <typename RowCopier>
void StretchRows(Surface& dst, const Surface& src, const Axis& ay, std::int64_t j0, std::int64_t j1,
                 std::int64_t out_x, std::size_t count, std::int64_t low_column,
                 const RowCopier& copy_row) {
  SourceWalker rows(ay, j0);
  std::int64_t prev_source_row = -1;
  const Pixel* prev_row = nullptr;
  for (std::int64_t j = j0; j < j1; ++j, rows.Next()) {
    const std::int64_t sy = rows.Source();
    if (sy < 0 || sy >= src.Height()) {
      prev_row = nullptr;
      continue;
    }
    Pixel* out = dst.Row(static_cast<int>(ay.d0 + j)) + out_x;
    if (prev_row != nullptr && sy == prev_source_row) {
      std::memcpy(out, prev_row, count * sizeof(Pixel));
    } else {
      SourceWalker ahead = rows;
      ahead.Next();
      const std::int64_t next_sy = ahead.Source();
      if (j + 1 < j1 && next_sy != sy && next_sy >= 0 && next_sy < src.Height()) {
        const auto* next =
            reinterpret_cast<const char*>(src.Row(static_cast<int>(next_sy)) + low_column);
        const std::int64_t bytes_left = (src.Width() - low_column) * std::int64_t{sizeof(Pixel)};
        const std::int64_t lines = std::min<std::int64_t>(kRowPrefetchLines, bytes_left / 64);
        for (std::int64_t line = 0; line < lines; ++line) __builtin_prefetch(next + 64 * line);
      }
      copy_row(out, src.Row(static_cast<int>(sy)));
    }
    prev_row = out;
    prev_source_row = sy;
  }
}

// Columns are mapped in strips through tables on the stack, so a stretch never allocates.
constexpr std::int64_t kStripColumns = 4096;

// Stretches the destination columns [c0, c1) (relative to ax.d0, inside dst) and rows [j0, j1)
// (relative to ay.d0, inside dst); samples outside src are skipped.
void StretchStrip(Surface& dst, const Surface& src, const Axis& ax, const Axis& ay, std::int64_t c0,
                  std::int64_t c1, std::int64_t j0, std::int64_t j1) {
  std::array<std::int32_t, kStripColumns> table;
  const std::int64_t n = c1 - c0;
  SourceWalker cols(ax, c0);
  std::int64_t first = n, last = -1;
  for (std::int64_t m = 0; m < n; ++m, cols.Next()) {
    const std::int64_t s = cols.Source();
    if (s < 0 || s >= src.Width()) continue;
    // The sampled column moves monotonically, so the valid entries are one contiguous run.
    first = std::min(first, m);
    last = m;
    table[static_cast<std::size_t>(m)] = static_cast<std::int32_t>(s);
  }
  if (last < first) return;
  const auto count = static_cast<std::size_t>(last - first + 1);
  const std::int32_t* idx = table.data() + first;
  const std::int64_t out_x = ax.d0 + c0 + first;
  if (!ax.mirror && ax.sn == ax.dn) {
    // Unmirrored 1:1 columns are contiguous: copy whole row segments.
    StretchRows(dst, src, ay, j0, j1, out_x, count, idx[0], [&](Pixel* out, const Pixel* in) {
      std::memcpy(out, in + idx[0], count * sizeof(Pixel));
    });
    return;
  }
  if (ax.mirror && ax.sn == ax.dn) {
    // Mirrored 1:1 columns run backwards one by one.
    StretchRows(dst, src, ay, j0, j1, out_x, count, idx[count - 1],
                [&](Pixel* out, const Pixel* in) { ReverseRow(out, in + idx[0], count); });
    return;
  }
  const std::int32_t low = std::min(idx[0], idx[count - 1]);
  if (std::max(idx[0], idx[count - 1]) - low <= 0xFFFF) {
    // Narrow offsets from the leftmost sampled column halve the table's cache footprint.
    std::array<std::uint16_t, kStripColumns> narrow;
    for (std::size_t m = 0; m < count; ++m) narrow[m] = static_cast<std::uint16_t>(idx[m] - low);
    StretchRows(dst, src, ay, j0, j1, out_x, count, low, [&](Pixel* out, const Pixel* in) {
      GatherRow(out, in + low, narrow.data(), count);
    });
    return;
  }
  StretchRows(dst, src, ay, j0, j1, out_x, count, low,
              [&](Pixel* out, const Pixel* in) { GatherRow(out, in, idx, count); });
}

void StretchClipped(Surface& dst, const Surface& src, const Axis& ax, const Axis& ay) {
  const std::int64_t i0 = std::max<std::int64_t>(0, -ax.d0);
  const std::int64_t i1 = std::min<std::int64_t>(ax.dn, dst.Width() - ax.d0);
  const std::int64_t j0 = std::max<std::int64_t>(0, -ay.d0);
  const std::int64_t j1 = std::min<std::int64_t>(ay.dn, dst.Height() - ay.d0);
  if (i0 >= i1 || j0 >= j1) return;
  for (std::int64_t c = i0; c < i1; c += kStripColumns) {
    StretchStrip(dst, src, ax, ay, c, std::min(i1, c + kStripColumns), j0, j1);
  }
}

}  // namespace

void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
  if (w <= 0 || h <= 0) return;
  // Work in 64 bits so that extreme arguments cannot overflow while clipping.
  std::int64_t dx0 = x, dy0 = y, sx0 = sx, sy0 = sy, cw = w, ch = h;
  const auto clip_low = [](std::int64_t& a, std::int64_t& b, std::int64_t& len) {
    const std::int64_t skip = std::max<std::int64_t>({0, -a, -b});
    a += skip;
    b += skip;
    len -= skip;
  };
  clip_low(dx0, sx0, cw);
  clip_low(dy0, sy0, ch);
  cw = std::min<std::int64_t>({cw, dst.Width() - dx0, src.Width() - sx0});
  ch = std::min<std::int64_t>({ch, dst.Height() - dy0, src.Height() - sy0});
  if (cw <= 0 || ch <= 0) return;
  CopyRect(dst, static_cast<int>(dx0), static_cast<int>(dy0), static_cast<int>(cw),
           static_cast<int>(ch), src, static_cast<int>(sx0), static_cast<int>(sy0));
}

void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh) {
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
  if (dst.Width() == 0 || dst.Height() == 0 || src.Width() == 0 || src.Height() == 0) return;
  const Axis ax = MakeAxis(x, w, sx, sw);
  const Axis ay = MakeAxis(y, h, sy, sh);
  if (&dst == &src) {
    // Reading and writing one bitmap: sample from a snapshot (rare; allocates).
    const Surface snapshot = src;  // NOLINT(performance-unnecessary-copy-initialization)
    StretchClipped(dst, snapshot, ax, ay);
    return;
  }
  StretchClipped(dst, src, ax, ay);
}

void FillBox(Surface& dst, int x1, int y1, int x2, int y2, Color color) {
  const int left = std::max(std::min(x1, x2), 0);
  const int right = std::min(std::max(x1, x2), dst.Width() - 1);
  const int top = std::max(std::min(y1, y2), 0);
  const int bottom = std::min(std::max(y1, y2), dst.Height() - 1);
  if (left > right || top > bottom) return;
  FillRect(dst, left, top, right - left + 1, bottom - top + 1, color);
}

void PaintPicture(Surface& dst, const Surface& picture, int x, int y) {
  BitBlt(dst, x, y, picture.Width(), picture.Height(), picture, 0, 0);
}

}  // namespace scenesaver::raster
