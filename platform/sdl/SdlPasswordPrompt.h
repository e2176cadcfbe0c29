// The password prompt drawn over the show: a masked entry in a box at the centre of the screen.
// Enter submits, Esc refuses. It never fails open: a stored password that cannot be read
// refuses every entry and says why.
#pragma once

#include <functional>
#include <string_view>

#include "platform/Host.h"
#include "platform/posix/PasswordStore.h"

struct SDL_Renderer;

namespace platform {

struct PasswordPromptParts {
  // Repaints the show beneath the prompt (without presenting).
  std::function<void()> draw_backdrop;
  // Checks an entry against the stored password.
  std::function<PasswordCheck(std::string_view)> verify = VerifyPassword;
  // True when the process has been asked to end; the prompt then lets the show finish.
  std::function<bool()> terminating;
};

PasswordVerdict RunPasswordPrompt(SDL_Renderer* renderer, const PasswordPromptParts& parts);

}  // namespace platform
