#include "platform/sdl/CoverWindows.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <cstdio>

namespace scenesaver::platform {

namespace {

constexpr long kCoverInput = KeyPressMask | ButtonPressMask | PointerMotionMask | EnterWindowMask |
                             ExposureMask | StructureNotifyMask;

::Display* XDisplayOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
      info.subsystem != SDL_SYSWM_X11) {
    return nullptr;
  }
  return info.info.x11.display;
}

// The X screen a display belongs to. With one X screen per monitor (several screens, each
// starting at (0, 0)), SDL numbers the displays in screen order; otherwise all share one.
int XScreenOf(::Display* display, int display_index) {
  return ScreenCount(display) > 1 && display_index < ScreenCount(display) ? display_index
                                                                          : DefaultScreen(display);
}

}  // namespace

void BlackUnderneath(SDL_Window* window) {
  ::Display* display = XDisplayOf(window);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (display == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE) return;
  const ::Window xwindow = info.info.x11.window;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, xwindow, &attributes) == 0) return;
  XSetWindowBackground(display, xwindow, BlackPixelOfScreen(attributes.screen));
  XClearWindow(display, xwindow);
  XSync(display, False);
}

CoverWindows::~CoverWindows() { Drop(); }

void CoverWindows::Drop() {
  ::Display* display = XDisplayOf(show_);
  for (const Cover& cover : covers_) {
    if (cover.window != nullptr) SDL_DestroyWindow(cover.window);
    if (display != nullptr) XDestroyWindow(display, cover.xwindow);
  }
  if (display != nullptr) XFlush(display);
  covers_.clear();
}

// The covers are X windows of our own, made on the right X screen (SDL places a window by its
// position only, which cannot tell apart screens that all start at (0, 0)). They bypass any
// window manager (no frame, above ordinary windows), and the X server itself paints them black,
// so no desktop pixel shows through even before anything is drawn.
void CoverWindows::CoverCurrentDisplays() {
  Drop();
  ::Display* display = XDisplayOf(show_);
  if (display == nullptr) return;
  const int displays = SDL_GetNumVideoDisplays();
  for (int index = 1; index < displays; ++index) {
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(index, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) continue;
    const int screen = XScreenOf(display, index);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = kCoverInput;
    const ::Window xwindow = XCreateWindow(
        display, RootWindow(display, screen), bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
        static_cast<unsigned>(bounds.h), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XMapRaised(display, xwindow);
    XSync(display, False);
    Cover cover{xwindow, SDL_CreateWindowFrom(
                             reinterpret_cast<const void*>(static_cast<std::uintptr_t>(xwindow)))};
    if (cover.window == nullptr) {
      std::fprintf(stderr, "scenesaver: display %d covered without input: %s\n", index,
                   SDL_GetError());
    }
    // SDL may have chosen its own events for the window; ask for ours as well.
    XWindowAttributes now{};
    if (XGetWindowAttributes(display, xwindow, &now) != 0) {
      XSelectInput(display, xwindow, now.your_event_mask | kCoverInput);
    }
    covers_.push_back(cover);
  }
  XFlush(display);
}

void CoverWindows::Raise() {
  ::Display* display = XDisplayOf(show_);
  if (display == nullptr) return;
  for (const Cover& cover : covers_) XRaiseWindow(display, cover.xwindow);
  XFlush(display);
}

}  // namespace scenesaver::platform
