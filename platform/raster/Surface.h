// A persistent software bitmap of 32-bit pixels and the raw drawing operations
// the presentation and the transitions use. Colours are 0x00BBGGRR values.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace platform {

using Color = std::uint32_t;  // 0x00BBGGRR

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
  std::vector<std::uint32_t> pixels_;
};

// Plain copy of the rectangle (sx, sy, w, h) of src to (x, y) of dst. The rectangles are
// clipped to both surfaces: source pixels outside src leave dst unchanged; zero or negative
// sizes draw nothing.
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy);

// Nearest-neighbour scaled copy of the source rectangle (sx, sy, sw, sh) onto the destination
// rectangle (x, y, w, h). A destination extent whose sign differs from the source's mirrors
// along that axis and covers the pixels between x + w and x.
void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh);

// Filled box from (x1, y1) to (x2, y2), both corners included, clipped to the surface.
void FillBox(Surface& dst, int x1, int y1, int x2, int y2, Color color);

// Draws a whole picture at its natural size with its top-left at (x, y), clipped.
void PaintPicture(Surface& dst, const Surface& picture, int x, int y);

}  // namespace platform
