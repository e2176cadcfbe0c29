// The show's picture on its window: kept as last shown, scaled to the window, put on the screen
// through MIT-SHM where the display allows it, else through an SDL renderer (which the password
// prompt also draws with).
#pragma once

#include <SDL.h>

#include <memory>

#include "platform/Geometry.h"
#include "platform/PresentScale.h"
#include "raster/Surface.h"

namespace scenesaver::platform {

class ShmPresenter;

class PicturePresenter {
 public:
  // `renderer` belongs to `window`; both outlive the presenter. `shm_allowed`: try MIT-SHM.
  PicturePresenter(SDL_Window* window, SDL_Renderer* renderer, ScaleMode scale, bool shm_allowed);
  ~PicturePresenter();
  PicturePresenter(const PicturePresenter&) = delete;
  PicturePresenter& operator=(const PicturePresenter&) = delete;

  // Shows the picture, of which only `changed` differs from the last one shown.
  void Show(const raster::Surface& picture, const Rect& changed);
  // Shows the last picture again over the whole window (exposed, resized, after the prompt).
  void Redraw();
  // The window changed size: the next present places the picture anew.
  void WindowResized();
  // From now on the window shows black only.
  void Blank();
  // True after Blank(): the window shows black only.
  bool IsBlank() const { return blank_; }
  // Draws the window's content with the renderer, without presenting (the prompt's backdrop).
  void DrawWithRenderer();
  // The window's size in pixels.
  Size OutputSize() const;
  bool UsesSharedMemory() const { return shm_ != nullptr; }

 private:
  Placement CurrentPlacement() const;
  void PresentWithRenderer(const Rect& changed);

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  ScaleMode scale_;
  std::unique_ptr<ShmPresenter> shm_;
  struct TextureDestroyer {
    void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
  };
  std::unique_ptr<SDL_Texture, TextureDestroyer> texture_;
  bool texture_stale_ = true;
  raster::Surface shown_;
  bool blank_ = false;
};

}  // namespace scenesaver::platform
