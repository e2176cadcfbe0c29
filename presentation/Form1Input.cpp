#include "presentation/Form1Input.h"

#include "package/ShowState.h"

namespace scenesaver::presentation {

void Input::KeyDown() { quit_flag_ = base::kTrue; }

void Input::MouseDown() { quit_flag_ = base::kTrue; }

void Input::MouseMove() {
  const platform::Point now = host_.GetCursorPos();
  if (now.x != start_cursor_pos_.x || now.y != start_cursor_pos_.y) quit_flag_ = base::kTrue;
}

}  // namespace scenesaver::presentation
