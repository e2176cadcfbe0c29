// A persistent software bitmap of 32-bit pixels and the raw drawing operations
// the presentation and the transitions use. Colours are 0x00BBGGRR values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace scenesaver::raster {

using Color = std::uint32_t;  // 0x00BBGGRR

// Allocator whose default construction leaves pixels uninitialised, so that a bitmap about to
// be overwritten whole (a decoded picture) is not cleared first.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <typename U>
  UninitializedAllocator(const UninitializedAllocator<U>& /*other*/) {}
  template <typename U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

class Surface {
 public:
  Surface() = default;
  Surface(int width, int height, Color back_color = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The surface's size in pixels as single-precision values.
  float ScaleWidth() const { return static_cast<float>(width_); }
  float ScaleHeight() const { return static_cast<float>(height_); }

  // Resizes the bitmap; the content becomes the background colour.
  void Resize(int width, int height);
  // Resizes the bitmap leaving its content unspecified, for a writer that fills every pixel.
  void ResizeUninitialized(int width, int height);
  Color BackColor() const { return back_color_; }
  void SetBackColor(Color color) { back_color_ = color; }
  // Fills the whole bitmap with the background colour.
  void Cls();

  std::uint32_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* Row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * width_;
  }
  std::uint32_t Pixel(int x, int y) const { return Row(y)[x]; }
  std::span<std::uint32_t> Pixels() { return pixels_; }
  std::span<const std::uint32_t> Pixels() const { return pixels_; }

 private:
  int width_ = 0;
  int height_ = 0;
  Color back_color_ = 0;
  std::vector<std::uint32_t, UninitializedAllocator<std::uint32_t>> pixels_;
};

// Every operation below accepts any arguments: rectangles are clipped to both surfaces,
// pixels whose source lies outside the source surface leave the destination unchanged, and
// empty rectangles draw nothing. Source and destination may be the same surface.

// Plain copy of the rectangle (sx, sy, w, h) of src to (x, y) of dst. Zero or negative sizes
// draw nothing.
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy);

// Nearest-neighbour scaled copy of the source rectangle (sx, sy, sw, sh) onto the destination
// rectangle (x, y, w, h). A negative extent spans the pixels between x + w and x (sx + sw and
// sx); when the destination's and the source's extents differ in sign, the copy is mirrored
// along that axis (exactly the unmirrored copy reversed). A zero extent draws nothing.
// Sampling: destination pixel k of n takes source pixel ceil((k + 1/2) * m / n) - 1 of m, the
// one under the destination pixel's centre, the left/upper one when the centre is on an edge.
void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh);

// Filled box from (x1, y1) to (x2, y2), both corners included, in either order.
void FillBox(Surface& dst, int x1, int y1, int x2, int y2, Color color);

// Draws a whole picture at its natural size with its top-left at (x, y).
void PaintPicture(Surface& dst, const Surface& picture, int x, int y);

}  // namespace scenesaver::raster
