// Receivers of the presentation window's input. The backend calls them only from inside
// EventLoop::DoEvents.
#pragma once

namespace scenesaver::platform {

class InputHandlers {
 public:
  virtual ~InputHandlers() = default;
  virtual void KeyDown() = 0;
  virtual void MouseDown() = 0;
  virtual void MouseMove() = 0;  // the handler reads the cursor position itself
};

}  // namespace scenesaver::platform
