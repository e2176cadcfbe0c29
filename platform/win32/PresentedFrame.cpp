#include "platform/win32/PresentedFrame.h"

namespace scenesaver::platform::win32 {

namespace {

// A DC whose state (clip region) is restored when the object ends.
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

void PresentedFrame::Place(int left, int top, int width, int height) {
  place_ = {left, top, left + width, top + height};
}

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

void PresentedFrame::PaintAll(HDC dc, const RECT& client) const {
  {
    const SavedDcState saved(dc);
    ::ExcludeClipRect(dc, place_.left, place_.top, place_.right, place_.bottom);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
  PaintPicture(dc);
}

void PresentedFrame::PaintPicture(HDC dc) const {
  const int width = place_.right - place_.left;
  const int height = place_.bottom - place_.top;
  if (width <= 0 || height <= 0) return;
  if (pixels_.empty() || width_ <= 0 || height_ <= 0) {
    ::FillRect(dc, &place_, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (width == width_ && height == height_) {
    ::SetDIBitsToDevice(dc, place_.left, place_.top, static_cast<DWORD>(width_),
                        static_cast<DWORD>(height_), 0, 0, 0, static_cast<UINT>(height_),
                        pixels_.data(), &info, DIB_RGB_COLORS);
    return;
  }
  ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchDIBits(dc, place_.left, place_.top, width, height, 0, 0, width_, height_, pixels_.data(),
                  &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace scenesaver::platform::win32
