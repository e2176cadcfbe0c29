#include "platform/win32/PresentedFrame.h"

namespace scenesaver::platform::win32 {

namespace {

// A DC whose state (clip region, stretch mode, brush origin) is restored when the object ends.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  ~SavedDcState() {
    if (saved_ != 0) ::RestoreDC(dc_, saved_);
  }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

}  // namespace

void PresentedFrame::Take(const raster::Surface& picture) {
  const auto source = picture.Pixels();
  pixels_.resize(source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    const std::uint32_t pixel = source[i];  // 0x00BBGGRR
    pixels_[i] = ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
  }
  width_ = picture.Width();
  height_ = picture.Height();
}

Placement PresentedFrame::PlaceIn(const RECT& client) const {
  Placement placement = PlacePicture({client.right - client.left, client.bottom - client.top},
                                     {width_, height_}, mode_);
  placement.area.left += client.left;
  placement.area.top += client.top;
  return placement;
}

void PresentedFrame::PaintAll(HDC dc, const RECT& client) const {
  const Placement placement = PlaceIn(client);
  {
    const SavedDcState saved(dc);
    if (!pixels_.empty() && !placement.area.Empty()) {
      ::ExcludeClipRect(dc, placement.area.left, placement.area.top,
                        static_cast<int>(placement.area.Right()),
                        static_cast<int>(placement.area.Bottom()));
    }
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
  PaintPicture(dc, client);
}

void PresentedFrame::PaintPicture(HDC dc, const RECT& client) const {
  if (pixels_.empty() || width_ <= 0 || height_ <= 0) return;
  const Placement placement = PlaceIn(client);
  const Rect& area = placement.area;
  if (area.Empty()) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (area.width == width_ && area.height == height_) {
    ::SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(width_),
                        static_cast<DWORD>(height_), 0, 0, 0, static_cast<UINT>(height_),
                        pixels_.data(), &info, DIB_RGB_COLORS);
    return;
  }
  const SavedDcState saved(dc);
  if (placement.factor >= 1) {
    // Whole multiples: every source pixel becomes a block of one colour.
    ::SetStretchBltMode(dc, COLORONCOLOR);
  } else {
    // Any other size is smoothed; HALFTONE wants its brush origin set after the mode.
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
  }
  ::StretchDIBits(dc, area.left, area.top, area.width, area.height, 0, 0, width_, height_,
                  pixels_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace scenesaver::platform::win32
