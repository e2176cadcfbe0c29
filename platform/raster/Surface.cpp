#include "platform/raster/Surface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {

Surface::Surface(int width, int height, Color back_color) : back_color_(back_color) {
  Resize(width, height);
}

void Surface::Resize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), back_color_);
}

void Surface::Cls() { std::fill(pixels_.begin(), pixels_.end(), back_color_); }

void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
  if (w <= 0 || h <= 0) return;
  // Work in 64 bits so that extreme arguments cannot overflow while clipping.
  std::int64_t dx0 = x, dy0 = y, sx0 = sx, sy0 = sy, cw = w, ch = h;
  const auto clip_low = [&](std::int64_t& a, std::int64_t& b, std::int64_t& len) {
    const std::int64_t skip = std::max<std::int64_t>({0, -a, -b});
    a += skip;
    b += skip;
    len -= skip;
  };
  clip_low(dx0, sx0, cw);
  clip_low(dy0, sy0, ch);
  cw = std::min({cw, dst.Width() - dx0, src.Width() - sx0});
  ch = std::min({ch, dst.Height() - dy0, src.Height() - sy0});
  if (cw <= 0 || ch <= 0) return;
  const std::size_t bytes = static_cast<std::size_t>(cw) * sizeof(std::uint32_t);
  for (std::int64_t row = 0; row < ch; ++row) {
    std::memmove(dst.Row(static_cast<int>(dy0 + row)) + dx0,
                 src.Row(static_cast<int>(sy0 + row)) + sx0, bytes);
  }
}

namespace {

// One axis of a stretched copy: destination span [d0, d0 + dn) fed from source span
// [s0, s0 + sn), mirrored when the two signed extents differ in sign.
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

// Source index (relative to s0) sampled by destination index i (relative to d0): the source
// pixel under the centre of the destination pixel.
std::int64_t Sample(const Axis& a, std::int64_t i) {
  const std::int64_t k = a.mirror ? a.dn - 1 - i : i;
  return (2 * k + 1) * a.sn / (2 * a.dn);
}

}  // namespace

void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh) {
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
  const Axis ax = MakeAxis(x, w, sx, sw);
  const Axis ay = MakeAxis(y, h, sy, sh);
  const std::int64_t i0 = std::max<std::int64_t>(0, -ax.d0);
  const std::int64_t i1 = std::min<std::int64_t>(ax.dn, dst.Width() - ax.d0);
  const std::int64_t j0 = std::max<std::int64_t>(0, -ay.d0);
  const std::int64_t j1 = std::min<std::int64_t>(ay.dn, dst.Height() - ay.d0);
  for (std::int64_t j = j0; j < j1; ++j) {
    const std::int64_t syy = ay.s0 + Sample(ay, j);
    if (syy < 0 || syy >= src.Height()) continue;
    const std::uint32_t* srow = src.Row(static_cast<int>(syy));
    std::uint32_t* drow = dst.Row(static_cast<int>(ay.d0 + j));
    for (std::int64_t i = i0; i < i1; ++i) {
      const std::int64_t sxx = ax.s0 + Sample(ax, i);
      if (sxx < 0 || sxx >= src.Width()) continue;
      drow[ax.d0 + i] = srow[sxx];
    }
  }
}

void FillBox(Surface& dst, int x1, int y1, int x2, int y2, Color color) {
  const int left = std::max(std::min(x1, x2), 0);
  const int right = std::min(std::max(x1, x2), dst.Width() - 1);
  const int top = std::max(std::min(y1, y2), 0);
  const int bottom = std::min(std::max(y1, y2), dst.Height() - 1);
  if (left > right || top > bottom) return;
  for (int row = top; row <= bottom; ++row) {
    std::fill(dst.Row(row) + left, dst.Row(row) + right + 1, color);
  }
}

void PaintPicture(Surface& dst, const Surface& picture, int x, int y) {
  BitBlt(dst, x, y, picture.Width(), picture.Height(), picture, 0, 0);
}

}  // namespace platform
