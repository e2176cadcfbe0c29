// Keeping a locked show in front: while the show (or its password prompt) is up with the
// password in use, the show holds the X keyboard and pointer grabs, so that window-manager
// shortcuts reach the show as ordinary input, and its window is mapped, raised and focused again
// whenever something unmaps, iconifies or covers it.
//
// The grabs are held on the root window, which nothing can unmap: a grab on the show's own
// window would end by itself the moment the window manager unmapped or iconified it, and in
// that moment the window manager's own shortcuts (Alt+Tab) could take the keyboard. With owner
// events, input meant for the show's windows still reaches them (and SDL) as usual; input that
// would go to another client's window comes to the root instead, where SDL does not look, and
// counts as misdirected.
#pragma once

#include <cstdint>

struct SDL_Window;
union SDL_Event;

namespace scenesaver::platform {

class InputGrabs {
 public:
  // Asks for the window's visibility, structure and focus changes on SDL's own X connection;
  // they arrive as SDL_SYSWMEVENTs. Nothing is grabbed yet.
  explicit InputGrabs(SDL_Window* window);
  ~InputGrabs();
  InputGrabs(const InputGrabs&) = delete;
  InputGrabs& operator=(const InputGrabs&) = delete;

  // Grabs what is not held yet; another client's grab makes a try fail, and the next call
  // tries again. Cheap once both are held, but now and then it makes sure of the window, the
  // focus and the grabs with the X server.
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
    // A key or button went to another client's window (the grab brought it to the root): the
    // focus is elsewhere. It is input all the same.
    kMisdirected,
  };
  // What `event` did to the window. Anything but kNone wants Restore.
  Displacement Classify(const SDL_Event& event);
  // Maps, de-iconifies, raises and focuses the window, and grabs again.
  void Restore();

 private:
  // Called by SDL for every event it queues, at once (even for events that are then dropped):
  // SDL lets both grabs go itself whenever one of its windows gains or loses the focus or the
  // pointer enters one, and the next Hold takes them back. Nothing is grabbed from in here:
  // SDL lets the grabs go only after it has queued the event that tells of it.
  static int WatchEvent(void* grabs, SDL_Event* event);
  void Grab();
  // Gives the focus back to the show's window when another window holds it.
  void Refocus();

  SDL_Window* window_;
  void* display_ = nullptr;  // the X Display of SDL's connection
  unsigned long xwindow_ = 0;
  unsigned long root_ = 0;
  bool keyboard_ = false;
  bool pointer_ = false;
  // When Hold last checked with the X server (SDL ticks).
  static constexpr std::uint32_t kCheckIntervalMs = 250;
  std::uint32_t last_check_ = 0;
};

}  // namespace scenesaver::platform
