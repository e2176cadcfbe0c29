#include "platform/sdl/PresentationWindow.h"

#include <algorithm>

#include "platform/sdl/ForeignWindow.h"

namespace scenesaver::platform {

namespace {

// Room around the picture in a fresh trial window, and its smallest size.
constexpr int kWindowMargin = 32;
constexpr int kSmallestWindow = 320;

}  // namespace

SDL_Window* OpenPresentationWindow(const SdlShowOptions& options, SDL_Point screen,
                                   SDL_Point picture) {
  switch (options.mode) {
    case SdlWindowMode::kFullScreen:
      return SDL_CreateWindow(
          "scenesaver", 0, 0, screen.x, screen.y,
          SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_HIDDEN);
    case SdlWindowMode::kWindowed: {
      const int width = std::max(picture.x + 2 * kWindowMargin, kSmallestWindow);
      const int height = std::max(picture.y + 2 * kWindowMargin, kSmallestWindow);
      return SDL_CreateWindow("scenesaver", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                              height, SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    }
    case SdlWindowMode::kForeign: {
      SDL_Window* window = SDL_CreateWindowFrom(
          reinterpret_cast<const void*>(static_cast<std::uintptr_t>(options.foreign_window)));
      if (window != nullptr) WatchForeignWindow(window);
      return window;
    }
  }
  return nullptr;
}

SDL_Renderer* OpenPresentationRenderer(SDL_Window* window, SdlWindowMode mode) {
  // A foreign window keeps the visual its owner gave it, which OpenGL may not accept; SDL's
  // software renderer draws into any. Elsewhere, under Xvfb the default (OpenGL on the software
  // rasteriser) presents a full screen in about 8 ms, the software renderer in about 18 ms.
  if (mode != SdlWindowMode::kForeign) {
    if (SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0)) return renderer;
  }
  // ...and without this hint SDL would put the software renderer's frames on screen through
  // OpenGL after all, which stalls once the foreign window is destroyed.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
}

SDL_Rect CentredPicture(SDL_Point output, SDL_Point picture) {
  return {output.x / 2 - picture.x / 2, output.y / 2 - picture.y / 2, picture.x, picture.y};
}

}  // namespace scenesaver::platform
