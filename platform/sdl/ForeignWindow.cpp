#include "platform/sdl/ForeignWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#include "platform/posix/WindowId.h"

namespace scenesaver::platform {

namespace {

struct DisplayCloser {
  void operator()(::Display* display) const { XCloseDisplay(display); }
};

volatile bool window_lost = false;
XErrorHandler previous_handler = nullptr;

int RememberError(::Display* /*display*/, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable ||
      error->error_code == BadMatch) {
    window_lost = true;
  }
  return 0;
}

std::optional<std::pair<::Display*, ::Window>> X11Of(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
    return std::nullopt;
  }
  return std::make_pair(info.info.x11.display, info.info.x11.window);
}

}  // namespace

std::optional<std::uint64_t> XScreenSaverWindow() {
  if (const char* named = std::getenv("XSCREENSAVER_WINDOW"); named != nullptr && *named != 0) {
    if (const auto id = ParseWindowId(named)) return *id;
    return std::nullopt;
  }
  const std::unique_ptr<::Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) return std::nullopt;
  return DefaultRootWindow(display.get());
}

std::optional<std::string> ForeignWindowProblem(const X11DisplayConnection& display,
                                                std::uint64_t window) {
  if (display.Problem()) return display.Problem();
  char id[32];
  std::snprintf(id, sizeof id, "0x%llx", static_cast<unsigned long long>(window));
  // A window id beyond what X11 ids hold names no window.
  if (window == 0 || window > 0xFFFFFFFFULL) return std::string("no window ") + id + " to draw in";
  // Asking about a missing window draws an X error, which the trap turns into a false answer.
  const XErrorTrap trap;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display.Get(), static_cast<::Window>(window), &attributes) == 0 ||
      XErrorTrap::WindowLost()) {
    return std::string("no window ") + id + " to draw in";
  }
  return std::nullopt;
}

XErrorTrap::XErrorTrap() {
  window_lost = false;
  previous_handler = XSetErrorHandler(RememberError);
}

XErrorTrap::~XErrorTrap() { XSetErrorHandler(previous_handler); }

bool XErrorTrap::WindowLost() { return window_lost; }

void WatchForeignWindow(SDL_Window* window) {
  const auto x11 = X11Of(window);
  if (!x11) return;
  const auto [display, xwindow] = *x11;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, xwindow, &attributes) == 0) return;
  // Event masks are per client: this adds to what SDL's own connection already selected.
  XSelectInput(display, xwindow, attributes.your_event_mask | StructureNotifyMask | ExposureMask);
  XFlush(display);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

void ProbeForeignWindow(SDL_Window* window) {
  const auto x11 = X11Of(window);
  if (!x11) return;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(x11->first, x11->second, &attributes) == 0) window_lost = true;
}

bool IsDestructionOf(const SDL_Event& event, SDL_Window* window) {
  if (event.type != SDL_SYSWMEVENT || event.syswm.msg == nullptr ||
      event.syswm.msg->subsystem != SDL_SYSWM_X11) {
    return false;
  }
  const XEvent& xevent = event.syswm.msg->msg.x11.event;
  if (xevent.type != DestroyNotify) return false;
  const auto x11 = X11Of(window);
  return x11 && xevent.xdestroywindow.window == x11->second;
}

}  // namespace scenesaver::platform
