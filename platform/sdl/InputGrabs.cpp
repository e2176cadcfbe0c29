#include "platform/sdl/InputGrabs.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <initializer_list>

namespace scenesaver::platform {

namespace {

::Display* X(void* display) { return static_cast<::Display*>(display); }

constexpr long kAllWorkspaces = 0xFFFFFFFF;

// A request to the window manager about `window`, as the window-manager hints define them.
void AskWindowManager(::Display* display, ::Window window, const char* message,
                      std::initializer_list<long> data) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, message, False);
  event.xclient.format = 32;
  int i = 0;
  for (const long value : data) event.xclient.data.l[i++] = value;
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace

InputGrabs::InputGrabs(SDL_Window* window) : window_(window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  display_ = info.info.x11.display;
  xwindow_ = info.info.x11.window;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(X(display_), xwindow_, &attributes) != 0) {
    XSelectInput(
        X(display_), xwindow_,
        attributes.your_event_mask | VisibilityChangeMask | StructureNotifyMask | FocusChangeMask);
  }
  XFlush(X(display_));
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

InputGrabs::~InputGrabs() { Release(); }

void InputGrabs::Hold() {
  if (display_ == nullptr) return;
  // The window is looked at now and then, whatever the grabs say: one that is not viewable
  // holds no grab, and one the window manager unmapped and never gave back (it crashed and
  // started again meanwhile, say) is asked back, though no event may ever say so.
  const std::uint32_t now = SDL_GetTicks();
  if (now - last_check_ >= kCheckIntervalMs) {
    last_check_ = now;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(X(display_), xwindow_, &attributes) != 0 &&
        attributes.map_state != IsViewable) {
      keyboard_ = pointer_ = false;
      Restore();
      return;
    }
  }
  if (Held()) return;
  if (!keyboard_) {
    keyboard_ = XGrabKeyboard(X(display_), xwindow_, True, GrabModeAsync, GrabModeAsync,
                              CurrentTime) == GrabSuccess;
  }
  if (!pointer_) {
    // Owner events: the show's other windows (the covers) still see their own motion.
    constexpr unsigned kPointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    pointer_ = XGrabPointer(X(display_), xwindow_, True, kPointerEvents, GrabModeAsync,
                            GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
  }
  XFlush(X(display_));
}

void InputGrabs::Release() {
  if (display_ == nullptr) return;
  if (keyboard_) XUngrabKeyboard(X(display_), CurrentTime);
  if (pointer_) XUngrabPointer(X(display_), CurrentTime);
  keyboard_ = pointer_ = false;
  XFlush(X(display_));
}

InputGrabs::Displacement InputGrabs::Classify(const SDL_Event& event) {
  if (event.type == SDL_WINDOWEVENT && event.window.windowID == SDL_GetWindowID(window_)) {
    switch (event.window.event) {
      case SDL_WINDOWEVENT_HIDDEN:
      case SDL_WINDOWEVENT_MINIMIZED:
        keyboard_ = pointer_ = false;
        return Displacement::kUnmapped;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        return Displacement::kCovered;
      default:
        return Displacement::kNone;
    }
  }
  if (event.type != SDL_SYSWMEVENT || event.syswm.msg == nullptr ||
      event.syswm.msg->subsystem != SDL_SYSWM_X11) {
    return Displacement::kNone;
  }
  const XEvent& x = event.syswm.msg->msg.x11.event;
  switch (x.type) {
    case UnmapNotify:
      if (x.xunmap.window != xwindow_) break;
      keyboard_ = pointer_ = false;
      return Displacement::kUnmapped;
    case VisibilityNotify:
      if (x.xvisibility.window != xwindow_) break;
      if (x.xvisibility.state == VisibilityUnobscured) break;
      return Displacement::kCovered;
    case FocusOut:
      // A grab of ours that ended without our asking: the window (or its frame) stopped being
      // viewable.
      if (x.xfocus.window == xwindow_ && x.xfocus.mode == NotifyUngrab) keyboard_ = false;
      break;
    default:
      break;
  }
  return Displacement::kNone;
}

// Only requests that wait for nothing: SDL's show and restore block until the window is mapped,
// which a window manager may put off for ever (openbox in the middle of its window cycling
// did), and a show blocked there is a lock no password opens. Mapping an iconified window asks
// the window manager to de-iconify it; _NET_ACTIVE_WINDOW asks it to leave "show desktop" and
// bring the window forward.
void InputGrabs::Restore() {
  last_check_ = SDL_GetTicks();
  SDL_RaiseWindow(window_);
  if (display_ != nullptr) {
    ::Display* display = X(display_);
    XMapRaised(display, xwindow_);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, xwindow_, &attributes) != 0 &&
        attributes.map_state != IsViewable) {
      // Mapped but not viewable: on another workspace, or hidden by "show desktop". Onto every
      // workspace, and out of "show desktop" (asked only then: the window manager may remap a
      // window whose workspace changes, which would let the grabs go for a moment).
      AskWindowManager(display, xwindow_, "_NET_WM_DESKTOP", {kAllWorkspaces, 2});
      AskWindowManager(display, DefaultRootWindow(display), "_NET_SHOWING_DESKTOP", {0});
    }
    // Brought forward, from a pager-like source, which is obeyed without focus checks.
    AskWindowManager(display, xwindow_, "_NET_ACTIVE_WINDOW", {2, CurrentTime});
    XFlush(display);
  }
  Hold();
}

}  // namespace scenesaver::platform
