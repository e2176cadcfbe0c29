// Run by the lock tests: tries to take the keyboard and the pointer as another client would (a
// window manager's shortcut activates the same way), lets go of whatever it got, and prints
// "keyboard held" or "keyboard free", then "pointer held" or "pointer free": held means another
// client has the grab. Exit status 2 when the display does not open.
#include <X11/Xlib.h>

#include <cstdio>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("grab_probe: no X display\n", stderr);
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  const bool keyboard =
      XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
  const bool pointer = XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync,
                                    GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
  if (keyboard) XUngrabKeyboard(display, CurrentTime);
  if (pointer) XUngrabPointer(display, CurrentTime);
  XCloseDisplay(display);
  std::printf("keyboard %s\npointer %s\n", keyboard ? "free" : "held", pointer ? "free" : "held");
  return 0;
}
