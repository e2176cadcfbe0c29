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
      // The picture with room around it, but never larger than the display's usable area
      // (the picture is scaled down to fit then), and placed inside that area.
      SDL_Rect usable{0, 0, screen.x, screen.y};
      SDL_GetDisplayUsableBounds(0, &usable);
      int width = std::max(picture.x + 2 * kWindowMargin, kSmallestWindow);
      int height = std::max(picture.y + 2 * kWindowMargin, kSmallestWindow);
      int top_border = 0;
      int left_border = 0;
      int bottom_border = 0;
      int right_border = 0;
      width = std::max(1, std::min(width, usable.w));
      height = std::max(1, std::min(height, usable.h));
      SDL_Window* window = SDL_CreateWindow("scenesaver", usable.x + (usable.w - width) / 2,
                                            usable.y + (usable.h - height) / 2, width, height,
                                            SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
      // A window manager's frame takes room too: shrink the window so that frame and all fit.
      if (window != nullptr &&
          SDL_GetWindowBordersSize(window, &top_border, &left_border, &bottom_border,
                                   &right_border) == 0 &&
          (top_border + bottom_border > 0 || left_border + right_border > 0)) {
        width = std::max(1, std::min(width, usable.w - left_border - right_border));
        height = std::max(1, std::min(height, usable.h - top_border - bottom_border));
        SDL_SetWindowSize(window, width, height);
        SDL_SetWindowPosition(
            window, usable.x + left_border + (usable.w - left_border - right_border - width) / 2,
            usable.y + top_border + (usable.h - top_border - bottom_border - height) / 2);
      }
      return window;
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

}  // namespace scenesaver::platform
