// The window the show is drawn in, for each window mode, and where Picture1 lands in it.
#pragma once

#include <SDL.h>

#include "platform/sdl/SdlShowHost.h"

namespace scenesaver::platform {

// A hidden window (or, in kForeign mode, SDL's view of the foreign window); nullptr with SDL's
// error set on failure. `screen` is the primary display's size, `picture` Picture1's.
SDL_Window* OpenPresentationWindow(const SdlShowOptions& options, SDL_Point screen,
                                   SDL_Point picture);

// The renderer for that window; nullptr with SDL's error set on failure.
SDL_Renderer* OpenPresentationRenderer(SDL_Window* window, SdlWindowMode mode);

// Picture1 centred in an output of the given size, halves truncated term by term as in the
// full-screen placement.
SDL_Rect CentredPicture(SDL_Point output, SDL_Point picture);

}  // namespace scenesaver::platform
