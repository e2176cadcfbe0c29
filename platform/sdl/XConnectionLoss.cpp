#include "platform/sdl/XConnectionLoss.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>

#include "platform/posix/ExtractFolder.h"

namespace scenesaver::platform {

namespace {

// Xlib ends the process when this returns, so it never does.
int OnConnectionLost(::Display* /*display*/) {
  ExtractFolder::CleanUpAllNow();
  std::fputs("scenesaver: the connection to the X display was lost\n", stderr);
  std::fflush(stderr);
  ::_exit(1);
}

}  // namespace

XConnectionLoss::XConnectionLoss()
    : previous_(reinterpret_cast<Handler>(XSetIOErrorHandler(OnConnectionLost))) {}

XConnectionLoss::~XConnectionLoss() {
  XSetIOErrorHandler(reinterpret_cast<XIOErrorHandler>(previous_));
}

void XConnectionLoss::Reinstall() { XSetIOErrorHandler(OnConnectionLost); }

}  // namespace scenesaver::platform
