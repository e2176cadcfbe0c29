#include "platform/sdl/DesktopHost.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <string>

#include "platform/posix/UserConfig.h"
#include "platform/sdl/GtkDialogs.h"
#include "platform/sdl/SdlShowHost.h"

namespace scenesaver::platform {

namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
struct XFreeDeleter {
  void operator()(unsigned char* data) const { XFree(data); }
};

std::int64_t ActiveWindow() {
  std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) return 0;
  const Atom active = XInternAtom(display.get(), "_NET_ACTIVE_WINDOW", True);
  if (active == None) return 0;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* raw = nullptr;
  const int status =
      XGetWindowProperty(display.get(), DefaultRootWindow(display.get()), active, 0, 1, False,
                         XA_WINDOW, &type, &format, &count, &remaining, &raw);
  const std::unique_ptr<unsigned char, XFreeDeleter> data(raw);
  if (status != Success || type != XA_WINDOW || format != 32 || count < 1 || !data) return 0;
  // Format-32 properties arrive as an array of long.
  return static_cast<std::int64_t>(*reinterpret_cast<const unsigned long*>(data.get()));
}

}  // namespace

DesktopHost::DesktopHost() = default;
DesktopHost::~DesktopHost() = default;

void DesktopHost::MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
  GtkMessageBox(text, caption, icon);
}

std::int64_t DesktopHost::GetForegroundWindow() { return ActiveWindow(); }

void DesktopHost::PwdChangePasswordA(std::string_view key_name, std::int64_t parent_window) {
  GtkPasswordChangeDialog(key_name, parent_window);
}

base::Result<void> DesktopHost::ShowSettingsModal(SettingsForm& form) {
  return GtkSettingsDialogModal(form);
}

base::Result<ShowHost*> DesktopHost::Show() {
  if (show_failure_) return base::Error{*show_failure_};
  if (!show_) {
    SdlShowOptions options;
    std::string problem;
    options.scale = ReadScaleSetting(&problem);
    if (!problem.empty()) ReportFailure(problem);
    base::Result<std::unique_ptr<ShowHost>> made = MakeSdlShowHost(std::move(options));
    // No window or renderer to be had: said on standard error, and the player ends at once.
    if (!made) {
      show_failure_ = "no window to show the saver in: " + made.error();
      return base::Error{*show_failure_};
    }
    show_ = std::move(made).value();
  }
  return show_.get();
}

bool DesktopHost::CoverScreensForShow() {
  const base::Result<ShowHost*> show = Show();
  return show && show.value()->CoverScreens();
}

void DesktopHost::ReportFailure(std::string_view text) {
  std::fprintf(stderr, "scenesaver: %.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace scenesaver::platform
