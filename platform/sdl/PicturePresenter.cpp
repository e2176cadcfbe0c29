#include "platform/sdl/PicturePresenter.h"

#include <algorithm>
#include <cstring>

#include "platform/sdl/PresentPixels.h"
#include "platform/sdl/ShmPresenter.h"

namespace scenesaver::platform {

PicturePresenter::PicturePresenter(SDL_Window* window, SDL_Renderer* renderer, ScaleMode scale,
                                   bool shm_allowed)
    : window_(window),
      renderer_(renderer),
      scale_(scale),
      shm_(shm_allowed ? ShmPresenter::Open(window) : nullptr) {}

PicturePresenter::~PicturePresenter() = default;

Size PicturePresenter::OutputSize() const {
  if (shm_) return shm_->WindowSize();
  int width = 0;
  int height = 0;
  if (SDL_GetRendererOutputSize(renderer_, &width, &height) != 0) {
    SDL_GetWindowSize(window_, &width, &height);
  }
  return {width, height};
}

Placement PicturePresenter::CurrentPlacement() const {
  return PlacePicture(OutputSize(), {shown_.Width(), shown_.Height()}, scale_);
}

void PicturePresenter::Show(const raster::Surface& picture, const Rect& changed) {
  const Size size{picture.Width(), picture.Height()};
  Rect part = ClipTo(changed, size);
  if (shown_.Width() != size.width || shown_.Height() != size.height) {
    shown_ = picture;
    behind_ = {};
    part = {0, 0, size.width, size.height};
    texture_stale_ = true;
    // A new size leaves margins elsewhere.
    Redraw();
    return;
  }
  if (PresentDirectly(picture, part)) return;
  CatchUp();
  for (std::int32_t y = part.top; y < part.Bottom(); ++y) {
    std::memcpy(shown_.Row(y) + part.left, picture.Row(y) + part.left,
                static_cast<std::size_t>(part.width) * sizeof(std::uint32_t));
  }
  if (blank_) return;
  if (shm_) {
    shm_->Present(shown_, CurrentPlacement(), part, false);
    texture_stale_ = true;
  } else {
    PresentWithRenderer(part);
  }
}

bool PicturePresenter::PresentDirectly(const raster::Surface& picture, const Rect& part) {
  if (!shm_ || blank_) return false;
  const Placement placement = CurrentPlacement();
  const Size size{picture.Width(), picture.Height()};
  if (!PlacedWholeOneToOne(placement, size, shm_->WindowSize())) return false;
  // The image keeps what the kept copy lacks only while one placement holds for all of it.
  if (!behind_.Empty() && placement != behind_placement_) CatchUp();
  if (!shm_->Present(picture, placement, part, false)) return false;
  behind_ = Union(behind_, part);
  behind_placement_ = placement;
  texture_stale_ = true;
  return true;
}

void PicturePresenter::CatchUp() {
  if (behind_.Empty()) return;
  if (shm_) shm_->ReadBack(shown_, behind_placement_, behind_);
  behind_ = {};
}

void PicturePresenter::Redraw() {
  CatchUp();
  const Rect whole{0, 0, shown_.Width(), shown_.Height()};
  if (shm_ && !blank_) {
    shm_->Present(shown_, CurrentPlacement(), whole, true);
    return;
  }
  texture_stale_ = true;
  PresentWithRenderer(whole);
}

void PicturePresenter::WindowResized() {
  CatchUp();  // before the image of the old size goes
  if (shm_) shm_->ReadWindowSize();
  Redraw();
}

void PicturePresenter::Blank() {
  CatchUp();
  blank_ = true;
  shm_.reset();  // the renderer draws the black window from now on
}

void PicturePresenter::PresentWithRenderer(const Rect& changed) {
  // The texture takes only the changed part; a stale one is filled whole while drawing.
  if (texture_ && !texture_stale_ && !changed.Empty()) {
    const SDL_Rect part{changed.left, changed.top, changed.width, changed.height};
    SDL_UpdateTexture(texture_.get(), &part, shown_.Row(changed.top) + changed.left,
                      shown_.Width() * static_cast<int>(sizeof(std::uint32_t)));
  }
  DrawWithRenderer();
  SDL_RenderPresent(renderer_);
}

void PicturePresenter::DrawWithRenderer() {
  CatchUp();
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 0xFF);
  SDL_RenderClear(renderer_);
  if (blank_ || shown_.Width() <= 0 || shown_.Height() <= 0) return;
  int width = 0;
  int height = 0;
  if (texture_) SDL_QueryTexture(texture_.get(), nullptr, nullptr, &width, &height);
  if (!texture_ || width != shown_.Width() || height != shown_.Height()) {
    texture_.reset(SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XBGR8888,
                                     SDL_TEXTUREACCESS_STREAMING, shown_.Width(), shown_.Height()));
    texture_stale_ = true;
  }
  if (!texture_) return;
  const Placement placement = CurrentPlacement();
  if (texture_stale_) {
    SDL_UpdateTexture(texture_.get(), nullptr, shown_.Pixels().data(),
                      shown_.Width() * static_cast<int>(sizeof(std::uint32_t)));
    texture_stale_ = false;
  }
  SDL_SetTextureScaleMode(texture_.get(),
                          placement.factor >= 1 ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  const SDL_Rect place{placement.area.left, placement.area.top, placement.area.width,
                       placement.area.height};
  SDL_RenderCopy(renderer_, texture_.get(), nullptr, &place);
}

}  // namespace scenesaver::platform
