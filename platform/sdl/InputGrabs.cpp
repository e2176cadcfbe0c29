#include "platform/sdl/InputGrabs.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <initializer_list>

namespace scenesaver::platform {

namespace {

::Display* X(void* display) { return static_cast<::Display*>(display); }

constexpr long kAllWorkspaces = 0xFFFFFFFF;

// What the pointer grab reports of input outside the show's windows (to the root).
constexpr unsigned kPointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

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

bool Viewable(::Display* display, ::Window window) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display, window, &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

void AddInput(::Display* display, ::Window window, long mask) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) != 0) {
    XSelectInput(display, window, attributes.your_event_mask | mask);
  }
}

int IgnoreError(::Display* /*display*/, XErrorEvent* /*error*/) { return 0; }

// Focusing a window fails when it has just stopped being viewable; that failure is no loss of
// the window, so it stays away from the process's own X error handler.
void FocusQuietly(::Display* display, ::Window window) {
  XSync(display, False);
  const XErrorHandler previous = XSetErrorHandler(IgnoreError);
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XSync(display, False);
  XSetErrorHandler(previous);
}

}  // namespace

InputGrabs::InputGrabs(SDL_Window* window) : window_(window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  display_ = info.info.x11.display;
  xwindow_ = info.info.x11.window;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(X(display_), xwindow_, &attributes) == 0) {
    display_ = nullptr;
    return;
  }
  root_ = attributes.root;
  AddInput(X(display_), xwindow_, VisibilityChangeMask | StructureNotifyMask | FocusChangeMask);
  // The root hears of grabs that ended while the focus or the pointer was elsewhere.
  AddInput(X(display_), root_, FocusChangeMask | EnterWindowMask | LeaveWindowMask);
  XFlush(X(display_));
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  SDL_AddEventWatch(WatchEvent, this);
}

InputGrabs::~InputGrabs() {
  if (display_ != nullptr) SDL_DelEventWatch(WatchEvent, this);
  Release();
}

int InputGrabs::WatchEvent(void* grabs, SDL_Event* event) {
  auto& self = *static_cast<InputGrabs*>(grabs);
  if (event->type == SDL_WINDOWEVENT && (event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED ||
                                         event->window.event == SDL_WINDOWEVENT_FOCUS_LOST)) {
    // SDL has just let both grabs go, as it does on every focus change of its windows.
    self.keyboard_ = self.pointer_ = false;
  } else if (event->type == SDL_SYSWMEVENT && event->syswm.msg != nullptr &&
             event->syswm.msg->subsystem == SDL_SYSWM_X11) {
    // How the server reports a grab that ended; SDL itself also lets both go whenever the
    // pointer enters one of its windows, which an ended pointer grab reports as well.
    const XEvent& x = event->syswm.msg->msg.x11.event;
    if ((x.type == FocusIn || x.type == FocusOut) && x.xfocus.mode == NotifyUngrab) {
      self.keyboard_ = false;
    } else if ((x.type == EnterNotify && x.xcrossing.window != self.root_) ||
               (x.type == LeaveNotify && x.xcrossing.mode == NotifyUngrab)) {
      self.keyboard_ = self.pointer_ = false;
    }
  }
  return 1;
}

void InputGrabs::Grab() {
  if (!keyboard_) {
    keyboard_ = XGrabKeyboard(X(display_), root_, True, GrabModeAsync, GrabModeAsync,
                              CurrentTime) == GrabSuccess;
  }
  if (!pointer_) {
    pointer_ = XGrabPointer(X(display_), root_, True, kPointerEvents, GrabModeAsync, GrabModeAsync,
                            None, None, CurrentTime) == GrabSuccess;
  }
  XFlush(X(display_));
}

void InputGrabs::Hold() {
  if (display_ == nullptr) return;
  // The window, the focus and the grabs are looked at now and then, whatever the events said: a
  // window the window manager unmapped and never gave back (it crashed and started again
  // meanwhile, say) is asked back, though no event may ever say so, and a grab that something
  // let go unnoticed is taken again (grabbing what is held changes nothing).
  const std::uint32_t now = SDL_GetTicks();
  if (now - last_check_ >= kCheckIntervalMs) {
    last_check_ = now;
    keyboard_ = pointer_ = false;
    if (!Viewable(X(display_), xwindow_)) {
      Restore();
      return;
    }
    Refocus();
  }
  if (!Held()) Grab();
}

void InputGrabs::Release() {
  if (display_ == nullptr) return;
  XUngrabKeyboard(X(display_), CurrentTime);
  XUngrabPointer(X(display_), CurrentTime);
  keyboard_ = pointer_ = false;
  XFlush(X(display_));
}

void InputGrabs::Refocus() {
  ::Window focus = None;
  int revert = 0;
  XGetInputFocus(X(display_), &focus, &revert);
  // With the focus following the pointer (no window manager), keys go to whichever of the
  // show's windows the pointer is in.
  if (focus == xwindow_ || focus == PointerRoot) return;
  if (Viewable(X(display_), xwindow_)) FocusQuietly(X(display_), xwindow_);
}

InputGrabs::Displacement InputGrabs::Classify(const SDL_Event& event) {
  if (event.type == SDL_WINDOWEVENT && event.window.windowID == SDL_GetWindowID(window_)) {
    switch (event.window.event) {
      case SDL_WINDOWEVENT_HIDDEN:
      case SDL_WINDOWEVENT_MINIMIZED:
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
      return Displacement::kUnmapped;
    case VisibilityNotify:
      if (x.xvisibility.window != xwindow_) break;
      if (x.xvisibility.state == VisibilityUnobscured) break;
      return Displacement::kCovered;
    case KeyPress:
    case ButtonPress:
      if (x.xany.window == root_ && display_ != nullptr) return Displacement::kMisdirected;
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
    if (!Viewable(display, xwindow_)) {
      // Mapped but not viewable: on another workspace, or hidden by "show desktop". Onto every
      // workspace, and out of "show desktop" (asked only then: the window manager may remap a
      // window whose workspace changes).
      AskWindowManager(display, xwindow_, "_NET_WM_DESKTOP", {kAllWorkspaces, 2});
      AskWindowManager(display, DefaultRootWindow(display), "_NET_SHOWING_DESKTOP", {0});
    }
    // Brought forward, from a pager-like source, which is obeyed without focus checks.
    AskWindowManager(display, xwindow_, "_NET_ACTIVE_WINDOW", {2, CurrentTime});
    XFlush(display);
    // Without a window manager, or with one that does not answer, the focus is taken back here
    // (once the window is viewable again; until then, keys reach the root and count as input).
    Refocus();
  }
  Hold();
}

}  // namespace scenesaver::platform
