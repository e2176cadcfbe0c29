// The X display the desktop backend draws on: the player and scenepack's play check it first
// and, when it cannot be used, say so on standard error and end, rather than run with nothing
// on the screen.
#pragma once

#include <optional>
#include <string>

struct _XDisplay;

namespace scenesaver::platform {

// A connection to the display DISPLAY names, held for as long as the object lives. Held, not
// just tried: an X server resets when its last client leaves, and a connection opened and
// closed at once could make it reset just as the show's or a dialog's own connection arrives.
class X11DisplayConnection {
 public:
  X11DisplayConnection();
  ~X11DisplayConnection();
  X11DisplayConnection(const X11DisplayConnection&) = delete;
  X11DisplayConnection& operator=(const X11DisplayConnection&) = delete;

  // Why the display cannot be used, in words for standard error; nullopt when it is open.
  const std::optional<std::string>& Problem() const { return problem_; }
  // The connection; null when there is a problem.
  _XDisplay* Get() const { return display_; }

 private:
  _XDisplay* display_ = nullptr;
  std::optional<std::string> problem_;
};

}  // namespace scenesaver::platform
