// The window the show is drawn in, for each window mode.
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

}  // namespace scenesaver::platform
