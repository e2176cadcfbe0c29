// Preloaded (LD_PRELOAD) into a player by an end-to-end test: SDL_CreateRenderer fails, as on a
// display where no renderer can be had, so that the test sees what the player does then.
#include <SDL.h>

extern "C" SDL_Renderer* SDL_CreateRenderer(SDL_Window* /*window*/, int /*index*/,
                                            Uint32 /*flags*/) {
  SDL_SetError("no renderer on this display (test)");
  return nullptr;
}
