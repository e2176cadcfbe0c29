#include "platform/sdl/CoverWindows.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>

namespace platform {

namespace {

// The X server itself paints an exposed cover black, so no desktop pixel shows through even
// before (or without) any drawing by this process.
void MakeBackgroundBlack(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  ::Display* display = info.info.x11.display;
  const ::Window xwindow = info.info.x11.window;
  XSetWindowBackground(display, xwindow, BlackPixel(display, DefaultScreen(display)));
  XClearWindow(display, xwindow);
  XFlush(display);
}

void PaintBlack(SDL_Window* window) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return;
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  SDL_UpdateWindowSurface(window);
}

}  // namespace

void CoverWindows::CoverCurrentDisplays() {
  windows_.clear();
  const int displays = SDL_GetNumVideoDisplays();
  for (int display = 1; display < displays; ++display) {
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(display, &bounds) != 0) continue;
    // The display travels in the position, as several X screens may all start at (0, 0).
    std::unique_ptr<SDL_Window, Destroyer> window(
        SDL_CreateWindow("scenesaver cover", SDL_WINDOWPOS_UNDEFINED_DISPLAY(display),
                         SDL_WINDOWPOS_UNDEFINED_DISPLAY(display), bounds.w, bounds.h,
                         SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP |
                             SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_HIDDEN));
    if (!window) {
      std::fprintf(stderr, "scenesaver: cannot cover display %d: %s\n", display, SDL_GetError());
      continue;
    }
    MakeBackgroundBlack(window.get());
    SDL_ShowWindow(window.get());
    PaintBlack(window.get());
    SDL_RaiseWindow(window.get());
    windows_.push_back(std::move(window));
  }
}

void CoverWindows::Raise() {
  for (const auto& window : windows_) SDL_RaiseWindow(window.get());
}

bool CoverWindows::Owns(Uint32 window_id) const {
  for (const auto& window : windows_) {
    if (SDL_GetWindowID(window.get()) == window_id) return true;
  }
  return false;
}

}  // namespace platform
