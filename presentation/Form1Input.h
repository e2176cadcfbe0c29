// The input handlers of the presentation window: any key, any button or any cursor movement
// away from where the showing run began raises QuitFlag; they do nothing else.
#pragma once

#include <cstdint>

#include "platform/ShowHost.h"

namespace scenesaver::presentation {

class Input final : public platform::InputHandlers {
 public:
  Input(std::int16_t& quit_flag, const platform::Point& start_cursor_pos, platform::ShowHost& host)
      : quit_flag_(quit_flag), start_cursor_pos_(start_cursor_pos), host_(host) {}
  void KeyDown() override;
  void MouseDown() override;
  // Compares the cursor position with the start position: one pixel in either axis is enough.
  void MouseMove() override;

 private:
  std::int16_t& quit_flag_;
  const platform::Point& start_cursor_pos_;
  platform::ShowHost& host_;
};

// Installs the handlers on the host for the lifetime of this object.
class InputBinding {
 public:
  InputBinding(platform::ShowHost& host, platform::InputHandlers& handlers) : host_(host) {
    host_.SetInputHandlers(&handlers);
  }
  ~InputBinding() { host_.SetInputHandlers(nullptr); }
  InputBinding(const InputBinding&) = delete;
  InputBinding& operator=(const InputBinding&) = delete;

 private:
  platform::ShowHost& host_;
};

}  // namespace scenesaver::presentation
