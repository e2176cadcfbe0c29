#include "tools/scenepack/FrameCanvas.h"

namespace scenesaver::scenepack {

FrameCanvas::FrameCanvas(const ScalePlan& plan) : plan_(plan) {
  if (plan_.Identity()) return;
  frame_.assign(static_cast<std::size_t>(plan_.frame_width) * plan_.frame_height, 0u);
}

FrameCanvas::View FrameCanvas::Draw(const raster::Surface& picture) {
  if (plan_.Identity()) return {picture.Row(0), picture.Width()};
  if (plan_.method == ScaleMethod::kNearest) {
    DrawNearest(plan_, picture, frame_);
    return {frame_.data(), plan_.frame_width};
  }
  if (!smooth_) {
    // Area averaging: every source pixel counts, as a smooth reduction should.
    smooth_.reset(sws_getContext(picture.Width(), picture.Height(), AV_PIX_FMT_RGB0, plan_.width,
                                 plan_.height, AV_PIX_FMT_RGB0, SWS_AREA, nullptr, nullptr,
                                 nullptr));
  }
  if (smooth_) {
    const auto* source = reinterpret_cast<const std::uint8_t*>(picture.Row(0));
    const int source_stride = picture.Width() * 4;
    auto* target = reinterpret_cast<std::uint8_t*>(
        frame_.data() + static_cast<std::size_t>(plan_.top) * plan_.frame_width + plan_.left);
    const int target_stride = plan_.frame_width * 4;
    sws_scale(smooth_.get(), &source, &source_stride, 0, picture.Height(), &target, &target_stride);
  }
  return {frame_.data(), plan_.frame_width};
}

}  // namespace scenesaver::scenepack
