// Drawing into a window another program owns (XScreenSaver's): finding it, watching its size,
// and surviving its destruction.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sdl/X11Display.h"

struct SDL_Window;
union SDL_Event;

namespace scenesaver::platform {

// The window $XSCREENSAVER_WINDOW names (decimal or 0x hex), else the root window of the
// default X display; nullopt when neither can be had.
std::optional<std::uint64_t> XScreenSaverWindow();

// Why the show cannot draw into the X window `window` of `display`: no display, or no such
// window on it; nullopt when the window is there.
std::optional<std::string> ForeignWindowProblem(const X11DisplayConnection& display,
                                                std::uint64_t window);

// While an object lives, an X protocol error no longer ends the process (Xlib's default
// handler does): it is remembered instead, so that a show whose window has been destroyed can
// end cleanly. Only one object may live at a time.
class XErrorTrap {
 public:
  XErrorTrap();
  ~XErrorTrap();
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

  // True once an error about a window or drawable has arrived (the foreign window is gone).
  static bool WindowLost();
};

// Asks the X server to tell SDL when `window` (an SDL window made from a foreign one) changes
// size, is exposed or is destroyed, on top of what is already asked for it. Destruction then
// arrives as an SDL_SYSWMEVENT (see IsDestructionOf).
void WatchForeignWindow(SDL_Window* window);

// Asks the X server whether the window behind `window` still exists; when it does not,
// XErrorTrap::WindowLost() turns true. A round trip: call it now and then, not per frame.
void ProbeForeignWindow(SDL_Window* window);

// True when `event` reports that the X window behind `window` has been destroyed.
bool IsDestructionOf(const SDL_Event& event, SDL_Window* window);

}  // namespace scenesaver::platform
