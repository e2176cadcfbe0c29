// The show's picture on its window: kept as last shown, scaled to the window, put on the screen
// through MIT-SHM where the display allows it, else through an SDL renderer (which the password
// prompt also draws with). Shown 1:1 and whole through MIT-SHM, the picture is kept only in the
// shared image, and the copy of it here is brought up to date when something needs it.
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
  // Shows `part` of the picture straight from it through MIT-SHM when the picture is placed
  // whole at 1:1; false when it must go through the kept copy instead.
  bool PresentDirectly(const raster::Surface& picture, const Rect& part);
  // Brings the kept copy up to date from the shared image.
  void CatchUp();

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
  // The part of shown_ that only the shared image holds, and the placement it was shown with.
  Rect behind_;
  Placement behind_placement_;
  bool blank_ = false;
};

}  // namespace scenesaver::platform
