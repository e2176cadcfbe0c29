// Puts the show's picture on an X11 window through a shared-memory image (MIT-SHM), the
// cheapest way to a local X server, and only the part that changed.
#pragma once

#include <memory>

#include "platform/Geometry.h"
#include "platform/PresentScale.h"
#include "raster/Surface.h"

struct SDL_Window;

namespace scenesaver::platform {

class ShmPresenter {
 public:
  // nullptr when the window is not an X11 one, the display is not local (no MIT-SHM), its
  // visual is not 32-bit true colour, or the server refuses the segment: the caller presents
  // another way then.
  static std::unique_ptr<ShmPresenter> Open(SDL_Window* window);
  ~ShmPresenter();
  ShmPresenter(const ShmPresenter&) = delete;
  ShmPresenter& operator=(const ShmPresenter&) = delete;

  // The window's size as last read (ReadWindowSize).
  Size WindowSize() const;
  // Asks the server for the window's size again (after a resize); a round trip.
  void ReadWindowSize();

  // Shows `changed` (picture pixels) of the picture as `placement` places it, and with
  // `with_margins` blackens the rest of the window too. Waits until the server has done so.
  // False when no image could be made for the window's size (nothing was shown).
  bool Present(const raster::Surface& picture, const Placement& placement, const Rect& changed,
               bool with_margins);
  // Reads `part` of the picture last presented with `placement` back from the image, which
  // keeps it between presents; only for a placement that PlacedWholeOneToOne accepts for the
  // image's size. False when there is no such image (the window was resized since).
  bool ReadBack(raster::Surface& picture, const Placement& placement, const Rect& part) const;

 private:
  struct Parts;
  explicit ShmPresenter(std::unique_ptr<Parts> parts);
  bool Resize(Size window);

  std::unique_ptr<Parts> parts_;
};

}  // namespace scenesaver::platform
