#include "presentation/Form1Input.h"

#include "startup/Module1.h"

namespace Form1 {

void Input::KeyDown() { quit_flag_ = Module1::kTrue; }

void Input::MouseDown() { quit_flag_ = Module1::kTrue; }

void Input::MouseMove() {
  const platform::Point now = host_.GetCursorPos();
  if (now.x != start_cursor_pos_.x || now.y != start_cursor_pos_.y) quit_flag_ = Module1::kTrue;
}

}  // namespace Form1
