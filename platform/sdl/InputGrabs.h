// Keeping a locked show in front: while the show (or its password prompt) is up with the
// password in use, the show's window holds the X keyboard and pointer grabs, so that window-
// manager shortcuts reach the show as ordinary input, and the window is mapped and raised again
// whenever something unmaps, iconifies or covers it.
#pragma once

#include <cstdint>

struct SDL_Window;
union SDL_Event;

namespace scenesaver::platform {

class InputGrabs {
 public:
  // Asks for the window's visibility and structure changes on SDL's own X connection; they
  // arrive as SDL_SYSWMEVENTs. Nothing is grabbed yet.
  explicit InputGrabs(SDL_Window* window);
  ~InputGrabs();
  InputGrabs(const InputGrabs&) = delete;
  InputGrabs& operator=(const InputGrabs&) = delete;

  // Grabs what is not held yet; another client's grab, or an unviewable window, makes a try
  // fail, and the next call tries again. Cheap once both are held.
  void Hold();
  // Lets both grabs go (for a dialog of another connection that needs the input).
  void Release();
  bool Held() const { return keyboard_ && pointer_; }

  enum class Displacement {
    kNone,
    // Another window came above the show's, or took the focus.
    kCovered,
    // The show's window was unmapped, hidden or iconified.
    kUnmapped,
  };
  // What `event` did to the window. Anything but kNone wants Restore; an event that ends a
  // grab (the window stopped being viewable) also makes the next Hold grab again.
  Displacement Classify(const SDL_Event& event);
  // Maps, de-iconifies and raises the window, and grabs again.
  void Restore();

 private:
  SDL_Window* window_;
  void* display_ = nullptr;  // the X Display of SDL's connection
  unsigned long xwindow_ = 0;
  bool keyboard_ = false;
  bool pointer_ = false;
  // When Hold last made sure the window is viewable (SDL ticks).
  static constexpr std::uint32_t kCheckIntervalMs = 250;
  std::uint32_t last_check_ = 0;
};

}  // namespace scenesaver::platform
